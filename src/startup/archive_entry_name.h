#pragma once
// The name of a libarchive entry as UTF-8 with backslash separators, the
// way the launcher keys package entries. On Windows libarchive keeps names
// it cannot show in the ANSI code page only in their wide form, so that
// form is used there.

#include <string>

struct archive_entry;

std::string ArchiveEntryName(archive_entry* entry);
