#pragma once
// The Windows clipboard's Unicode text. The clipboard is opened without an
// owner window and closed before each call returns. The window's thread.

#include <string>

// Replaces the clipboard's content with the text; false when the clipboard
// cannot be opened or the text cannot be placed on it.
bool WriteClipboardText(const std::wstring& text);
// The clipboard's Unicode text up to its first NUL; false when the
// clipboard cannot be opened or holds no Unicode text.
bool ReadClipboardText(std::wstring& text);
