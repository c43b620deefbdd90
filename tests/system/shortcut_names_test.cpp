// The names an installation's shortcuts show.

#include "system/shortcut_names.h"

#include <gtest/gtest.h>

TEST(ShortcutNames, PortableAndLaterSlotsAreToldApartByTheirName) {
    EXPECT_EQ(L"Velomar", ShortcutDisplayName(L"Velomar", false, 0));
    EXPECT_EQ(L"Velomar Portable", ShortcutDisplayName(L"Velomar", true, 0));
    EXPECT_EQ(L"Velomar (5)", ShortcutDisplayName(L"Velomar", false, 4));
    EXPECT_EQ(L"Velomar Portable (2)", ShortcutDisplayName(L"Velomar", true, 1));
    EXPECT_EQ(L"Uninstall Velomar (2)", UninstallShortcutName(ShortcutDisplayName(L"Velomar", false, 1)));
}
