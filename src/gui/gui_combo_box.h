#pragma once
// CGuiComboBoxCtrl: a label on four pre-rendered backgrounds with a drop
// list of rows (ordered by their item identifiers) and, optionally, the
// picture of the selected row. A click on the box opens the list below it,
// or above it when the monitor has no room below; a click on a row selects
// it, reports the box's identifier and closes the list. The open list may
// reach beyond the page, so the hosting window grows its surface while it
// is open. Owns its state images; the profiles and the hosts are not its.
// The window's thread only.

#include "gui/gui_drawing.h"
#include "gui/gui_text_label.h"

#include <windows.h>

#include <vector>

// What the combo box asks of the window that hosts it while its list opens
// and closes.
class IGuiComboHost {
public:
    // Monitor rectangle, window rectangle (screen pixels) and the taskbar
    // allowance (monitor height minus work-area height).
    virtual void ListWorkArea(RECT& monitor, RECT& window, int32_t& taskbarAllowance) = 0;
    // The list opened (true) or closed: the window recomputes its surface.
    virtual void ResizeSurfaceForList(bool open) = 0;

protected:
    ~IGuiComboHost() = default;
};

// The drop list's look from the theme element.
struct GuiComboListStyle {
    int32_t flagOffset[2] = {0, 0};            // the picture inside the box, pixels
    int32_t elementsBorder[4] = {0, 0, 0, 0};  // around the rows: left, top, right, bottom
    int32_t textOffset[2] = {0, 0};            // a row's text inside the row, design pixels
    uint32_t colourElement = 0xFF000000;
    uint32_t colourHover = 0xFF000000;
    uint32_t colourSelected = 0xFF000000;
    int32_t rowHeight = 0;                 // design pixels
    int32_t listBorder[4] = {0, 0, 0, 0};  // the frame beyond the rows
};

class CGuiComboBoxCtrl : public CGuiTextLabelCtrl {
public:
    bool HitTest(int32_t x, int32_t y) const override;
    bool PrepareImages() override;
    bool SetProfile(const CGuiProfile* profile, GuiControl* parent) override;
    void Refresh() override;
    void Draw(Gdiplus::Graphics& graphics) override;
    void OnMouseMove(GuiPoint point) override;
    void OnLButtonDown(GuiPoint point) override;
    void OnMouseLeave() override;
    // Opens or closes the list.
    void OnPress() override;
    void OnTextChanged() override { PrepareImages(); }
    void HashLook(uint64_t& hash) const override;

    // Set before the profile.
    void SetListStyle(const GuiComboListStyle& style) { style_ = style; }
    void SetComboHost(IGuiComboHost* host) { comboHost_ = host; }

    // Inserts a row, or replaces the text of the row with this identifier.
    void AddItem(int32_t id, const std::wstring& text);
    void ClearItems();
    size_t rowCount() const { return rows_.size(); }
    // Selects the row at `index` and shows its text; an index outside the
    // rows leaves none selected and the text as it is.
    void SelectRow(int32_t index);
    // The selected row's index, -1 none.
    int32_t selection() const { return selected_; }
    int32_t hoveredRow() const { return hovered_; }

    bool dropped() const { return dropped_; }
    // Closes an open list.
    void CloseList();
    // The list's frame and a row's rectangle in window pixels, where the
    // open list is (or was last) shown.
    GuiRect ListFrame() const;
    GuiRect RowRect(size_t index) const;

private:
    struct Row {
        int32_t id = 0;
        std::wstring text;
        GuiRect rect;  // relative to the box's top-left corner, before the list is placed
    };

    int State() const;
    // Row and frame rectangles from the rows, the style and UiScale.
    void ComputeRows();
    // How far the list moves down (positive) or up to open where it fits.
    int32_t OpeningShift() const;
    int32_t RowAt(GuiPoint point) const;
    void DrawList(Gdiplus::Graphics& graphics) const;
    void DrawPicture(Gdiplus::Graphics& graphics) const;

    GuiComboListStyle style_;
    IGuiComboHost* comboHost_ = nullptr;
    const CGuiProfile* listProfile_ = nullptr;
    const CGuiProfile* pictureProfile_ = nullptr;
    CStateImages images_;
    std::vector<Row> rows_;  // ascending identifiers
    GuiRect frame_;          // relative to the box, like the rows
    int32_t shift_ = 0;
    int32_t selected_ = -1;
    int32_t hovered_ = -1;
    bool hover_ = false;
    bool openLook_ = false;
    bool dropped_ = false;
};
