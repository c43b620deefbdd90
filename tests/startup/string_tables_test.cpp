// Checks the shipped string tables: every language has the English entry
// count and keeps each entry's format directives in the same order.

#include "startup/lso_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

namespace {

std::vector<std::string> Load(const std::string& code) {
    std::ifstream in(std::string(LAUNCHER_SOURCE_DIR) + "/assets/strings/" + code + ".txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> entries;
    std::string error;
    EXPECT_TRUE(ParseStringSource(text.str(), entries, error)) << code << ": " << error;
    return entries;
}

std::vector<std::string> Directives(const std::string& text) {
    static const std::regex directive("%(\\.1f|[sd%])");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), directive); it != std::sregex_iterator(); ++it)
        found.push_back(it->str());
    return found;
}

size_t Count(const std::string& text, char c) { return size_t(std::count(text.begin(), text.end(), c)); }

}  // namespace

TEST(StringTables, EnglishHasTheKnownEntries) {
    const std::vector<std::string> en = Load("en");
    ASSERT_EQ(119u, en.size());
    EXPECT_EQ("", en[0]);
    EXPECT_EQ("Game Launcher", en[2]);
    EXPECT_EQ("Downloading: %.1f KB of %.1f KB completed...", en[4]);
    EXPECT_EQ("%.1f%%", en[8]);
    EXPECT_EQ("CRC check failed\nOne or more files were corrupted during downloading.\n"
              "Press [RETRY] to download corrupted files again.",
              en[40]);
    EXPECT_EQ("Unable init net transport", en[71]);
    EXPECT_EQ("Initializing", en[85]);
    EXPECT_EQ("uninstall.dat", en[110]);
}

TEST(StringTables, TranslationsKeepCountDirectivesAndLineBreaks) {
    const std::vector<std::string> en = Load("en");
    for (const char* code : {"uk", "kk", "ru"}) {
        const std::vector<std::string> t = Load(code);
        ASSERT_EQ(en.size(), t.size()) << code;
        for (size_t n = 0; n < en.size(); ++n) {
            EXPECT_EQ(Directives(en[n]), Directives(t[n])) << code << " entry " << n;
            EXPECT_EQ(Count(en[n], '%'), Count(t[n], '%')) << code << " entry " << n;
            EXPECT_EQ(Count(en[n], '\n'), Count(t[n], '\n')) << code << " entry " << n;
        }
        EXPECT_EQ("", t[0]) << code;
        EXPECT_NE(en[1], t[1]) << code << " is not translated";
    }
}
