#include "gui/edit_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Characters `width` pixels wide, one after the other from the origin.
std::vector<EditCharBox> EvenBoxes(size_t count, float width) {
    std::vector<EditCharBox> boxes;
    for (size_t i = 0; i < count; ++i) boxes.push_back({float(i) * width, 0, float(i + 1) * width, 12});
    return boxes;
}

}  // namespace

TEST(EditText, InsertDropsBlanksAndStopsAt2048Characters) {
    CEditText edit;
    edit.Insert(L" ");
    EXPECT_EQ(L"", edit.text());
    edit.Insert(L"a b\r\n\tc");
    EXPECT_EQ(L"abc", edit.text());
    EXPECT_EQ(3, edit.caret());

    edit.Assign(std::wstring(2047, L'x'));
    edit.SetCaret(0);
    edit.Insert(L"0123456789");
    EXPECT_EQ(2048, edit.length());
    EXPECT_EQ(L"0x", edit.text().substr(0, 2));
    EXPECT_EQ(1, edit.caret());
    edit.Assign(std::wstring(3000, L'y'));
    EXPECT_EQ(2048, edit.length());
}

TEST(EditText, InsertReplacesTheSelection) {
    CEditText edit;
    edit.Assign(L"hello");
    edit.SelectBetween(1, 4);
    EXPECT_EQ(L"ell", edit.SelectedText());
    edit.Insert(L"ipp");
    EXPECT_EQ(L"hippo", edit.text());
    EXPECT_EQ(4, edit.caret());
    EXPECT_FALSE(edit.HasSelection());
}

TEST(EditText, ShiftArrowsSelectFromWhereTheyBeganAndAnArrowClearsTheSelection) {
    CEditText edit;
    edit.Assign(L"abcde");
    for (int i = 0; i < 3; ++i) edit.ExtendSelection(-1);
    EXPECT_EQ(2, edit.selectionStart());
    EXPECT_EQ(5, edit.selectionEnd());
    EXPECT_EQ(L"cde", edit.SelectedText());
    edit.ExtendSelection(+1);  // back towards the anchor
    EXPECT_EQ(L"de", edit.SelectedText());
    edit.MoveCaret(-1);
    EXPECT_FALSE(edit.HasSelection());
    EXPECT_EQ(2, edit.caret());
    edit.ExtendSelection(+1);  // a new anchor at the caret
    EXPECT_EQ(L"c", edit.SelectedText());
    edit.SetCaret(0);
    edit.ClearSelection();
    edit.ExtendSelection(-1);  // nothing at the start
    EXPECT_FALSE(edit.HasSelection());
    EXPECT_EQ(0, edit.caret());
}

TEST(EditText, BackspaceAndDeleteTakeTheSelectionOrOneCharacter) {
    CEditText edit;
    edit.Assign(L"abcd");
    edit.SetCaret(0);
    edit.DeleteBackward();  // nothing before the caret
    EXPECT_EQ(L"abcd", edit.text());
    edit.DeleteForward();
    EXPECT_EQ(L"bcd", edit.text());
    edit.SetCaret(3);
    edit.DeleteBackward();
    EXPECT_EQ(L"bc", edit.text());
    EXPECT_EQ(2, edit.caret());
    edit.SelectAll();
    edit.DeleteForward();
    EXPECT_EQ(L"", edit.text());
    EXPECT_EQ(0, edit.caret());
}

TEST(EditText, CaretPlacementFollowsTheHalvesOfTheCharacterBoxes) {
    const std::vector<EditCharBox> boxes = EvenBoxes(3, 10);
    EXPECT_EQ(0, CaretIndexAt(boxes, -5));
    EXPECT_EQ(1, CaretIndexAt(boxes, 14));  // left half of the second character
    EXPECT_EQ(2, CaretIndexAt(boxes, 15));  // its right half
    EXPECT_EQ(3, CaretIndexAt(boxes, 100));
    EXPECT_EQ(10, CaretX(boxes, 1));
    EXPECT_EQ(30, CaretX(boxes, 3));  // at the end: the last right edge
    EXPECT_EQ(0, CaretX({}, 0));
}

TEST(EditText, ScrollingKeepsTheCaretInsideTheTextArea) {
    const std::vector<EditCharBox> boxes = EvenBoxes(20, 10);  // 200 pixels of text
    EXPECT_EQ(0, KeepCaretVisible(boxes, 5, 100, 0));
    EXPECT_EQ(100, KeepCaretVisible(boxes, 20, 100, 0));  // the end shown at the right edge
    EXPECT_EQ(100, KeepCaretVisible(boxes, 15, 100, 100));
    EXPECT_EQ(30, KeepCaretVisible(boxes, 3, 100, 100));  // back left to the caret's character
    std::vector<EditCharBox> padded = boxes;
    for (EditCharBox& box : padded) box.left += 2, box.right += 2;
    EXPECT_EQ(0, KeepCaretVisible(padded, 0, 100, 2));             // the start shows its padding too
    EXPECT_EQ(0, KeepCaretVisible(EvenBoxes(5, 10), 5, 100, 40));  // all of it fits again
}
