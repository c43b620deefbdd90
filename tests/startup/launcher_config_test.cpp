#include "startup/languages.h"
#include "startup/launcher_config.h"
#include "startup/launcher_error.h"
#include "startup/lso_file.h"
#include "startup/package_store.h"
#include "startup/registry_key.h"
#include "update/rar29_writer.h"
#include "common/test_registry.h"

#include <gtest/gtest.h>

namespace {

std::string ConfigRegPath() { return TestRegistryRootA() + "\\Config"; }

std::string Table(size_t entries, const std::string& marker) {
    std::vector<std::string> e(entries);
    for (size_t i = 1; i < entries; ++i) e[i] = marker + std::to_string(i);
    return EncodeLso(e);
}

std::string Config(const std::string& commonExtra = "", const std::string& themes = "") {
    return "<config><common><regPath>" + ConfigRegPath() +
           "</regPath><log><logLauncher enable=\"true\"/><logHTTP enable=\"1\"/></log>"
           "<multiRun value=\"yes\"/>" +
           commonExtra +
           "<languages>"
           "<enable lang=\"uk\" file=\"uk.lso\" long=\"UA\" locale=\"uk\" id=\"1\" icon=\"0\"/>"
           "<enable lang=\"en\" file=\"en.lso\" long=\"EN\" locale=\"en\" id=\"2\" icon=\"3\" font=\"4\"/>"
           "</languages></common>" +
           (themes.empty() ? "<themes><theme name=\"first\" path=\"t1\"/><theme name=\"second\" path=\"t2\"/></themes>"
                           : themes) +
           "</config>";
}

class ConfigLoading : public ::testing::Test {
protected:
    void TearDown() override { RemoveTestRegistryRoot(); }
    bool Load(const std::string& config, size_t enEntries = 5) {
        const std::string bytes = WriteRar29({{"config.xml", config, false},
                                              {"uk.lso", Table(5, "uk"), false},
                                              {"en.lso", Table(enEntries, "en"), false},
                                              {"t1\\config.xml", "<theme><common/></theme>", false},
                                              {"t2\\config.xml", "<theme><common/></theme>", false}});
        if (!store.OpenPackage(bytes.data(), bytes.size())) return false;
        return LoadLauncherConfig(store, cfg, languages);
    }
    CArchiveHelperRar store;
    LauncherConfig cfg;
    CLanguages languages;
};

}  // namespace

TEST_F(ConfigLoading, ReadsSwitchesThemeAndLanguages) {
    ASSERT_TRUE(Load(Config()));
    EXPECT_EQ(TestRegistryRoot() + L"\\Config", cfg.regPath);
    EXPECT_TRUE(cfg.logLauncher);
    EXPECT_TRUE(cfg.logHTTP);
    EXPECT_FALSE(cfg.multiRun);  // "yes" is not a boolean
    EXPECT_EQ("t1\\", cfg.themeFolder);
    ASSERT_EQ(2u, languages.records().size());
    EXPECT_EQ("uk", languages.defaultCode());
    EXPECT_EQ(4, languages.records()[1].font);
    EXPECT_EQ(3, languages.records()[1].icon);
    // The first table is current at once.
    EXPECT_EQ(L"uk2", GetString(2));
    EXPECT_EQ(L"", GetString(0));
    EXPECT_EQ(L"", GetString(5));
    EXPECT_EQ(L"", GetString(-1));
}

TEST_F(ConfigLoading, RegistryThemeNameSelectsItsPathOrFallsBackToTheFirst) {
    CRegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, TestRegistryRoot() + L"\\Config\\Themes"));
    ASSERT_EQ(ERROR_SUCCESS, key.SetString(L"Theme", L"second"));
    ASSERT_TRUE(Load(Config()));
    EXPECT_EQ("t2\\", cfg.themeFolder);
    ASSERT_EQ(ERROR_SUCCESS, key.SetString(L"Theme", L"unknown"));
    LauncherConfig again;
    CLanguages otherLanguages;
    ASSERT_TRUE(LoadLauncherConfig(store, again, otherLanguages));
    EXPECT_EQ("t1\\", again.themeFolder);
}

TEST_F(ConfigLoading, EveryRequiredPieceMissingFailsPreinit) {
    EXPECT_FALSE(Load("<config><common/></config>"));                       // no regPath
    EXPECT_FALSE(Load("<config><other/></config>"));                        // no common
    EXPECT_FALSE(Load("<config><common><regPath>x</regPath>"));             // does not parse
    EXPECT_FALSE(Load(Config("", "<themes/>")));                            // no theme
    EXPECT_FALSE(Load(Config("", "<themes><theme name=\"n\" path=\"missing\"/></themes>")));  // no theme config
    EXPECT_FALSE(Load(Config(), 4));                                        // tables of unequal length
}

