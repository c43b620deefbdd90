// The installation list in a registry key of the test's own.

#include "common/temp_folder.h"
#include "common/test_registry.h"
#include "system/install_directory_list.h"

#include <gtest/gtest.h>

namespace {

class InstallList : public TempFolderTest {
protected:
    void TearDown() override {
        RemoveTestRegistryRoot();
        TempFolderTest::TearDown();
    }
    void SetRaw(const wchar_t* name, DWORD type, const void* bytes, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_CURRENT_USER, (root_ + L"\\Install").c_str(), &key));
        const CRegKeyHandle owned(key);
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(bytes), size));
    }
    DWORD TypeOf(const wchar_t* name) {
        DWORD type = 0;
        RegGetValueW(HKEY_CURRENT_USER, (root_ + L"\\Install").c_str(), name, RRF_RT_ANY, &type, nullptr, nullptr);
        return type;
    }

    std::wstring root_ = TestRegistryRoot();
    CInstallDirectoryList list_;
};

}  // namespace

TEST_F(InstallList, FoldersMatchWithoutCaseQuotesSlashDirectionOrDoubledBackslashes) {
    const wchar_t written[] = L"\"c:/games\\\\talvoro\"";
    SetRaw(L"Directory3", REG_SZ, written, sizeof written);
    list_.Open(HKEY_CURRENT_USER, root_);
    EXPECT_EQ(3, list_.Find(L"C:\\GAMES\\Talvoro"));
    EXPECT_EQ(L"c:\\games\\talvoro", list_.FirstRegistered());
    EXPECT_TRUE(list_.Remove(L"C:/Games/Talvoro"));
    EXPECT_EQ(-1, list_.Find(L"c:\\games\\talvoro"));
}

TEST_F(InstallList, BadSlotValuesReadAsEmptyAndAreRewrittenAsText) {
    const DWORD number = 7;
    SetRaw(L"Directory", REG_DWORD, &number, sizeof number);
    const std::wstring huge(2500, L'a');
    SetRaw(L"Directory2", REG_SZ, huge.c_str(), DWORD((huge.size() + 1) * sizeof(wchar_t)));
    list_.Open(HKEY_CURRENT_USER, root_);
    list_.Load();
    EXPECT_EQ(L"", list_.Slot(0));
    EXPECT_EQ(L"", list_.Slot(2));
    EXPECT_EQ(DWORD(REG_SZ), TypeOf(L"Directory"));
    EXPECT_EQ(L"", list_.FirstRegistered());
}

TEST_F(InstallList, PruningFreesSlotsOfGoneAndEmptyFolders) {
    const std::wstring kept = path(L"kept"), empty = path(L"empty");
    CreateDirectoryW(kept.c_str(), nullptr);
    CreateDirectoryW(empty.c_str(), nullptr);
    WriteFileBytes(kept + L"\\client.exe", "x");
    list_.Open(HKEY_CURRENT_USER, root_);
    list_.SetSlot(0, path(L"gone"));
    list_.SetSlot(1, empty);
    list_.SetSlot(2, kept);
    list_.SetSlot(3, L"C:");
    ASSERT_TRUE(list_.Save());
    list_.Prune();
    EXPECT_EQ(-1, list_.Find(path(L"gone")));
    EXPECT_EQ(-1, list_.Find(empty));
    EXPECT_EQ(2, list_.Find(kept));
    EXPECT_EQ(kept, list_.FirstRegistered());
}
