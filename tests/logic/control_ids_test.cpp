#include "logic/control_ids.h"

#include <gtest/gtest.h>

#include <set>

TEST(ControlFuncTable, KnownNamesAndRanges) {
    EXPECT_EQ(12345, ControlIdForFunc("close"));
    EXPECT_EQ(12366, ControlIdForFunc("language"));
    EXPECT_EQ(12367, ControlIdForFunc("button_lang1"));
    EXPECT_EQ(12374, ControlIdForFunc("button_lang8"));
    EXPECT_EQ(12384, ControlIdForFunc("button_extapp_help_3"));
    EXPECT_EQ(12387, ControlIdForFunc("checkbox_extapp_3"));
    EXPECT_EQ(12399, ControlIdForFunc("mblistbox"));
    EXPECT_EQ(12415, ControlIdForFunc("mbox_retry"));
    EXPECT_EQ(12431, ControlIdForFunc("headline_firstpage_info"));
    EXPECT_EQ(12434, ControlIdForFunc("text_clicklaunch"));
    EXPECT_EQ(12438, ControlIdForFunc("text_wantuninstall_path"));
    EXPECT_EQ(12439, ControlIdForFunc("single_install_button_settings"));
    EXPECT_EQ(0, ControlIdForFunc("Close"));  // exact comparison
    EXPECT_EQ(0, ControlIdForFunc(""));
}

TEST(ControlFuncTable, EveryIdentifierOnceWithTheTwoGaps) {
    const std::vector<int> ids = AllControlIds();
    const std::set<int> unique(ids.begin(), ids.end());
    EXPECT_EQ(ids.size(), unique.size());
    for (int id = 12345; id <= 12439; ++id) {
        const bool gap = id == 12432 || id == 12433;
        EXPECT_EQ(!gap, unique.count(id) == 1) << id;
        if (!gap) {
            EXPECT_EQ(id, ControlIdForFunc(ControlFuncForId(id)));
        }
    }
    EXPECT_EQ(nullptr, ControlFuncForId(12432));
}
