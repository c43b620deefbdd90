#include "startup/app_list_record.h"

#include <gtest/gtest.h>

namespace {

// A field as the file holds it: UTF-16LE units, zero-padded to `units`.
std::string Field(const std::string& ascii, size_t units) {
    std::string out;
    for (char c : ascii) out += {c, '\0'};
    return out + std::string(2 * units - out.size(), '\0');
}

}  // namespace

TEST(AppListRecord, WholeRecordsAreReadAndWrittenBackByteForByte) {
    // The second name fills its field with no zero: all 65 characters count.
    const std::string bytes = Field("Map", 65) + Field("tools\\map.exe", 261) + Field(std::string(65, 'n'), 65) +
                              Field("", 261);
    std::vector<AppListRecord> list;
    ASSERT_TRUE(ParseAppListRecords(bytes, list));
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ(L"Map", RecordText(list[0].name, 65));
    EXPECT_EQ(L"tools\\map.exe", RecordText(list[0].exec, 261));
    EXPECT_EQ(std::wstring(65, L'n'), RecordText(list[1].name, 65));
    EXPECT_EQ(L"", RecordText(list[1].exec, 261));
    EXPECT_EQ(bytes, AppListBytes(list));

    SetRecordText(list[1].name, 65, std::wstring(70, L'x'));
    EXPECT_EQ(std::wstring(64, L'x'), RecordText(list[1].name, 65));

    // A cut record leaves the list as it was.
    EXPECT_FALSE(ParseAppListRecords(bytes.substr(1), list));
    EXPECT_EQ(2u, list.size());
    EXPECT_TRUE(ParseAppListRecords("", list));
    EXPECT_TRUE(list.empty());
}
