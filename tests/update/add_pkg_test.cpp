#include "common/temp_folder.h"
#include "update/add_pkg.h"

#include <gtest/gtest.h>

namespace {

class AddPkgTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        list_.SetAddPkgFolder(dir());
    }
    std::wstring file() const { return path(L"addpkg.dat"); }
    CAddPkg list_;
};

std::string Record(const std::wstring& name) {
    std::string r(128, '\0');
    for (size_t i = 0; i < name.size(); ++i) {
        r[i * 2] = char(name[i] & 0xFF);
        r[i * 2 + 1] = char(name[i] >> 8);
    }
    return r;
}

}  // namespace

TEST_F(AddPkgTest, AddedNamesAreAppendedAndReadBack) {
    EXPECT_FALSE(list_.Load());
    EXPECT_FALSE(list_.Add(L"voice_ru.pkg", false));
    EXPECT_TRUE(list_.Add(L"voice_ru.pkg", false));
    EXPECT_FALSE(list_.Add(L"hd_textures.pkg", true));  // only asked
    EXPECT_FALSE(list_.Add(L"\x0422\x0435\x043a\x0441\x0442.pkg", false));
    EXPECT_EQ(Record(L"voice_ru.pkg") + Record(L"\x0422\x0435\x043a\x0441\x0442.pkg"), ReadFileBytes(file()));
    CAddPkg again;
    again.SetAddPkgFolder(dir());
    ASSERT_TRUE(again.Load());
    EXPECT_EQ((std::set<std::wstring>{L"voice_ru.pkg", L"\x0422\x0435\x043a\x0441\x0442.pkg"}), again.AddPackages());
}

TEST_F(AddPkgTest, ANameOf64CharactersIsStoredAsAnEmptyRecord) {
    const std::wstring longName(64, L'n');
    const std::wstring longest(63, L'm');
    list_.Add(longName, false);
    list_.Add(longest, false);
    EXPECT_EQ(std::string(128, '\0') + Record(longest), ReadFileBytes(file()));
    ASSERT_TRUE(list_.Load());
    EXPECT_EQ(std::set<std::wstring>{longest}, list_.AddPackages());
}

TEST_F(AddPkgTest, SaveWritesTheWholeSetInOrder) {
    list_.Add(L"b.pkg", false);
    list_.Add(L"a.pkg", false);
    WriteFileBytes(file(), Record(L"stale.pkg"));
    ASSERT_TRUE(list_.Save());
    EXPECT_EQ(Record(L"a.pkg") + Record(L"b.pkg"), ReadFileBytes(file()));
}

TEST_F(AddPkgTest, AFileOfOddLengthIsIgnoredAndLeftAlone) {
    const std::string odd = Record(L"a.pkg") + std::string(72, 'x');  // 200 bytes
    WriteFileBytes(file(), odd);
    EXPECT_FALSE(list_.Load());
    EXPECT_TRUE(list_.AddPackages().empty());
    EXPECT_FALSE(list_.Add(L"b.pkg", false));
    EXPECT_FALSE(list_.Save());
    EXPECT_EQ(odd, ReadFileBytes(file()));
}
