#include "common/temp_folder.h"
#include "update/app_list.h"
#include "update/checker_thread.h"

#include <gtest/gtest.h>

namespace {

AppListRecord Record(const std::wstring& name, const std::wstring& exec) {
    AppListRecord r{};
    SetRecordText(r.name, 65, name);
    SetRecordText(r.exec, 261, exec);
    return r;
}

std::string Bytes(const std::vector<AppListRecord>& records) {
    return AppListBytes(records);
}

std::vector<std::pair<std::wstring, std::wstring>> Texts(const std::vector<AppListRecord>& records) {
    std::vector<std::pair<std::wstring, std::wstring>> out;
    for (const auto& r : records) out.push_back({RecordText(r.name, 65), RecordText(r.exec, 261)});
    return out;
}

using AppListTest = TempFolderTest;

}  // namespace

TEST_F(AppListTest, ReadAcceptsWholeRecordsAndDeletesAnythingElse) {
    std::vector<AppListRecord> list = {Record(L"keep", L"k.exe")};
    EXPECT_TRUE(CAppList::Read(dir(), list));  // no file: empty
    EXPECT_TRUE(list.empty());

    WriteFileBytes(path(L"applist.dat"), "");
    list = {Record(L"keep", L"k.exe")};
    EXPECT_TRUE(CAppList::Read(dir(), list));
    EXPECT_TRUE(list.empty());

    WriteFileBytes(path(L"applist.dat"), Bytes({Record(L"A", L"a.exe"), Record(L"", L"ext\\b.exe")}));
    ASSERT_TRUE(CAppList::Read(dir(), list));
    EXPECT_EQ((std::vector<std::pair<std::wstring, std::wstring>>{{L"A", L"a.exe"}, {L"", L"ext\\b.exe"}}), Texts(list));

    WriteFileBytes(path(L"applist.dat"), Bytes({Record(L"A", L"a.exe")}) + "x");  // 653 bytes
    SetFileAttributesW(path(L"applist.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(CAppList::Read(dir(), list));
    EXPECT_FALSE(PathExists(path(L"applist.dat")));
    EXPECT_EQ(2u, list.size());  // keeps what it held
}

TEST_F(AppListTest, WriteKeepsLeadingAddOnsAndRebuildsThePrograms) {
    CAppList list;
    list.records = {Record(L"", L"A.exe"), Record(L"P", L"p.exe"), Record(L"Q", L"q.exe")};
    ASSERT_TRUE(list.Write(dir(), true, {{L"x.pkg", L"X", L"x.exe", L"", L"", true}},
                           {{L"c.pkg", L"client.exe", L"Client"}}));
    std::vector<AppListRecord> read;
    ASSERT_TRUE(CAppList::Read(dir(), read));
    EXPECT_EQ((std::vector<std::pair<std::wstring, std::wstring>>{{L"", L"A.exe"}, {L"Client", L"client.exe"}}),
              Texts(read));
    EXPECT_EQ(2 * 652u, ReadFileBytes(path(L"applist.dat")).size());

    // Not internal only: the add-ons are registered as unnamed records first.
    ASSERT_TRUE(list.Write(dir(), false, {{L"x.pkg", L"X", L"x.exe", L"", L"", true}},
                           {{L"c.pkg", L"client.exe", L"Client"}}));
    ASSERT_TRUE(CAppList::Read(dir(), read));
    EXPECT_EQ((std::vector<std::pair<std::wstring, std::wstring>>{{L"", L"A.exe"}, {L"", L"x.exe"}, {L"Client", L"client.exe"}}),
              Texts(read));

    CAppList empty;
    empty.records = {Record(L"P", L"p.exe")};
    SetFileAttributesW(path(L"applist.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(empty.Write(dir(), true, {}, {}));
    EXPECT_FALSE(PathExists(path(L"applist.dat")));
    EXPECT_FALSE(empty.Write(L"C:", true, {}, {}));
}

TEST_F(AppListTest, FindOrAddComparesExecExactlyAndCutsNames) {
    CAppList list;
    EXPECT_TRUE(list.FindOrAdd(std::wstring(70, L'n'), L"Client.exe", false));
    EXPECT_FALSE(list.FindOrAdd(L"other", L"Client.exe", false));
    EXPECT_TRUE(list.FindOrAdd(L"lower", L"client.exe", true));
    EXPECT_EQ(1u, list.records.size());
    EXPECT_EQ(std::wstring(64, L'n'), RecordText(list.records[0].name, 65));
    EXPECT_FALSE(list.FindOrAdd(L"long", std::wstring(261, L'e'), false));
    EXPECT_TRUE(list.FindOrAdd(L"max", std::wstring(260, L'e'), false));
    EXPECT_EQ(2u, list.records.size());
}

TEST_F(AppListTest, ShortcutChangesDeleteVanishedProgramsThenAddNewOnes) {
    WriteFileBytes(path(L"applist.dat"), Bytes({Record(L"", L"ext.exe"), Record(L"Old", L"old.exe"),
                                                Record(L"Keep", L"Client.exe")}));
    CAppList list;
    std::vector<ProgramChange> changes;
    ASSERT_TRUE(list.ShortcutChanges(dir(), {{L"p", L"new.exe", L"New"}, {L"p", L"Client.exe", L"Keep"},
                                             {L"p", L"client.exe", L"Lower"}},
                                     changes));
    ASSERT_EQ(3u, changes.size());
    EXPECT_EQ(L"old.exe", changes[0].exec);
    EXPECT_EQ(L"Old", changes[0].name);
    EXPECT_FALSE(changes[0].add);
    EXPECT_EQ(L"new.exe", changes[1].exec);
    EXPECT_TRUE(changes[1].add);
    EXPECT_EQ(L"client.exe", changes[2].exec);
    EXPECT_EQ(L"Lower", changes[2].name);
}

TEST_F(AppListTest, NewAddOnsAreTheExtDescriptionsNotInstalled) {
    CAppList list;
    list.records = {Record(L"", L"ext\\a.exe")};
    std::vector<ExtAddOn> offered;
    list.NewAddOns({{L"a.pkg", L"A", L"ext\\a.exe", L"", L"", true}, {L"b.pkg", L"B", L"ext\\b.exe", L"help\nline", L"-x", false}},
                   offered);
    ASSERT_EQ(1u, offered.size());
    EXPECT_EQ(L"B", offered[0].name);
    EXPECT_EQ(L"help\nline", offered[0].help);
    EXPECT_EQ(L"-x", offered[0].cmdl);
    EXPECT_FALSE(offered[0].selected);
}
