#include "gui/edit_text.h"

#include <algorithm>
#include <cmath>

int32_t CEditText::Clamp(int32_t position) const { return std::clamp(position, 0, length()); }

void CEditText::Select(int32_t a, int32_t b) {
    if (a == b) {
        selectionStart_ = selectionEnd_ = -1;
        return;
    }
    selectionStart_ = std::min(a, b);
    selectionEnd_ = std::max(a, b);
}

void CEditText::ClearSelection() {
    selectionStart_ = selectionEnd_ = -1;
    anchor_ = -1;
}

void CEditText::Assign(const std::wstring& text) {
    text_ = text.substr(0, kMaxLength);
    caret_ = length();
    ClearSelection();
}

void CEditText::Insert(const std::wstring& typed) {
    DeleteSelection();
    std::wstring kept;
    for (wchar_t c : typed)
        if (c != L'\n' && c != L'\r' && c != L'\t' && c != L' ') kept += c;
    kept.resize(std::min(kept.size(), kMaxLength - text_.size()));
    text_.insert(size_t(caret_), kept);
    caret_ += int32_t(kept.size());
    ClearSelection();
}

bool CEditText::DeleteSelection() {
    if (!HasSelection()) return false;
    text_.erase(size_t(selectionStart_), size_t(selectionEnd_ - selectionStart_));
    caret_ = selectionStart_;
    ClearSelection();
    return true;
}

void CEditText::DeleteBackward() {
    if (DeleteSelection() || caret_ == 0) return;
    text_.erase(size_t(--caret_), 1);
    anchor_ = -1;
}

void CEditText::DeleteForward() {
    if (DeleteSelection() || caret_ == length()) return;
    text_.erase(size_t(caret_), 1);
    anchor_ = -1;
}

void CEditText::MoveCaret(int32_t step) {
    ClearSelection();
    caret_ = Clamp(caret_ + step);
}

void CEditText::ExtendSelection(int32_t step) {
    const int32_t moved = caret_ + step;
    if (moved < 0 || moved > length()) return;
    if (anchor_ < 0) anchor_ = caret_;
    caret_ = moved;
    Select(anchor_, caret_);
}

void CEditText::SelectAll() { Select(0, length()); }

void CEditText::SelectBetween(int32_t from, int32_t to) {
    anchor_ = -1;
    caret_ = Clamp(to);
    Select(Clamp(from), caret_);
}

void CEditText::SetCaret(int32_t caret) { caret_ = Clamp(caret); }

std::wstring CEditText::SelectedText() const {
    if (!HasSelection()) return {};
    return text_.substr(size_t(selectionStart_), size_t(selectionEnd_ - selectionStart_));
}

int32_t CaretIndexAt(const std::vector<EditCharBox>& boxes, float x) {
    for (size_t i = 0; i < boxes.size(); ++i) {
        if (x < boxes[i].left) return int32_t(i);
        if (x < boxes[i].right) return int32_t(x >= (boxes[i].left + boxes[i].right) / 2 ? i + 1 : i);
    }
    return int32_t(boxes.size());
}

float CaretX(const std::vector<EditCharBox>& boxes, int32_t caret) {
    if (boxes.empty()) return 0;
    if (caret >= 0 && size_t(caret) < boxes.size()) return boxes[size_t(caret)].left;
    return boxes.back().right;
}

int32_t KeepCaretVisible(const std::vector<EditCharBox>& boxes, int32_t caret, float width, int32_t offset) {
    // At the start the text's leading padding shows too.
    if (caret <= 0 || boxes.empty() || boxes.back().right <= width) return 0;
    // At the end the caret stands on the last character's right edge.
    const EditCharBox& box = boxes[std::min(size_t(std::max(caret, 0)), boxes.size() - 1)];
    const float spanLeft = float(offset), spanRight = float(offset) + width;
    if (box.right > spanRight + 1) offset += int32_t(std::ceil(box.right - spanRight));
    if (box.left < spanLeft - 1) offset -= int32_t(std::ceil(spanLeft - box.left));
    return std::max(offset, 0);
}
