#pragma once
// The theme's names for control classes and control functions. The
// function names and their identifiers are the logic's table
// (logic/control_ids.h); the theme side only adds "unknown is -1".
// Portable; no state.

#include <cstdint>
#include <string>

// ControlClassTable: the element name of a control (compared exactly).
enum EGuiControlClass : int {
    gcButton = 0,
    gcScroll = 1,
    gcComboBox = 2,
    gcProgress = 3,
    gcProgressWait = 4,
    gcBitmapBorder = 5,
    gcStep = 6,
    gcBitmap = 7,
    gcEdit = 8,
    gcCheckBox = 9,
    gcTextLabel = 10,
    gcTextLines = 11,
    gcToolTip = 12,  // made by code, never from the theme
    gcUnknown = -1,
};
EGuiControlClass ControlClassForElement(const std::string& name);

// Identifiers the window itself knows: the language box it must have, the
// browse button that opens a modal folder dialog, and the close button a
// system close request stands for.
constexpr int32_t kLanguageBoxId = 12366;
constexpr int32_t kBrowseButtonId = 12353;
constexpr int32_t kCloseButtonId = 12345;

// ControlFuncTable: the identifier of a `func` name, -1 when it is empty
// or unknown.
int32_t FindControlFunc(const std::string& name);
