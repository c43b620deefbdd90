#include "startup/registry_key.h"
#include "common/test_registry.h"

#include <gtest/gtest.h>

namespace {
std::wstring TestKey() { return TestRegistryRoot() + L"\\RegistryKey"; }
}  // namespace

class RegistryKey : public ::testing::Test {
protected:
    void TearDown() override { RemoveTestRegistryRoot(); }
};

TEST_F(RegistryKey, StringsAreStoredWithTheirTerminatingZero) {
    CRegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, TestKey()));
    ASSERT_EQ(ERROR_SUCCESS, key.SetString(L"language", L"uk"));
    DWORD type = 0, size = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key.Get(), L"language", nullptr, &type, nullptr, &size));
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_EQ(6u, size);
    std::wstring back;
    EXPECT_TRUE(key.GetString(L"language", back));
    EXPECT_EQ(L"uk", back);
    EXPECT_FALSE(key.GetString(L"missing", back));
}

TEST_F(RegistryKey, FailedCreateKeepsTheKeyHeldBefore) {
    CRegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, TestKey()));
    const HKEY held = key.Get();
    EXPECT_NE(ERROR_SUCCESS, key.Create(reinterpret_cast<HKEY>(uintptr_t(0x1234)), L"x"));
    EXPECT_EQ(held, key.Get());
    EXPECT_EQ(ERROR_SUCCESS, key.SetString(L"still", L"usable"));
}

TEST_F(RegistryKey, MovingTransfersOwnership) {
    CRegistryKey a;
    ASSERT_EQ(ERROR_SUCCESS, a.Create(HKEY_CURRENT_USER, TestKey()));
    CRegistryKey b(std::move(a));
    EXPECT_FALSE(a.IsOpen());
    EXPECT_TRUE(b.IsOpen());
    b.Close();
    EXPECT_FALSE(b.IsOpen());
}
