#pragma once
// Message-box texts with a little HTML (headings, paragraphs, line breaks,
// ordered and unordered lists, centring, &lt; &gt; &quot;) turned into the
// plain lines the multi-line text control draws: line breaks, blank lines,
// indentation and list markers. Portable; no state.

#include <cstddef>
#include <functional>
#include <string>

// The longest converted text; the rest is cut off.
constexpr size_t kRichTextMaxLength = 2048;
// The marker of unordered list items; the drawing may show another symbol.
constexpr wchar_t kRichTextBullet[] = L"\xFFFD ";

// Receives every line the conversion produces, also those past the cut.
using RichTextLineSink = std::function<void(const std::wstring& line)>;

// Replaces `output` with the converted `input`: each line ends with a line
// feed, at most kRichTextMaxLength characters in all. Unknown tags vanish
// with their attributes, unknown entities stay as they are, and a tag or
// comment that is never closed swallows the rest of the input.
void ConvertRichText(const std::wstring& input, std::wstring& output, const RichTextLineSink& logLine = {});
