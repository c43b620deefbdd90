#include "update/entry_target.h"

#include <gtest/gtest.h>

TEST(EntryTarget, NamesAreCleanedIntoRelativePaths) {
    const struct {
        const char* name;
        const char* relative;
        bool folder;
    } cases[] = {
        {"dir//sub\\file.txt", "dir\\sub\\file.txt", false},
        {"\"quoted\"/name.dll", "quoted\\name.dll", false},
        {"a\\\\\\/b", "a\\b", false},
        {"data/maps/", "data\\maps", true},
        {"data\\", "data", true},
        {"./x.txt", ".\\x.txt", false},
        {"file..name.txt", "file..name.txt", false},
        {"..data\\a", "..data\\a", false},
        {"console.txt", "console.txt", false},
        {"com10/lpt0.dat", "com10\\lpt0.dat", false},
    };
    for (const auto& c : cases) {
        EntryTarget t;
        ASSERT_TRUE(MakeEntryTarget(c.name, t)) << c.name;
        EXPECT_EQ(c.relative, t.relative) << c.name;
        EXPECT_EQ(c.folder, t.folder) << c.name;
    }
}

TEST(EntryTarget, NamesThatLeaveTheFolderOrNameNoPlainFileAreRefused) {
    for (const char* name : {"..\\..\\evil.dll", "C:\\evil.dll", "a\\..\\..\\evil.dll", "a/../b", "..", "../",
                             "\\evil.dll", "/etc/passwd", "\\\\server\\share\\x", "\"\\\"evil.dll",
                             "client.exe:stream", "dir\\...\\x", "dir\\. .\\x", "dir\\.. \\x", "", "\"\"", "/",
                             "c:evil.dll", "CON", "data\\nul.txt", "com1", "LPT9.dat", "aux .x", "CONOUT$",
                             "file.txt.", "dir \\x", "a\\b "}) {
        EntryTarget t;
        t.relative = "untouched";
        EXPECT_FALSE(MakeEntryTarget(name, t)) << name;
        EXPECT_EQ("untouched", t.relative) << name;
    }
}
