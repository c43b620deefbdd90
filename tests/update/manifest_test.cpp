#include "update/manifest.h"

#include <gtest/gtest.h>

namespace {

const char kManifest[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<update clientVersion="1.2.3" modification="abc" launcherVersion="1.0.0.2" launcherSize="123456"
        launcherCRC="" launcherUrl="https://example/Launcher.exe">
  <PACK type="full" file="core.zip" crc="3735928559" size="6000000000">
    <FILE file="Bin\Game.exe" crc="1" size="10"/>
    <FILE file="Data\Shared.dat" crc="2" size="20"/>
  </PACK>
  <PACK type="full" platform="64" file="core64.zip" crc="5" size="50">
    <FILE file="Bin64\Game.exe" crc="3" size="30"/>
  </PACK>
  <PACK type="full" platform="32" file="core32.zip" crc="6" size="60">
    <FILE file="Bin32\Game.exe" crc="4" size="40"/>
  </PACK>
  <PACK type="ext" file="voice.zip" crc="7" size="70">
    <INFO lang="EN" sel="false"><NAME>Wrong case</NAME></INFO>
    <INFO lang="en" sel="false"><NAME>Voice chat</NAME><EXEC>voice\setup.exe</EXEC><CMDL>/quiet</CMDL>
      <HELP>Line one\nLine two</HELP></INFO>
    <FILE file="Voice\setup.exe" crc="8" size="80"/>
  </PACK>
  <PACK type="int" file="runtime.zip" crc="9" size="90">
    <INFO lang="en"><NAME>Runtime</NAME><EXEC>rt\install.exe</EXEC></INFO>
    <FILE file="RT\install.exe" crc="10" size="100"/>
  </PACK>
  <PACK type="add" file="hd.zip" crc="11" size="110"><FILE file="HD\tex.pak" crc="12" size="120"/></PACK>
  <PACK type="add" file="extra.zip" crc="13" size="130"><FILE file="Extra\x.pak" crc="14" size="140"/></PACK>
  <PACK type="increment" file="delta.zip" crc="15" size="150"><FILE file="Bin\Game.exe" crc="16" size="160"/></PACK>
  <PACK type="Full" file="odd.zip"><FILE file="Odd\y.dat"/></PACK>
  <PACK type="full" file="patch.zip" crc="17" size="170"><FILE file="DATA\SHARED.DAT" crc="18" size="180"/></PACK>
  <IGNORE><FILE file="*\guest.dat"/><FILE file="Logs\keep.txt"/><FILE file=""/><FILE file="*\"/></IGNORE>
</update>)";

ManifestOptions Options() {
    ManifestOptions o;
    o.platform = 2;
    o.language = "en";
    o.addPackages = {L"hd.zip"};
    return o;
}

}  // namespace

TEST(ManifestParse, PacksByPlatformTypeAndLaterPackWins) {
    CManifest m;
    ASSERT_TRUE(m.Parse(kManifest, Options()));
    EXPECT_TRUE(m.packs.count(L"core64.zip"));
    EXPECT_FALSE(m.packs.count(L"core32.zip"));
    EXPECT_EQ(6000000000ull, m.packs.at(L"core.zip").size);  // beyond 4 GiB
    EXPECT_EQ(3735928559u, m.packs.at(L"core.zip").crc);
    EXPECT_EQ(ptUnknown, m.packs.at(L"odd.zip").type);  // types compare exactly

    EXPECT_TRUE(m.files.count(L"bin64\\game.exe"));
    EXPECT_FALSE(m.files.count(L"bin32\\game.exe"));
    EXPECT_FALSE(m.files.count(L"odd\\y.dat"));
    EXPECT_TRUE(m.files.count(L"hd\\tex.pak"));
    EXPECT_FALSE(m.files.count(L"extra\\x.pak"));  // not in addpkg.dat
    const FileRecord& shared = m.files.at(L"data\\shared.dat");
    EXPECT_EQ(L"patch.zip", shared.pack);
    EXPECT_EQ(18u, shared.crc);
    EXPECT_EQ(L"voice\\setup.exe", m.files.at(L"voice\\setup.exe").program);
    EXPECT_EQ(L"", m.files.at(L"rt\\install.exe").program);
}

TEST(ManifestParse, IncrementsDescriptionsAndIgnoreSets) {
    CManifest m;
    ASSERT_TRUE(m.Parse(kManifest, Options()));
    ASSERT_EQ(1u, m.increments.size());
    EXPECT_EQ(L"delta.zip", m.increments[0].pack);
    EXPECT_EQ(160u, m.increments[0].files.at(L"bin\\game.exe").size);
    EXPECT_EQ(10u, m.files.at(L"bin\\game.exe").size);  // the delta's files stay in its own table

    ASSERT_EQ(1u, m.extAddOns.size());
    EXPECT_EQ(L"Voice chat", m.extAddOns[0].name);
    EXPECT_EQ(L"Line one\nLine two", m.extAddOns[0].help);
    EXPECT_EQ(L"/quiet", m.extAddOns[0].cmdl);
    EXPECT_FALSE(m.extAddOns[0].selected);
    ASSERT_EQ(1u, m.intAddOns.size());
    EXPECT_EQ(L"rt\\install.exe", m.intAddOns[0].exec);

    EXPECT_EQ((std::set<std::wstring>{L"guest.dat"}), m.keptNames);
    EXPECT_EQ((std::set<std::wstring>{L"logs\\keep.txt", L"*\\"}), m.keptPaths);
}

