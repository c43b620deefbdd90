#pragma once
// CGuiTextLabelCtrl: one line of text in the normal font of its profile,
// trimmed with an ellipsis, left-aligned or centred. Not enabled, so the
// mouse falls through to what lies behind it. The base of every control
// that shows a text. The window's thread only.

#include "gui/gdiplus_api.h"
#include "gui/gui_control.h"

#include <functional>
#include <memory>
#include <string>

class CGuiTextLabelCtrl : public GuiControl {
public:
    bool SetProfile(const CGuiProfile* profile, GuiControl* parent) override;
    void Layout() override;
    void Draw(Gdiplus::Graphics& graphics) override;
    void HashLook(uint64_t& hash) const override;

    // Every path that replaces the text calls this afterwards.
    virtual void OnTextChanged() {}

    void SetText(const std::wstring& text);
    const std::wstring& text() const { return text_; }
    void SetCentred(bool centred) { centred_ = centred; }
    bool centred() const { return centred_; }

protected:
    const Gdiplus::RectF& textRect() const { return textRect_; }
    const Gdiplus::StringFormat* stringFormat() const { return format_.get(); }
    void SetStringFormat(std::unique_ptr<Gdiplus::StringFormat> format) { format_ = std::move(format); }
    // Stores, lays out and builds the one-line format; the enabled flag is
    // left to the caller.
    bool AttachLabel(const CGuiProfile* profile, GuiControl* parent);

private:
    std::wstring text_;
    bool centred_ = false;
    Gdiplus::RectF textRect_;
    std::unique_ptr<Gdiplus::StringFormat> format_;
};

// The default text of every label-family control of a tree whose
// identifier has one (the control text table); `text` gives a string-table
// entry's text, and an empty one keeps the control's text.
void ApplyDefaultTexts(GuiControl& root, const std::function<std::wstring(int32_t entry)>& text);
