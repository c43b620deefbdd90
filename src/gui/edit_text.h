#pragma once
// The text of a single-line edit box with its caret and selection, apart
// from drawing: inserting typed or pasted text (blanks dropped, at most
// 2048 characters), deleting, moving the caret, selecting with the
// keyboard and the mouse, and where the caret lies among the measured
// character boxes. Portable; the window's thread only.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One character's box relative to the text origin, in window pixels.
struct EditCharBox {
    float left = 0, top = 0, right = 0, bottom = 0;
};

class CEditText {
public:
    static constexpr size_t kMaxLength = 2048;

    // The whole text, cut to the limit; the caret at its end, no selection.
    void Assign(const std::wstring& text);
    // Deletes the selection, then inserts `typed` at the caret without its
    // line feeds, carriage returns, tabs and spaces, as far as the limit
    // allows; the caret follows the inserted text.
    void Insert(const std::wstring& typed);
    // The caret goes to the selection's start; false without a selection.
    bool DeleteSelection();
    // Backspace and Delete: the selection, else one character before or at
    // the caret.
    void DeleteBackward();
    void DeleteForward();
    // Clears the selection and moves the caret by `step` within the text.
    void MoveCaret(int32_t step);
    // Shift with an arrow: moves the caret (nothing at either end) and
    // selects from where the first such move began.
    void ExtendSelection(int32_t step);
    void SelectAll();
    // A mouse drag: the characters between two caret positions, the caret
    // at `to`, the end that follows the mouse.
    void SelectBetween(int32_t from, int32_t to);
    void ClearSelection();
    // Places the caret (within the text); the selection stays.
    void SetCaret(int32_t caret);

    const std::wstring& text() const { return text_; }
    int32_t length() const { return int32_t(text_.size()); }
    int32_t caret() const { return caret_; }
    bool HasSelection() const { return selectionStart_ >= 0; }
    // [start, end); both -1 without a selection.
    int32_t selectionStart() const { return selectionStart_; }
    int32_t selectionEnd() const { return selectionEnd_; }
    std::wstring SelectedText() const;

private:
    int32_t Clamp(int32_t position) const;
    // An empty range is no selection; the anchor stays.
    void Select(int32_t a, int32_t b);

    std::wstring text_;
    int32_t caret_ = 0;
    int32_t selectionStart_ = -1, selectionEnd_ = -1;
    int32_t anchor_ = -1;  // where keyboard selection began, -1 none
};

// The caret position for a point `x` from the text origin: before the
// character under it, after it in its right half; 0 before the first, the
// end beyond the last.
int32_t CaretIndexAt(const std::vector<EditCharBox>& boxes, float x);
// The caret's x from the text origin: the left edge of the character after
// it, the right edge of the last one at the end, 0 for an empty text.
float CaretX(const std::vector<EditCharBox>& boxes, int32_t caret);
// The scroll offset (pixels the text is shifted left) that keeps the caret
// inside a text area `width` wide, starting from `offset`: back to 0 when
// the whole text fits or the caret is at the start, else moved just enough
// to show the caret's character with a tolerance of one pixel.
int32_t KeepCaretVisible(const std::vector<EditCharBox>& boxes, int32_t caret, float width, int32_t offset);
