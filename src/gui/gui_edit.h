#pragma once
// CGuiEditCtrl: the toolkit's single-line text entry on four pre-rendered
// backgrounds. It keeps its own caret (blinking while focused), selection
// by mouse and Shift+arrows, horizontal scrolling that keeps the caret in
// view, and Ctrl+A/C/X/V with the Windows clipboard; Enter reports its
// identifier like a click. Hidden until the application shows it; it takes
// the keyboard focus only from a click. The text arithmetic is CEditText's.
// Owns its state images and string format. The window's thread only.

#include "gui/edit_text.h"
#include "gui/gui_control.h"
#include "gui/gui_drawing.h"

#include <memory>
#include <string>
#include <vector>

class CGuiEditCtrl : public GuiControl {
public:
    bool SetProfile(const CGuiProfile* profile, GuiControl* parent) override;
    bool PrepareImages() override;
    void Refresh() override;
    void Draw(Gdiplus::Graphics& graphics) override;
    void OnChar(uint32_t code) override;
    void OnKeyDown(uint32_t key) override;
    void OnMouseMove(GuiPoint point) override;
    void OnLButtonDown(GuiPoint point) override;
    void OnLButtonUp(GuiPoint point) override;
    // Holding the button outside the box keeps the selection scrolling.
    void OnTick(GuiPoint point) override { OnMouseMove(point); }
    void OnMouseLeave() override;
    void HashLook(uint64_t& hash) const override;

    // The whole text, cut to 2048 characters; the caret at its end.
    void SetText(const std::wstring& text);
    const std::wstring& text() const { return edit_.text(); }
    // The text's inset inside the box (left, top, right, bottom), design
    // pixels; set before the profile.
    void SetTextBorder(const int32_t (&border)[4]);
    void SetSelectionColour(uint32_t argb) { selectionColour_ = argb; }

    const CEditText& edit() const { return edit_; }
    // Pixels the text is shifted left to keep the caret in view.
    int32_t scrollOffset() const { return scroll_; }
    bool hover() const { return hover_; }

private:
    // Pressed look while focused, hover look, normal look.
    int LookState() const;
    void ComputeTextArea();
    // The character boxes for the text in the current look's font.
    void MeasureIfNeeded();
    void KeepCaretVisible();
    // A window x that includes the scroll offset, from the text origin.
    float TextX(int32_t scrolledX) const;
    void OnShortcut(uint32_t key);
    // Measure again; the text is back at its start with the caret.
    void TextChanged();
    void DrawSelection(Gdiplus::Graphics& graphics) const;
    void DrawCaret(Gdiplus::Graphics& graphics, uint32_t colour) const;

    CEditText edit_;
    int32_t textBorder_[4] = {0, 0, 0, 0};
    bool hover_ = false;
    bool selecting_ = false;
    bool needsMeasuring_ = true;
    GuiPoint press_, current_;  // x includes the scroll offset
    int32_t scroll_ = 0;
    uint32_t selectionColour_ = 0xFF000000;
    Gdiplus::RectF area_;  // relative to the control
    std::vector<EditCharBox> boxes_;
    const Gdiplus::Font* measuredFont_ = nullptr;
    CStateImages images_;
    std::unique_ptr<Gdiplus::StringFormat> format_;
};
