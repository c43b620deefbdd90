// The version reader against Windows' own version functions.

#include "update/pe_version.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>

// The launcher of this build, read by Windows' own version functions.
TEST(PeVersion, AgreesWithWindowsOnTheBuiltLauncher) {
    std::ifstream in(LAUNCHER_EXE_PATH, std::ios::binary);
    ASSERT_TRUE(in);
    const std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string version, error;
    ASSERT_TRUE(ReadPeFileVersion(image, version, error)) << error;

    const wchar_t* path = LAUNCHER_EXE_PATH_W;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    ASSERT_NE(0u, size);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, &block[0]));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(&block[0], L"\\", reinterpret_cast<void**>(&fixed), &length));
    char expected[64];
    std::snprintf(expected, sizeof expected, "%d.%d.%d.%d", HIWORD(fixed->dwFileVersionMS),
                  LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(expected, version);
}
