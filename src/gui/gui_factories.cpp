#include "gui/gui_factories.h"

#include "gui/control_tables.h"
#include "gui/gui_button.h"
#include "gui/gui_check_box.h"
#include "gui/gui_combo_box.h"
#include "gui/gui_edit.h"
#include "gui/gui_progress.h"
#include "gui/gui_scroll.h"
#include "gui/gui_text_lines.h"
#include "gui/theme_values.h"

#include <cstring>

template <class Control>
GuiControl* CControlFabricBase<Control>::Create(const tinyxml2::XMLElement& element, GuiControl* parent,
                                                const CGuiProfiles& profiles) {
    GuiTree<Control> control(new Control);
    if (!Parse(element, *control)) return nullptr;
    int32_t x = 0, y = 0, w = 0, h = 0;
    const char* pt = element.Attribute("pt");
    if (!pt || !ParseThemeIntegerPair(pt, x, y)) return nullptr;
    control->SetDesignPosition(x, y);
    control->Layout();
    const char* size = element.Attribute("size");
    if (!size || !ParseThemeIntegerPair(size, w, h)) return nullptr;
    control->SetDesignSize(w, h);
    control->Layout();
    const char* func = element.Attribute("func");
    control->SetId(FindControlFunc(func ? func : ""));
    const char* name = element.Attribute("profile");
    const CGuiProfile* profile = name ? profiles.Find(name) : nullptr;
    if (!profile || !control->SetProfile(profile, parent)) return nullptr;
    return control.release();
}

namespace {

class CFabricStep : public CControlFabricBase<CGuiBitmapBorderStepCtrl> {
public:
    bool Parse(const tinyxml2::XMLElement& element, CGuiBitmapBorderStepCtrl& step) override {
        // A variant the theme leaves out keeps the page's own size: a page
        // of no size cannot be shown.
        CGuiBitmapBorderStepCtrl::Size own{};
        const char* size = element.Attribute("size");
        if (size) ParseThemeIntegerPair(size, own.width, own.height);
        std::array<CGuiBitmapBorderStepCtrl::Size, 4> sizes{};
        static const char* const kNames[4] = {"size0", "size1", "size2", "size3"};
        for (size_t i = 0; i < 4; ++i) {
            const char* value = element.Attribute(kNames[i]);
            int32_t w = 0, h = 0;
            if (!value)
                sizes[i] = own;
            else if (ParseThemeIntegerPair(value, w, h))
                sizes[i] = {w, h};
        }
        step.SetSizeVariants(sizes);
        return true;
    }
};

template <class Label>
class CFabricAligned : public CControlFabricBase<Label> {
public:
    bool Parse(const tinyxml2::XMLElement& element, Label& label) override {
        const char* align = element.Attribute("align");
        label.SetCentred(align && std::strcmp(align, "center") == 0);
        return true;
    }
};
using CFabricTextLabel = CFabricAligned<CGuiTextLabelCtrl>;
using CFabricTextArea = CFabricAligned<CGuiTextLinesCtrl>;

// Each attribute that is present and well-formed replaces its default.
class CFabricCombobox : public CControlFabricBase<CGuiComboBoxCtrl> {
public:
    bool Parse(const tinyxml2::XMLElement& element, CGuiComboBoxCtrl& combo) override {
        GuiComboListStyle style;
        const char* value = element.Attribute("flagOffset");
        if (value) ParseThemeIntegerPair(value, style.flagOffset[0], style.flagOffset[1]);
        if ((value = element.Attribute("listElementsBorder"))) ParseThemeIntegerQuad(value, style.elementsBorder);
        if ((value = element.Attribute("listElementTextOffset")))
            ParseThemeIntegerPair(value, style.textOffset[0], style.textOffset[1]);
        if ((value = element.Attribute("colorElement"))) ParseThemeColour(value, style.colourElement);
        if ((value = element.Attribute("colorElementHL"))) ParseThemeColour(value, style.colourHover);
        if ((value = element.Attribute("colorElementSEL"))) ParseThemeColour(value, style.colourSelected);
        if ((value = element.Attribute("listElementHeight"))) ParseThemeInteger(value, style.rowHeight);
        if ((value = element.Attribute("listBorder"))) ParseThemeIntegerQuad(value, style.listBorder);
        combo.SetListStyle(style);
        return true;
    }
};

class CFabricEdit : public CControlFabricBase<CGuiEditCtrl> {
public:
    bool Parse(const tinyxml2::XMLElement& element, CGuiEditCtrl& edit) override {
        int32_t border[4] = {0, 0, 0, 0};
        const char* value = element.Attribute("textBorder");
        if (value && ParseThemeIntegerQuad(value, border)) edit.SetTextBorder(border);
        uint32_t colour = 0;
        value = element.Attribute("colorSelection");
        if (value && ParseThemeColour(value, colour)) edit.SetSelectionColour(colour);
        return true;
    }
};

GuiControl* CreateOfClass(EGuiControlClass kind, const tinyxml2::XMLElement& element, GuiControl* parent,
                          const CGuiProfiles& profiles) {
    switch (kind) {
    case gcButton: return CControlFabricBase<CGuiButtonCtrl>().Create(element, parent, profiles);
    case gcScroll: return CControlFabricBase<CGuiScrollCtrl>().Create(element, parent, profiles);
    case gcComboBox: return CFabricCombobox().Create(element, parent, profiles);
    case gcProgress: return CControlFabricBase<CGuiProgressCtrl>().Create(element, parent, profiles);
    case gcProgressWait: return CControlFabricBase<CGuiProgressWaitCtrl>().Create(element, parent, profiles);
    case gcBitmapBorder: return CControlFabricBase<CGuiBitmapBorderCtrl>().Create(element, parent, profiles);
    case gcStep: return CFabricStep().Create(element, parent, profiles);
    case gcBitmap: return CControlFabricBase<CGuiBitmapCtrl>().Create(element, parent, profiles);
    case gcEdit: return CFabricEdit().Create(element, parent, profiles);
    case gcCheckBox: return CControlFabricBase<CGuiCheckBoxCtrl>().Create(element, parent, profiles);
    case gcTextLabel: return CFabricTextLabel().Create(element, parent, profiles);
    case gcTextLines: return CFabricTextArea().Create(element, parent, profiles);
    default: return nullptr;
    }
}

}  // namespace

