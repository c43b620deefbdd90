#pragma once
// The control factories: one small class per control class turns a theme
// element into a control, reads what is special to that class, and builds
// the children. LoadThemeForms makes one tree per wizard page. A control
// that cannot be made is dropped with its subtree; a page that cannot be
// made fails the whole form list. The window's thread only.

#include "gui/gui_control.h"
#include "gui/gui_pictures.h"
#include "gui/gui_profile.h"

#include <tinyxml2.h>

#include <vector>

template <class Control>
class CControlFabricBase {
public:
    virtual ~CControlFabricBase() = default;
    // Reads the class's own attributes into a new control.
    virtual bool Parse(const tinyxml2::XMLElement&, Control&) { return true; }
    // The common creation sequence; null when the element is refused.
    virtual GuiControl* Create(const tinyxml2::XMLElement& element, GuiControl* parent,
                               const CGuiProfiles& profiles);
};

// The control of one element and, recursively, of its children; null for
// an unknown element name, a tooltip, or a refused element.
GuiControl* CreateControl(const tinyxml2::XMLElement& element, GuiControl* parent, const CGuiProfiles& profiles);

// One page per `step` (with at least one child element) under
// config/forms, in order; empty when a page cannot be made or there is no
// `forms`.
std::vector<GuiTree<CGuiBitmapBorderStepCtrl>> LoadThemeForms(const tinyxml2::XMLDocument& config,
                                                              const CGuiProfiles& profiles);
