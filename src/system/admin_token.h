#pragma once
// Whether the current token is a member of the built-in Administrators
// group (S-1-5-32-544). Any thread.

bool IsAdministrator();