TEST(ManifestParse, LanguageMustMatchExactly) {
    ManifestOptions o = Options();
    o.language = "EN";
    CManifest m;
    ASSERT_TRUE(m.Parse(kManifest, o));
    ASSERT_EQ(1u, m.extAddOns.size());
    EXPECT_EQ(L"Wrong case", m.extAddOns[0].name);
    o.language = "ru";
    ASSERT_TRUE(m.Parse(kManifest, o));
    EXPECT_TRUE(m.extAddOns.empty());
    EXPECT_TRUE(m.intAddOns.empty());
    EXPECT_TRUE(m.files.count(L"voice\\setup.exe"));  // its files are still checked
}

TEST(ManifestParse, LauncherOnlyModeAndStopRequests) {
    ManifestOptions o = Options();
    o.launcherOnly = true;
    CManifest m;
    ASSERT_TRUE(m.Parse(kManifest, o));
    EXPECT_FALSE(m.files.count(L"bin\\game.exe"));
    EXPECT_TRUE(m.files.count(L"hd\\tex.pak"));  // add packs are still recorded

    int calls = 0;
    o.launcherOnly = false;
    o.stopRequested = [&calls] { return ++calls > 2; };
    ASSERT_TRUE(m.Parse(kManifest, o));
    EXPECT_LT(m.files.size(), 3u);
}

TEST(ManifestParse, MalformedInputFails) {
    CManifest m;
    EXPECT_FALSE(m.Parse("<update><PACK type=\"full\" file=\"a\">", Options()));
    EXPECT_FALSE(m.Parse("<update><PACK type=\"full\"><FILE file=\"x\"/></PACK></update>", Options()));
    EXPECT_FALSE(m.Parse("<update><PACK type=\"full\" file=\"a\"><FILE crc=\"1\"/></PACK></update>", Options()));
    EXPECT_FALSE(m.Parse("<update><IGNORE><FILE/></IGNORE></update>", Options()));
    EXPECT_FALSE(m.Parse("", Options()));
}

// The checker opens installFolder\name for every recorded file.
TEST(ManifestParse, FilesOutsideTheFolderOrNamingDevicesMakeTheManifestUnreadable) {
    for (const char* name : {"..\\..\\Windows\\x.dll", "C:\\x.dll", "Bin\\COM1", "Data\\"}) {
        const std::string text = std::string("<update><PACK type=\"full\" file=\"a.zip\"><FILE file=\"") + name +
                                 "\"/></PACK></update>";
        CManifest m;
        EXPECT_FALSE(m.Parse(text, Options())) << name;
        std::map<std::wstring, OldFileRecord> files;
        EXPECT_FALSE(ParseOldManifest(text, Options(), files)) << name;
    }
    // A pack of a type this launcher does not know records nothing.
    CManifest m;
    EXPECT_TRUE(m.Parse("<update><PACK type=\"new\" file=\"a.zip\"><FILE file=\"..\\x\"/></PACK></update>", Options()));
}

TEST(OldManifest, KeepsFullIntAndListedAddPacksOnly) {
    std::map<std::wstring, OldFileRecord> files;
    ASSERT_TRUE(ParseOldManifest(kManifest, Options(), files));
    EXPECT_TRUE(files.count(L"bin\\game.exe"));
    EXPECT_EQ(10u, files.at(L"bin\\game.exe").size);  // not the increment's record
    EXPECT_TRUE(files.count(L"rt\\install.exe"));
    EXPECT_TRUE(files.count(L"hd\\tex.pak"));
    EXPECT_FALSE(files.count(L"voice\\setup.exe"));
    EXPECT_FALSE(files.count(L"extra\\x.pak"));
    EXPECT_FALSE(files.count(L"bin32\\game.exe"));
    EXPECT_FALSE(ParseOldManifest("<broken", Options(), files));
}

TEST(LauncherInfoRead, EmptyChecksumCountsAsAbsent) {
    LauncherInfo info;
    ASSERT_TRUE(ReadLauncherInfo(kManifest, info));
    EXPECT_EQ("1.0.0.2", info.version);
    EXPECT_EQ(123456, info.size);
    EXPECT_FALSE(info.crcPresent);
    EXPECT_EQ("https://example/Launcher.exe", info.url);
    ASSERT_TRUE(ReadLauncherInfo("<u launcherVersion=\"1\" launcherSize=\"2\" launcherCRC=\"4294967295\"/>", info));
    EXPECT_TRUE(info.crcPresent);
    EXPECT_EQ(4294967295u, info.crc);
    EXPECT_FALSE(ReadLauncherInfo("<u launcherVersion=\"1\"/>", info));
    EXPECT_FALSE(ReadLauncherInfo("<u launcherSize=\"1\"/>", info));
}

TEST(LauncherInfoRead, AVersionThatIsNoDottedNumberOffersNoLauncher) {
    LauncherInfo info;
    for (const char* version : {"1.0\\..\\..\\x", "1.0/../x", "", "1.0 beta"}) {
        const std::string text = std::string("<u launcherVersion=\"") + version + "\" launcherSize=\"2\"/>";
        EXPECT_FALSE(ReadLauncherInfo(text, info)) << version;
    }
}

TEST(ManifestPaths, WideAndLoweredOnlyForAsciiLetters) {
    EXPECT_EQ(L"data\\\x0416.dat", ManifestPath("DATA\\\xD0\x96.dat"));  // Cyrillic capital stays
}