GuiControl* CreateControl(const tinyxml2::XMLElement& element, GuiControl* parent, const CGuiProfiles& profiles) {
    const char* name = element.Name();
    if (!name || !*name) return nullptr;
    const EGuiControlClass kind = ControlClassForElement(name);
    if (kind == gcUnknown || kind == gcToolTip) return nullptr;
    GuiControl* control = CreateOfClass(kind, element, parent, profiles);
    if (!control) return nullptr;
    for (const tinyxml2::XMLElement* child = element.FirstChildElement(); child; child = child->NextSiblingElement())
        control->AddChild(CreateControl(*child, control, profiles));
    return control;
}

std::vector<GuiTree<CGuiBitmapBorderStepCtrl>> LoadThemeForms(const tinyxml2::XMLDocument& config,
                                                              const CGuiProfiles& profiles) {
    std::vector<GuiTree<CGuiBitmapBorderStepCtrl>> pages;
    const tinyxml2::XMLElement* root = config.FirstChildElement("config");
    const tinyxml2::XMLElement* forms = root ? root->FirstChildElement("forms") : nullptr;
    if (!forms) return pages;
    for (const tinyxml2::XMLElement* e = forms->FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (std::strcmp(e->Name(), "step") != 0 || !e->FirstChildElement()) continue;
        GuiTree<GuiControl> page(CreateControl(*e, nullptr, profiles));
        auto* step = dynamic_cast<CGuiBitmapBorderStepCtrl*>(page.get());
        if (!step) return {};
        page.release();
        pages.emplace_back(step);
    }
    return pages;
}
