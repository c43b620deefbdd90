#include "startup/languages.h"
#include "startup/launcher_config.h"
#include "startup/lso_file.h"
#include "startup/package_store.h"
#include "startup/registry_key.h"
#include "update/rar29_writer.h"
#include "common/test_registry.h"

#include <gtest/gtest.h>

namespace {


class LanguageChoice : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveTestRegistryRoot();
        regPath = TestRegistryRoot() + L"\\Languages";
        Configure({"uk", "en", "kk", "ru"});
    }
    // Loads a configuration listing `codes` in this order.
    void Configure(const std::vector<std::string>& codes) {
        std::vector<RarEntry> files;
        std::string languages;
        for (const std::string& code : codes) {
            files.push_back({code + ".lso", EncodeLso({"", "title-" + code}), false});
            languages += "<enable lang=\"" + code + "\" file=\"" + code + ".lso\" long=\"" + code + "\" locale=\"" +
                         code + "\" id=\"1\" icon=\"0\"/>";
        }
        const std::string bytes = WriteRar29(files);
        ASSERT_TRUE(store.OpenPackage(bytes.data(), bytes.size()));
        doc.Parse(("<config><common><languages>" + languages + "</languages></common></config>").c_str());
        langs.Destroy();
        ASSERT_TRUE(langs.Load(doc.RootElement(), store));
    }
    static std::string SystemLanguage() {
        char code[128] = {};
        GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, code, sizeof code);
        return code;
    }
    void TearDown() override { RemoveTestRegistryRoot(); }

    void StoreRaw(DWORD type, const void* data, DWORD size) {
        CRegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, regPath + L"\\Language"));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.Get(), L"Language", 0, type, static_cast<const BYTE*>(data), size));
    }
    std::wstring Stored() {
        CRegistryKey key;
        std::wstring value;
        if (key.Open(HKEY_CURRENT_USER, regPath + L"\\Language", KEY_READ) == ERROR_SUCCESS)
            key.GetString(L"Language", value);
        return value;
    }

    CArchiveHelperRar store;
    tinyxml2::XMLDocument doc;
    CLanguages langs;
    std::wstring regPath;
};

}  // namespace

TEST(LanguageRule, InstallationPrefersThePresetOtherRunsTheStoredChoice) {
    EXPECT_EQ("ru", CLanguages::ChooseCode(rmInstall, "ru", "en", "de"));
    EXPECT_EQ("en", CLanguages::ChooseCode(rmUpdate, "ru", "en", "de"));
    EXPECT_EQ("en", CLanguages::ChooseCode(rmInstall, "", "en", "de"));
    EXPECT_EQ("ru", CLanguages::ChooseCode(rmUpdate, "ru", "", "de"));
    EXPECT_EQ("de", CLanguages::ChooseCode(rmDownload, "", "", "de"));
}

TEST_F(LanguageChoice, PresetBeatsTheRegistryInAnInstallationRun) {
    const std::wstring en = L"en";
    StoreRaw(REG_SZ, en.c_str(), DWORD((en.size() + 1) * 2));
    ASSERT_TRUE(langs.Choose(rmInstall, regPath, "ru"));
    EXPECT_EQ("ru", langs.chosenCode());
    EXPECT_EQ(L"title-ru", GetString(1));
    EXPECT_EQ(L"ru", Stored());
}

TEST_F(LanguageChoice, UpdateRunPrefersTheRegistry) {
    const std::wstring en = L"en";
    StoreRaw(REG_SZ, en.c_str(), DWORD((en.size() + 1) * 2));
    ASSERT_TRUE(langs.Choose(rmUpdate, regPath, "ru"));
    EXPECT_EQ("en", langs.chosenCode());
    EXPECT_EQ(L"title-en", GetString(1));
}

TEST_F(LanguageChoice, UnknownCodesFallBackToTheFirstConfiguredAndAreWritten) {
    ASSERT_TRUE(langs.Choose(rmInstall, regPath, "de"));
    EXPECT_EQ("uk", langs.chosenCode());
    EXPECT_EQ(L"uk", Stored());
}

