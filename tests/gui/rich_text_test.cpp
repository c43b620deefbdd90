#include "gui/rich_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring Convert(const std::wstring& input) {
    std::wstring output;
    ConvertRichText(input, output);
    return output;
}

std::wstring Bullet() { return kRichTextBullet; }

}  // namespace

TEST(RichText, BreaksParagraphsAndHeadingsEndLines) {
    EXPECT_EQ(L"one\ntwo\nthree\nfour\n", Convert(L"one<br>two<br/>three<BR>four"));
    EXPECT_EQ(L"\n\nx\n", Convert(L"<br><br>x"));
    EXPECT_EQ(L"Title\n\nBody\n", Convert(L"<h1>Title</h1>Body"));
    EXPECT_EQ(L"\nFirst\n\nSecond\n", Convert(L"<p>First</p><p class=\"a\">Second</p>"));
    // A self-closing paragraph ends at "/>", not at some later ">".
    EXPECT_EQ(L"a\nb<c\n", Convert(L"a<p/>b&lt;c"));
}

TEST(RichText, PlainTextKeepsItsLinesWithoutLeadingBlanksAndCommentsVanish) {
    EXPECT_EQ(L"plain   text\nnext line\n", Convert(L"  plain   text\n   next line\n\n"));
    EXPECT_EQ(L"one  two\n", Convert(L"one <!-- <br> hidden --> two"));
    EXPECT_EQ(L"   centred\n", Convert(L"<center>centred"));
}

TEST(RichText, EntitiesUnknownTagsAndUnclosedMarkup) {
    EXPECT_EQ(L"<word> \"q\" &amp; type=x\n", Convert(L"&lt;word&gt; &quot;q&quot; &amp; type=x"));
    EXPECT_EQ(L"bold t\n", Convert(L"<b class=\"x>y\">bold</b> <font size=2/>t"));
    EXPECT_EQ(L"item\n", Convert(L"<li value=4>item"));
    EXPECT_EQ(L"text\n", Convert(L"text<b never closed <br> more"));
    EXPECT_EQ(L"text\n", Convert(L"text<!-- never closed <br> more"));
    EXPECT_EQ(L"say \"hi\n", Convert(L"say \"hi"));
}

TEST(RichTextLists, OrderedItemsAreNumberedFromStartOrValue) {
    EXPECT_EQ(L"  3. A\n\n  4. B\n\n", Convert(L"<ol start=3><li>A</li><li>B</li></ol>"));
    EXPECT_EQ(L"  1. A\n\n  7. B\n\n  8. C\n\nafter\n", Convert(L"<ol><li>A<li value=7>B<li>C</ol>after"));
}

TEST(RichTextLists, UnorderedItemsTakeMarkersAndNestedItemsIndent) {
    EXPECT_EQ(L"  " + Bullet() + L"a\n\n  " + Bullet() + L"b\n\n  c\n\n",
              Convert(L"<ul><li>a<li type=square>b</ul><ul style=\"list-style: none\"><li> c</ul>"));
    EXPECT_EQ(L"  1. a\n    " + Bullet() + L"b\n\n  2. c\n\n", Convert(L"<ol><li>a<ul><li>b</ul><li>c</ol>"));
}

TEST(RichTextLimits, ResultIsCutAt2048CharactersAndLongLinesWrap) {
    std::wstring words;
    for (int i = 0; i < 600; ++i) words += L"word ";
    std::vector<std::wstring> logged;
    std::wstring output;
    ConvertRichText(words, output, [&logged](const std::wstring& line) { logged.push_back(line); });
    ASSERT_EQ(kRichTextMaxLength, output.size());
    EXPECT_EQ(2045u, output.find(L'\n'));
    EXPECT_EQ(L"wo", output.substr(2046));
    ASSERT_EQ(2u, logged.size());
    EXPECT_EQ(words.size(), logged[0].size() + logged[1].size());

    // One word longer than a line is not preceded by an empty one.
    EXPECT_EQ(std::wstring(kRichTextMaxLength, L'x'), Convert(std::wstring(3000, L'x')));
}

TEST(RichTextLimits, ManyBreaksAndDeepNestingStayBounded) {
    std::wstring breaks = L"a";
    for (int i = 0; i < 5000; ++i) breaks += L"<br>";
    size_t lines = 0;
    std::wstring output;
    ConvertRichText(breaks, output, [&lines](const std::wstring&) { ++lines; });
    EXPECT_EQ(5000u, lines);
    EXPECT_EQ(L"a" + std::wstring(kRichTextMaxLength - 1, L'\n'), output);

    std::wstring nested;
    for (int i = 0; i < 100; ++i) nested += L"<ul><li>x";
    for (int i = 0; i < 100; ++i) nested += L"</ul>";
    std::vector<std::wstring> logged;
    ConvertRichText(nested, output, [&logged](const std::wstring& line) { logged.push_back(line); });
    ASSERT_EQ(101u, logged.size());
    EXPECT_EQ(L"    " + Bullet() + L"x", logged[1]);
    EXPECT_EQ(logged[40], logged[99]);  // the indent stops growing
    EXPECT_GT(logged[99].size(), logged[20].size());
    EXPECT_EQ(L"", logged[100]);
}