TEST(ConfigKeys, InitKeysDefaultsAndRequiredTexts) {
    tinyxml2::XMLDocument doc;
    doc.Parse("<config><common><shortName>Velomar</shortName><fullName>Talvoro</fullName>"
              "<automaticInstallMode enable=\"true\" promoURL=\"https://promo/\"/></common>"
              "<launch><Process>GameClient.exe</Process><ProcessArgs/>"
              "<WindowClassName>Ostrel Game Client Window Class</WindowClassName></launch></config>");
    const InitSettings s = ReadInitSettings(doc.RootElement(), false, 10, 0);
    EXPECT_EQ("GameClient.exe", s.process);
    EXPECT_EQ("", s.processArgs);
    EXPECT_EQ("/client/license", s.urlLicense);
    EXPECT_TRUE(s.automaticInstall);
    EXPECT_EQ("https://promo/", s.promoUrl);
    EXPECT_TRUE(s.iconDesktop);
    EXPECT_TRUE(s.iconProgramsFolder);  // defaults to the automatic mode
    EXPECT_TRUE(s.silentDownload);

    const InitSettings given = ReadInitSettings(doc.RootElement(), true, 6, 2);
    EXPECT_TRUE(given.automaticInstall);
    EXPECT_EQ("", given.promoUrl);  // "/auto" leaves the configured mode unread

    doc.Parse("<config><common><shortName>s</shortName><fullName>f</fullName></common>"
              "<launch><Process>c.exe</Process><ProcessArgs>-x 1</ProcessArgs><WindowClassName>w</WindowClassName>"
              "</launch></config>");
    const InitSettings manual = ReadInitSettings(doc.RootElement(), false, 6, 2);
    EXPECT_FALSE(manual.iconDesktop);  // forced off on newer systems outside automatic mode
    EXPECT_EQ("c.exe", manual.process);
    EXPECT_EQ("-x 1", manual.processArgs);

    auto thrown = [](const char* xml) {
        tinyxml2::XMLDocument d;
        d.Parse(xml);
        try {
            ReadInitSettings(d.RootElement(), false, 10, 0);
        } catch (const CLauncherError& e) {
            return e.text;
        }
        return std::string("nothing thrown");
    };
    EXPECT_EQ("Unable to load window class name", thrown("<config><common/></config>"));
    EXPECT_EQ("Unable to load short clone name",
              thrown("<config><common/><launch><WindowClassName>w</WindowClassName></launch></config>"));
    EXPECT_EQ("Unable to load full clone name",
              thrown("<config><common><shortName>s</shortName></common>"
                     "<launch><WindowClassName>w</WindowClassName></launch></config>"));
    EXPECT_EQ("Unable load client file name",
              thrown("<config><common><shortName>s</shortName><fullName>f</fullName></common>"
                     "<launch><Process></Process><WindowClassName>w</WindowClassName></launch></config>"));
}

TEST_F(ConfigLoading, DebugModeIsTheLowByteOfTheParentKeyValue) {
    const std::wstring regPath = TestRegistryRoot() + L"\\TL";
    EXPECT_FALSE(ReadDebugMode(regPath));
    CRegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, TestRegistryRoot()));
    DWORD value = 0x100;  // low byte zero
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.Get(), L"OstrelDebugMode", 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&value), sizeof value));
    EXPECT_FALSE(ReadDebugMode(regPath));
    value = 0x101;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.Get(), L"OstrelDebugMode", 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&value), sizeof value));
    EXPECT_TRUE(ReadDebugMode(regPath));
}

TEST(ConfigKeys, UpdatePathComesFromTheSlotWhenSet) {
    InitSettings s;
    s.urlUpdate = "/game-clients/win32/velomar/updates.velomar/";
    EXPECT_EQ("/game-clients/win32/velomar/updates.velomar/", ChooseUpdatePath("", s));
    EXPECT_EQ("/branded/updates/", ChooseUpdatePath("/branded/updates/", s));
}

TEST(ConfigKeys, ThemeKeysAndDebugModeKey) {
    tinyxml2::XMLDocument doc;
    doc.Parse("<theme><common><singlePageMode value=\"true\"/><MBLineLength value=\"0x30\"/></common></theme>");
    const ThemeSettings t = ReadThemeSettings(doc.RootElement());
    EXPECT_TRUE(t.singlePageMode);
    EXPECT_TRUE(t.backNextArrowsInText);
    EXPECT_EQ(48, t.mbLineLength);
    doc.Parse("<theme/>");
    EXPECT_THROW(ReadThemeSettings(doc.RootElement()), CLauncherError);

    EXPECT_EQ(L"Software\\Hollisk Games", DebugModeKey(L"Software\\Hollisk Games\\TL"));
    EXPECT_EQ(L"TL", DebugModeKey(L"TL"));
    EXPECT_EQ(L"a\\b", DebugModeKey(L"a\\b"));  // backslash within the first two characters
}
