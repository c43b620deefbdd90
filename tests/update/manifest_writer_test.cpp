#include "update/manifest.h"
#include "update/manifest_writer.h"

#include <gtest/gtest.h>

namespace {

ManifestDocument Sample() {
    ManifestDocument d;
    d.clientVersion = "5.2.101";
    d.hasLauncher = true;
    d.launcherVersion = "1.0.0.7";
    d.launcherSize = 3456789;
    d.hasLauncherCrc = true;
    d.launcherCrc = 4000000000u;  // above the signed range
    d.launcherUrl = "https://cdn.example/Launcher.exe?a=1&b=\"2\"";
    ManifestDocPack full;
    full.file = "client.pkg";
    full.crc = 4294967295u;
    full.size = 6000000000ull;  // beyond 32 bits
    full.files = {{"Bin\\Game.exe", 123, 10},
                  {"\xD0\x94\xD0\xB0\xD0\xBD\xD1\x96 & <more>\\\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB.txt", 7, 5000000000ull},
                  {"empty.cfg", 4294967295u, 0}};
    ManifestDocPack voice;
    voice.type = "ext";
    voice.platform = "64";
    voice.file = "voice.pkg";
    voice.crc = 9;
    voice.size = 99;
    voice.infos = {{"ru", true, "Голос", "voice\\ru.exe", "", ""},
                   {"en", false, "Voice & chat", "voice\\setup.exe", "/quiet \"x\"", "Line one\nLine <two>"}};
    voice.files = {{"Voice\\setup.exe", 8, 80}};
    ManifestDocPack runtime;
    runtime.type = "int";
    runtime.platform = "32";
    runtime.file = "runtime.pkg";
    runtime.infos = {{"en", true, "Runtime", "rt\\install.exe", "", ""}};
    runtime.files = {{"RT\\install.exe", 10, 100}};
    ManifestDocPack delta;
    delta.type = "increment";
    delta.file = "increment.pkg";
    delta.size = 55;
    delta.files = {{"Bin\\Game.exe", 123, 10}};
    d.packs = {full, voice, runtime, delta};
    d.ignores = {"*\\guest.dat", "*\\*.cfg", "Logs\\keep.txt"};
    d.modification = ContentStamp(d);
    return d;
}

ManifestOptions Options(int platform) {
    ManifestOptions o;
    o.platform = platform;
    o.language = "en";
    return o;
}

}  // namespace

TEST(ManifestWriter, TheLaunchersParserReadsWhatIsWritten) {
    const std::string text = WriteManifest(Sample());
    CManifest m;
    ASSERT_TRUE(m.Parse(text, Options(2)));
    ASSERT_EQ(3u, m.packs.size());  // the 32-bit pack is not for this system
    EXPECT_EQ(4294967295u, m.packs.at(L"client.pkg").crc);
    EXPECT_EQ(6000000000ull, m.packs.at(L"client.pkg").size);
    const FileRecord& game = m.files.at(L"bin\\game.exe");
    EXPECT_EQ(123u, game.crc);
    EXPECT_EQ(10u, game.size);
    const FileRecord& cyr = m.files.at(ManifestPath("\xD0\x94\xD0\xB0\xD0\xBD\xD1\x96 & <more>\\\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB.txt"));
    EXPECT_EQ(5000000000ull, cyr.size);
    EXPECT_EQ(4294967295u, m.files.at(L"empty.cfg").crc);
    EXPECT_EQ(L"voice\\setup.exe", m.files.at(L"voice\\setup.exe").program);
    ASSERT_EQ(1u, m.extAddOns.size());
    EXPECT_EQ(L"Voice & chat", m.extAddOns[0].name);
    EXPECT_EQ(L"/quiet \"x\"", m.extAddOns[0].cmdl);
    EXPECT_EQ(L"Line one\nLine <two>", m.extAddOns[0].help);
    EXPECT_FALSE(m.extAddOns[0].selected);
    EXPECT_TRUE(m.intAddOns.empty());
    ASSERT_EQ(1u, m.increments.size());
    EXPECT_EQ(55u, m.increments[0].size);
    EXPECT_EQ(1u, m.increments[0].files.count(L"bin\\game.exe"));
    EXPECT_EQ((std::set<std::wstring>{L"guest.dat", L"*.cfg"}), m.keptNames);
    EXPECT_EQ((std::set<std::wstring>{L"logs\\keep.txt"}), m.keptPaths);

    CManifest m32;
    ASSERT_TRUE(m32.Parse(text, Options(1)));
    ASSERT_EQ(1u, m32.intAddOns.size());
    EXPECT_EQ(L"Runtime", m32.intAddOns[0].name);
    EXPECT_EQ(0u, m32.files.count(L"voice\\setup.exe"));

    LauncherInfo info;
    ASSERT_TRUE(ReadLauncherInfo(text, info));
    EXPECT_EQ("1.0.0.7", info.version);
    EXPECT_EQ(3456789, info.size);
    EXPECT_TRUE(info.crcPresent);
    EXPECT_EQ(4000000000u, info.crc);
    EXPECT_EQ("https://cdn.example/Launcher.exe?a=1&b=\"2\"", info.url);
}

TEST(ManifestWriter, LauncherAttributesOnlyWhenGiven) {
    ManifestDocument d = Sample();
    d.hasLauncher = false;
    LauncherInfo info;
    EXPECT_FALSE(ReadLauncherInfo(WriteManifest(d), info));
    d.hasLauncher = true;
    d.hasLauncherCrc = false;
    d.launcherUrl.clear();
    const std::string text = WriteManifest(d);
    ASSERT_TRUE(ReadLauncherInfo(text, info));
    EXPECT_FALSE(info.crcPresent);
    EXPECT_EQ(std::string::npos, text.find("launcherUrl"));
    EXPECT_EQ(std::string::npos, text.find("launcherCRC"));
}

TEST(ManifestWriter, ReadingBackAndWritingAgainIsIdentical) {
    const std::string text = WriteManifest(Sample());
    ManifestDocument back;
    std::string error;
    ASSERT_TRUE(ReadManifestDocument(text, back, error)) << error;
    EXPECT_EQ(text, WriteManifest(back));
    EXPECT_FALSE(ReadManifestDocument("<update><PACK type=\"full\"/></update>", back, error));
    EXPECT_FALSE(ReadManifestDocument("<update", back, error));
}

TEST(ManifestWriter, ContentStampFollowsTheFilesOnly) {
    const ManifestDocument base = Sample();
    ManifestDocument d = base;
    d.packs[3].files.clear();  // increments change nothing installed
    d.clientVersion = "9.9.9";
    d.launcherVersion = "2.0.0.0";
    EXPECT_EQ(ContentStamp(base), ContentStamp(d));
    EXPECT_EQ(16u, ContentStamp(base).size());
    d = base;
    d.packs[0].files[0].crc ^= 1;
    EXPECT_NE(ContentStamp(base), ContentStamp(d));
    d = base;
    d.packs[0].files[2].size = 1;
    EXPECT_NE(ContentStamp(base), ContentStamp(d));
    d = base;
    d.packs[0].files.pop_back();
    EXPECT_NE(ContentStamp(base), ContentStamp(d));
}
