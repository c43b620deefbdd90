#include "logic/taskbar_app_id.h"

#include <gtest/gtest.h>

// The check value of CRC-32 ("123456789") is 0xCBF43926, -873187034 signed.
TEST(TaskbarAppId, TheFolderContinuesTheIconsCrcAndPrintsSigned) {
    EXPECT_EQ(L"AppID_Talvoro_-873187034", TaskbarAppId(L"Talvoro", "", "123456789"));
    EXPECT_EQ(L"AppID_Talvoro_-873187034", TaskbarAppId(L"Talvoro", "12345", "6789"))
        << "the folder's bytes continue the icon's CRC";
    EXPECT_NE(TaskbarAppId(L"Talvoro", "", "C:\\Games\\A"), TaskbarAppId(L"Talvoro", "", "C:\\Games\\B"));
}
