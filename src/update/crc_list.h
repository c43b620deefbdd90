#pragma once
// The "/crc" run mode: writes the launcher checksum (variant A) to crc.txt
// in the current folder.

// True when the checksum was computed and written.
bool WriteCrcList();
