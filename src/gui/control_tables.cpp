#include "gui/control_tables.h"

#include "logic/control_ids.h"

namespace {

const struct {
    const char* name;
    EGuiControlClass code;
} kControlClassTable[] = {
    {"CGuiButtonCtrl", gcButton},         {"CGuiScrollCtrl", gcScroll},
    {"CGuiComboBoxCtrl", gcComboBox},     {"CGuiProgressCtrl", gcProgress},
    {"CGuiProgressWaitCtrl", gcProgressWait}, {"CGuiBitmapBorderCtrl", gcBitmapBorder},
    {"step", gcStep},                     {"CGuiBitmapCtrl", gcBitmap},
    {"CGuiEditCtrl", gcEdit},             {"CGuiCheckBoxCtrl", gcCheckBox},
    {"CGuiTextLabelCtrl", gcTextLabel},   {"CGuiTextLinesCtrl", gcTextLines},
    {"tooltip", gcToolTip},
};

}  // namespace

EGuiControlClass ControlClassForElement(const std::string& name) {
    for (const auto& entry : kControlClassTable)
        if (name == entry.name) return entry.code;
    return gcUnknown;
}

int32_t FindControlFunc(const std::string& name) {
    const int id = name.empty() ? 0 : ControlIdForFunc(name);
    return id ? id : -1;
}
