// The assistant's pipe records byte by byte, its codes and its log texts.

#include "system/assistant_records.h"

#include <gtest/gtest.h>

namespace {

std::u16string Text(size_t n, char16_t first) {
    std::u16string s;
    for (size_t i = 0; i < n; ++i) s.push_back(char16_t(first + i % 20));
    return s;
}

// The UTF-16LE text stored at `offset`, up to its zero (or `capacity` units).
std::u16string At(const std::vector<uint8_t>& b, size_t offset, size_t capacity) {
    std::u16string s;
    for (size_t i = 0; i < capacity; ++i) {
        const char16_t c = char16_t(b[offset + 2 * i] | b[offset + 2 * i + 1] << 8);
        if (!c) break;
        s.push_back(c);
    }
    return s;
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t offset) {
    return b[offset] | b[offset + 1] << 8 | b[offset + 2] << 16 | uint32_t(b[offset + 3]) << 24;
}

LauncherAssistantData Sample() {
    LauncherAssistantData d;
    d.command = 0x04030201;
    d.chInstallFolder = u"C:\\Games\\Talvoro";
    d.chUserName = u"HOST\\player";
    d.chShortName = u"Velomar";
    d.chFullName = u"Talvoro";
    d.chIconName = u"Talvoro Icon";
    d.chRegPath = u"Software\\Hollisk Games\\TL";
    d.chHelpLink = u"http://a.example/help";
    d.chUrlInfoAbout = u"http://a.example/about";
    d.chUrlUpdateInfo = u"http://a.example/update";
    d.chLnkDesctopIcon = u"C:\\Users\\player\\Desktop";
    d.chLauncherName = u"Launcher.exe";
    d.chTemp = u"C:\\Games\\Talvoro\\GameClient.exe \u0416\u00e9";
    d.bIconPrograms = true;
    d.bIconProgramsFolder = false;
    d.bIconStartMenu = true;
    d.iconCount = 0xA1B2C3D4;
    return d;
}

}  // namespace

TEST(AssistantRecords, DataFieldsSitAtTheirOffsets) {
    const LauncherAssistantData d = Sample();
    const std::vector<uint8_t> b = EncodeAssistantData(d);
    ASSERT_EQ(5148u, b.size());
    EXPECT_EQ(0x01, b[0]);  // little-endian
    EXPECT_EQ(0x04030201u, U32At(b, 0));
    const struct { size_t offset, capacity; const std::u16string& value; } kFields[] = {
        {4, 261, d.chInstallFolder},  {526, 257, d.chUserName},      {1040, 33, d.chShortName},
        {1106, 65, d.chFullName},     {1236, 65, d.chIconName},      {1366, 261, d.chRegPath},
        {1888, 261, d.chHelpLink},    {2410, 261, d.chUrlInfoAbout}, {2932, 261, d.chUrlUpdateInfo},
        {3454, 261, d.chLnkDesctopIcon}, {3976, 65, d.chLauncherName}, {4106, 517, d.chTemp},
    };
    for (const auto& f : kFields) {
        EXPECT_EQ(f.value, At(b, f.offset, f.capacity)) << f.offset;
        // Unused characters are zero up to the next field.
        for (size_t i = f.offset + 2 * f.value.size(); i < f.offset + 2 * f.capacity; ++i)
            ASSERT_EQ(0, b[i]) << "offset " << f.offset << " byte " << i;
    }
    EXPECT_EQ(1, b[5140]);
    EXPECT_EQ(0, b[5141]);
    EXPECT_EQ(1, b[5142]);
    EXPECT_EQ(0, b[5143]);
    EXPECT_EQ(0xD4, b[5144]);
    EXPECT_EQ(0xA1B2C3D4u, U32At(b, 5144));
    // Non-ASCII text travels as UTF-16LE code units.
    const size_t zhe = 4106 + 2 * (d.chTemp.size() - 2);
    EXPECT_EQ(0x16, b[zhe]);
    EXPECT_EQ(0x04, b[zhe + 1]);
}

TEST(AssistantRecords, DataSurvivesTheRoundTrip) {
    const LauncherAssistantData d = Sample();
    const std::vector<uint8_t> b = EncodeAssistantData(d);
    const LauncherAssistantData r = DecodeAssistantData(b.data());
    EXPECT_EQ(d.command, r.command);
    EXPECT_EQ(d.chInstallFolder, r.chInstallFolder);
    EXPECT_EQ(d.chUserName, r.chUserName);
    EXPECT_EQ(d.chShortName, r.chShortName);
    EXPECT_EQ(d.chFullName, r.chFullName);
    EXPECT_EQ(d.chIconName, r.chIconName);
    EXPECT_EQ(d.chRegPath, r.chRegPath);
    EXPECT_EQ(d.chHelpLink, r.chHelpLink);
    EXPECT_EQ(d.chUrlInfoAbout, r.chUrlInfoAbout);
    EXPECT_EQ(d.chUrlUpdateInfo, r.chUrlUpdateInfo);
    EXPECT_EQ(d.chLnkDesctopIcon, r.chLnkDesctopIcon);
    EXPECT_EQ(d.chLauncherName, r.chLauncherName);
    EXPECT_EQ(d.chTemp, r.chTemp);
    EXPECT_EQ(d.bIconPrograms, r.bIconPrograms);
    EXPECT_EQ(d.bIconProgramsFolder, r.bIconProgramsFolder);
    EXPECT_EQ(d.bIconStartMenu, r.bIconStartMenu);
    EXPECT_EQ(d.iconCount, r.iconCount);
}

