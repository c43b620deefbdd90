#include "update/changes_list.h"
#include "update/configured_actions.h"

#include <gtest/gtest.h>

namespace {

ConfiguredActions Read(const char* xml) {
    static tinyxml2::XMLDocument doc;
    doc.Parse(xml);
    return ReadConfiguredActions(doc.RootElement());
}

}  // namespace

TEST(ClientVersionRange, BoundsIncludeTheirOwnVersionOnly) {
    EXPECT_TRUE(VersionInRange({1, 2, 0, 0}, "1.2", ""));
    EXPECT_FALSE(VersionInRange({1, 1, 9, 9}, "1.2", ""));
    EXPECT_TRUE(VersionInRange({2, 0, 0, 0}, "", "2.0"));
    EXPECT_FALSE(VersionInRange({2, 0, 0, 1}, "", "2.0"));
    EXPECT_TRUE(VersionInRange({0, 0, 0, 0}, "", ""));
    EXPECT_EQ((ClientVersion{3, 0, 7, 0}), ParseDottedVersion("3.x.7"));
    EXPECT_EQ((ClientVersion{1, 2, 3, 4}), ParseDottedVersion("1.2.3.4.5"));
}

TEST(ChangesList, MissingFileIsVersionZeroAndRecordedIdsOnlyGrow) {
    CChangesList list;
    list.Parse("");
    EXPECT_EQ((ClientVersion{0, 0, 0, 0}), list.version());
    EXPECT_FALSE(list.Record(0));
    EXPECT_TRUE(list.Applies(0, "", ""));
    EXPECT_TRUE(list.Record(7));
    EXPECT_TRUE(list.Record(7));  // rewritten, not added twice
    EXPECT_FALSE(list.Applies(7, "", ""));
    list.SetVersion({1, 2, 3, 4});
    const std::string bytes = list.Bytes();
    ASSERT_EQ(20u, bytes.size());
    EXPECT_EQ(std::string("\x07\0\0\0", 4), bytes.substr(16));

    CChangesList again;
    again.Parse(bytes + "\x01\x02");  // a torn last value is not a value
    EXPECT_EQ((ClientVersion{1, 2, 3, 4}), again.version());
    EXPECT_TRUE(again.Recorded(7));
    EXPECT_EQ(bytes, again.Bytes());
}

TEST(ConfiguredActions, OnlyAValidFirstSetLongNameAndNamedRenamesAreKept) {
    const ConfiguredActions a = Read(
        "<config><common><ACTIONS>"
        "<SETSTR id='9'/>"
        "<SETLONGNAME id='3' verEnd='2.0' oldlongname='Old Game' newlongname='New Game' oldshortname='og'"
        " newshortname='ng' oldregpath='Software\\Old' apply_to_portable='false'/>"
        "<SETLONGNAME id='4' oldlongname='a' newlongname='b' oldshortname='c' newshortname='c'/>"
        "<RENAME id='5' name='a.txt' toname='b.txt'/><RENAME id='6' name=''/><RENAME id='7' name='x\\'/>"
        "</ACTIONS></common></config>");
    ASSERT_TRUE(a.present && a.setLongName);
    EXPECT_EQ(3, a.setLongName->id);
    EXPECT_EQ("2.0", a.setLongName->verEnd);
    EXPECT_FALSE(a.setLongName->applyToPortable);
    ASSERT_EQ(2u, a.renames.size());
    EXPECT_EQ("b.txt", a.renames[0].toName);
    EXPECT_EQ(7, a.renames[1].id);

    // A short name that changes needs the old registry path.
    EXPECT_FALSE(Read("<config><common><ACTIONS><SETLONGNAME id='1' oldlongname='a' newlongname='b'"
                      " oldshortname='c' newshortname='d'/></ACTIONS></common></config>")
                     .setLongName);
    EXPECT_FALSE(Read("<config><common/></config>").present);
}

TEST(ConfiguredActions, MigrationsNeedTheirThreeNames) {
    tinyxml2::XMLDocument doc;
    doc.Parse("<config><common><migrations>"
              "<migration><shortName>og</shortName><fullName>Old</fullName><regPath>Software\\Old</regPath>"
              "<iconName>Old Icon</iconName></migration>"
              "<migration><shortName>x</shortName><fullName>y</fullName></migration>"
              "</migrations></common></config>");
    const std::vector<Migration> m = ReadMigrations(doc.RootElement());
    ASSERT_EQ(1u, m.size());
    EXPECT_EQ("Software\\Old", m[0].regPath);
    EXPECT_EQ("Old Icon", m[0].iconName);
}

TEST(RenameTable, EachRowAndHostileNames) {
    const struct {
        const char* name;
        const char* toName;
        RenameEffect effect;
    } rows[] = {
        {"old\\", "", RenameEffect::DeleteFolder},
        {"old\\", "new\\", RenameEffect::Nothing},
        {"old\\", "new", RenameEffect::Nothing},
        {"a.txt", "", RenameEffect::DeleteFile},
        {"data\\A.TXT", "data/a.txt", RenameEffect::Nothing},
        {"a.txt", "sub\\b.txt", RenameEffect::Move},
        {"..\\..\\Windows", "", RenameEffect::Nothing},
        {"C:\\Windows\\", "", RenameEffect::Nothing},
        {"a.txt", "..\\..\\Windows\\a.txt", RenameEffect::Nothing},
        {"a.txt", "D:\\a.txt", RenameEffect::Nothing},
        {".\\", "", RenameEffect::Nothing},
        {"sub\\.\\", "", RenameEffect::Nothing},
        {"", "", RenameEffect::Nothing},
    };
    for (const auto& r : rows) EXPECT_EQ(r.effect, PlanRename(r.name, r.toName).effect) << r.name << " -> " << r.toName;
    const RenamePlan move = PlanRename("a.txt", "sub//b.txt");
    EXPECT_EQ("sub\\b.txt", move.target);
}
