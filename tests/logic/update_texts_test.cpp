#include "logic/logic_fixture.h"
#include "logic/update_texts.h"

#include <wininet.h>

TEST(UpdateTexts, DownloadFilesAreNamedByChecksumAndSize) {
    EXPECT_EQ(L"C:\\TL\\tmp\\00ABCDEF.1024", DownloadFilePath(L"C:\\TL", 0xABCDEF, 1024));
    EXPECT_EQ(L"C:\\TL\\tmp\\FFFFFFFF.6442450944", DownloadFilePath(L"C:\\TL", 0xFFFFFFFF, 6442450944ull));
    EXPECT_EQ(L"C:\\TL\\tmp\\Launcher.exe.1.0.0.2.524288", LauncherDownloadPath(L"C:\\TL", "1.0.0.2", 524288));
}

TEST(UpdateTexts, LicenceTextTurnsBreaksAndSpacesIntoText) {
    std::wstring text;
    ASSERT_TRUE(ExtractLicenceText("<doc><LICENSE><![CDATA[Terms<br/>of&nbsp;use<br/>]]></LICENSE></doc>", text));
    EXPECT_EQ(L"Terms\nof use\n", text);
    ASSERT_TRUE(ExtractLicenceText("<doc><LICENSE>\xd0\xa3\xd0\xbc\xd0\xbe\xd0\xb2\xd0\xb8</LICENSE></doc>", text));
    EXPECT_EQ(L"\x423\x43c\x43e\x432\x438", text);
    EXPECT_FALSE(ExtractLicenceText("not xml", text));
    EXPECT_FALSE(ExtractLicenceText("<doc><LICENSE/></doc>", text));
    EXPECT_FALSE(ExtractLicenceText("<doc><TERMS>x</TERMS></doc>", text));
}

TEST(UpdateTexts, ProgressHasADownloadingAndAnUnpackingPhase) {
    ProgressFigures f = ComputeProgress(512 * 1024, 2048 * 1024, false, 0, 0);
    EXPECT_TRUE(f.downloading);
    EXPECT_DOUBLE_EQ(512, f.doneKb);
    EXPECT_DOUBLE_EQ(25, f.percent);
    // Sizes beyond 4 GiB keep their figures.
    f = ComputeProgress(5ull << 30, 10ull << 30, false, 0, 0);
    EXPECT_DOUBLE_EQ(50, f.percent);
    f = ComputeProgress(2048 * 1024, 2048 * 1024, false, 1536, 4096 * 1024);
    EXPECT_FALSE(f.downloading);
    EXPECT_EQ(37, f.wholePercent);
    f = ComputeProgress(2048 * 1024, 2048 * 1024, true, 0, 0);  // the new launcher counts as downloading
    EXPECT_TRUE(f.downloading);
    EXPECT_DOUBLE_EQ(100, f.percent);
    f = ComputeProgress(0, 0, false, 0, 0);
    EXPECT_FALSE(f.downloading);
    EXPECT_EQ(100, f.wholePercent);
}

TEST_F(LogicObject, NetworkErrorTextsCarryStatusCodeAndDescription) {
    ASSERT_TRUE(logic_.languages().Select(1));  // English
    EXPECT_EQ(L"Not here\nHTTP status code: 404\nSystem error code: 0", NetErrorText(4, 0, 404, "Not here", L""));
    EXPECT_EQ(L"Network error\nHTTP status code: 503\nSystem error code: 0", NetErrorText(4, 0, 503, "<html/>", L""));
    EXPECT_EQ(L"Network error\nHTTP status code: 0\nSystem error code: 0", NetErrorText(5, 0, 0, "", L""));
    EXPECT_EQ(0u, NetErrorText(2, 0, 404, "body", L"").find(L"KB2999226 downloading failed.\n"));
    EXPECT_EQ(0u, NetErrorText(2, 12029, 0, "", L"refused").find(L"KB2999226 downloading failed.\n"));
    EXPECT_EQ(L"Network error\nHTTP status code: 0\nSystem error code: 12029\n \nSystem error description:\nrefused",
              NetErrorText(5, 12029, 0, "ignored", L"refused"));

    LoadLibraryW(L"wininet.dll");
    const std::wstring timeout = NetSystemText(ERROR_INTERNET_TIMEOUT);
    EXPECT_FALSE(timeout.empty());
    EXPECT_NE(L'\n', timeout.back());
    EXPECT_EQ(L"", NetSystemText(0));
}