TEST(AssistantRecords, LongTextsAreCutSoTheZeroStillFits) {
    LauncherAssistantData d;
    d.chShortName = Text(40, u'a');
    d.chTemp = Text(600, u'A');
    const std::vector<uint8_t> b = EncodeAssistantData(d);
    EXPECT_EQ(Text(32, u'a'), At(b, 1040, 33));
    EXPECT_EQ(0, b[1040 + 64]);
    EXPECT_EQ(0, b[1040 + 65]);
    EXPECT_EQ(Text(516, u'A'), At(b, 4106, 517));
    EXPECT_EQ(0, b[5140]);  // nothing spilled into the flags
    EXPECT_EQ(Text(516, u'A'), DecodeAssistantData(b.data()).chTemp);
}

TEST(AssistantRecords, AFieldWithoutZeroEndsAtItsArray) {
    // A record from elsewhere may fill a field completely; the text must
    // not run into the next field.
    std::vector<uint8_t> b(5148, 0);
    for (size_t i = 0; i < 33; ++i) b[1040 + 2 * i] = 'x';
    for (size_t i = 0; i < 65; ++i) b[1106 + 2 * i] = 'y';
    b[5141] = 0x80;  // any non-zero flag byte reads as set
    const LauncherAssistantData r = DecodeAssistantData(b.data());
    EXPECT_EQ(std::u16string(33, u'x'), r.chShortName);
    EXPECT_EQ(std::u16string(65, u'y'), r.chFullName);
    EXPECT_TRUE(r.bIconProgramsFolder);
    EXPECT_FALSE(r.bIconPrograms);
    EXPECT_EQ(0u, r.iconCount);
}

TEST(AssistantRecords, IconRecordLayout) {
    LauncherAssistantIcon icon;
    icon.name = u"Talvoro (2)";
    icon.exec = u"bin\\GameClient.exe";
    icon.action = 1;
    const std::vector<uint8_t> b = EncodeAssistantIcon(icon);
    ASSERT_EQ(654u, b.size());
    EXPECT_EQ(icon.name, At(b, 0, 65));
    EXPECT_EQ(icon.exec, At(b, 130, 261));
    EXPECT_EQ(1, b[652]);
    EXPECT_EQ(0, b[653]);
    const LauncherAssistantIcon r = DecodeAssistantIcon(b.data());
    EXPECT_EQ(icon.name, r.name);
    EXPECT_EQ(icon.exec, r.exec);
    EXPECT_EQ(1, r.action);

    icon.name = Text(70, u'n');
    icon.exec = Text(300, u'e');
    icon.action = 0;
    const std::vector<uint8_t> cut = EncodeAssistantIcon(icon);
    EXPECT_EQ(Text(64, u'n'), At(cut, 0, 65));
    EXPECT_EQ(Text(260, u'e'), At(cut, 130, 261));
    EXPECT_EQ(0, cut[652]);
}

TEST(AssistantRecords, CommandCodesAndNames) {
    EXPECT_FALSE(IsValidLauncherCmd(0));
    EXPECT_FALSE(IsValidLauncherCmd(10));
    EXPECT_FALSE(IsValidLauncherCmd(0xFFFFFFFFu));
    for (uint32_t c = 1; c <= 9; ++c) EXPECT_TRUE(IsValidLauncherCmd(c));
    EXPECT_EQ("eLauncherCmd_Install", LauncherCmdName(1));
    EXPECT_EQ("eLauncherCmd_GetRights", LauncherCmdName(4));
    EXPECT_EQ("eLauncherCmd_KillProcess", LauncherCmdName(7));
    EXPECT_EQ("eLauncherCmd_SetLongName", LauncherCmdName(8));
    EXPECT_EQ("", LauncherCmdName(0));
    EXPECT_EQ("", LauncherCmdName(10));
}

TEST(AssistantRecords, ResultTexts) {
    const char* const kNamed[] = {" .. OK",
                                  " .. error: CntCreateDir",
                                  " .. error: ShortInstallationPath",
                                  " .. error: EmptyFullNameEx",
                                  " .. error: CntSetRights",
                                  " .. error: CntCreateUninstallRegPath",
                                  " .. error: Unknown",
                                  " .. error: CntPutInstDirToReg",
                                  " .. error: CntDelInstDirFromReg",
                                  " .. error: CntFoundDir",
                                  " .. error: CntMakeSD",
                                  " .. error: CntOpenPipe, GetLastError() = 231",
                                  " .. error: CntReadPipe",
                                  " .. error: UnknownPipeCmd",
                                  " .. error: CntKillProcess",
                                  " .. error: Unknown",
                                  " .. error: Unknown",
                                  " .. error: Unknown"};
    for (int code = 0; code <= 17; ++code) EXPECT_EQ(kNamed[code], AssistantResultText(code, 231)) << code;
    EXPECT_EQ(" .. error: Unknown", AssistantResultText(-1, 0));
    EXPECT_EQ(" .. error: Unknown", AssistantResultText(18, 0));
    EXPECT_EQ(" .. error: CntOpenPipe, GetLastError() = 2", AssistantResultText(11, 2));
}