TEST_F(LanguageChoice, WithoutPresetOrStoredChoiceTheSystemLanguageDecides) {
    const std::string system = SystemLanguage();
    ASSERT_FALSE(system.empty());
    // Configured second, so only the system language can pick it.
    Configure({"uk", system});
    ASSERT_TRUE(langs.Choose(rmInstall, regPath, ""));
    EXPECT_EQ(system, langs.chosenCode());
    EXPECT_EQ(L"title-" + std::wstring(system.begin(), system.end()), GetString(1));
    EXPECT_EQ(std::wstring(system.begin(), system.end()), Stored());
}

TEST_F(LanguageChoice, AnUnconfiguredSystemLanguageFallsBackToTheFirstConfigured) {
    std::vector<std::string> others;
    for (const char* code : {"kk", "uk", "ru", "en"})
        if (code != SystemLanguage()) others.push_back(code);
    Configure(others);
    ASSERT_TRUE(langs.Choose(rmUpdate, regPath, ""));
    EXPECT_EQ(others[0], langs.chosenCode());
    EXPECT_EQ(std::wstring(others[0].begin(), others[0].end()), Stored());
}

TEST_F(LanguageChoice, DownloadRunsNeverWriteTheRegistry) {
    ASSERT_TRUE(langs.Choose(rmDownload, regPath, "kk"));
    EXPECT_EQ("kk", langs.chosenCode());
    EXPECT_EQ(L"", Stored());
    ASSERT_TRUE(langs.Select(1));
    langs.Save(rmDownload, regPath);
    EXPECT_EQ(L"", Stored());
    langs.Save(rmUpdate, regPath);
    EXPECT_EQ(L"en", Stored());
}

TEST_F(LanguageChoice, OnlyProperlyTerminatedStringsCountAsStored) {
    wchar_t unterminated[50];
    for (wchar_t& c : unterminated) c = L'r';
    StoreRaw(REG_SZ, unterminated, 100);
    EXPECT_EQ("", CLanguages::StoredLanguage(regPath));
    const std::wstring tooLong(60, L'x');
    StoreRaw(REG_SZ, tooLong.c_str(), DWORD((tooLong.size() + 1) * 2));
    EXPECT_EQ("", CLanguages::StoredLanguage(regPath));
    const DWORD number = 7;
    StoreRaw(REG_DWORD, &number, sizeof number);
    EXPECT_EQ("", CLanguages::StoredLanguage(regPath));
    const std::wstring kk = L"kk";
    StoreRaw(REG_EXPAND_SZ, kk.c_str(), DWORD((kk.size() + 1) * 2));
    EXPECT_EQ("kk", CLanguages::StoredLanguage(regPath));
}

TEST_F(LanguageChoice, SelectingARecordSwitchesTheTable) {
    ASSERT_TRUE(langs.Select(3));
    EXPECT_EQ("ru", langs.chosenCode());
    EXPECT_EQ(L"title-ru", GetString(1));
    EXPECT_FALSE(langs.Select(4));
    EXPECT_FALSE(langs.Select(-1));
    EXPECT_EQ(L"title-ru", GetString(1));
}

TEST(LanguageTables, DamagedTablesFailToLoad) {
    auto loadWith = [](const std::string& table) {
        CArchiveHelperRar store;
        const std::string bytes = WriteRar29({{"x.lso", table, false}});
        store.OpenPackage(bytes.data(), bytes.size());
        tinyxml2::XMLDocument doc;
        doc.Parse("<config><common><languages><enable lang=\"x\" file=\"x.lso\" long=\"X\" locale=\"\" id=\"1\" "
                  "icon=\"0\"/></languages></common></config>");
        CLanguages langs;
        return langs.Load(doc.RootElement(), store);
    };
    EXPECT_TRUE(loadWith(EncodeLso({"", "a"})));
    EXPECT_FALSE(loadWith(std::string("\xFF\xFF\xFF\x7F\0\0\0\0", 8)));  // lying count
    EXPECT_FALSE(loadWith(std::string("\x01\0\0\0\0\0\0\0\xFF\xFF\xFF\x7F" "ab", 14)));  // lying length
    EXPECT_FALSE(loadWith(std::string("\x01\0\0\0\x01\0\0\0\0\0\0\0", 12)));  // second word not 0
    EXPECT_FALSE(loadWith(""));
}
