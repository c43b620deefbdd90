#include "system/renaming_parameters.h"

#include <gtest/gtest.h>

TEST(RenamingParameters, TheKeptPartOfTheSwitchParsesBack) {
    RenamingParameters p{L"C:\\Games\\Old Game", L"C:\\Games\\New Game", L"og", L"Old Game", L"", L"Old Icon", 12};
    const std::wstring line = RenamingSwitch(p);
    EXPECT_EQ(L"/setlongname \"C:\\Games\\Old Game\" \"C:\\Games\\New Game\" \"og\" \"Old Game\" \"\" \"Old Icon\" 12",
              line);
    RenamingParameters back;
    ASSERT_TRUE(ParseKeptParameters(line.substr(line.find(L"\" \"") + 2), back));
    EXPECT_EQ(p.newFolder, back.newFolder);
    EXPECT_EQ(p.oldFullName, back.oldFullName);
    EXPECT_EQ(L"", back.oldRegPath);
    EXPECT_EQ(12, back.actionId);
}

TEST(RenamingParameters, MalformedTextIsRefusedWhole) {
    const std::wstring good = L"\"C:\\b\" \"s\" \"f\" \"r\" \"i\" ";
    for (const std::wstring& text : std::initializer_list<std::wstring>{
             good, good + L"x", good + L"12 ", good + L"99999999999", L"\"C:\\b\" \"s\" \"f\" \"r\" \"i 3",
          L"C:\\b s f r i 3", std::wstring(2000, L'"'), L"\"C:\\b\"\"s\" \"f\" \"r\" \"i\" 3", std::wstring()}) {
        RenamingParameters p;
        p.newFolder = L"untouched";
        EXPECT_FALSE(ParseKeptParameters(text, p)) << text.substr(0, 40);
        EXPECT_EQ(L"untouched", p.newFolder);
    }
    RenamingParameters p;
    EXPECT_TRUE(ParseKeptParameters(good + L"-2", p));
    EXPECT_EQ(-2, p.actionId);
}

TEST(RenamingParameters, OnlyARenameBesideTheOldFolderIsAccepted) {
    EXPECT_TRUE(IsRenameInPlace(L"C:\\Games\\Old", L"c:\\games\\New Name"));
    for (const wchar_t* to : {L"C:\\Windows\\New", L"C:\\Games\\..", L"C:\\Games\\a\\b", L"C:\\Games\\", L"C:\\Games\\x:s",
                              L"D:\\Games\\New", L"C:\\Games\\New.", L"Games\\New"})
        EXPECT_FALSE(IsRenameInPlace(L"C:\\Games\\Old", to)) << to;
    EXPECT_TRUE(IsRenameInPlace(L"C:\\Old", L"C:\\New"));
    EXPECT_FALSE(IsRenameInPlace(L"C:\\", L"C:\\New"));
}
