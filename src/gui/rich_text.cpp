#include "gui/rich_text.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// A line and its line feed fit the whole converted text.
constexpr size_t kLongestLine = kRichTextMaxLength - 1;
// Deeper lists share the deepest indent, so hostile nesting cannot make
// every line as long as the input.
constexpr size_t kMaxIndentLevels = 32;

enum class Kind {
    Text,  // also a quoted value, quotes included
    Blank,
    SourceBreak,
    OtherTag,
    TagEnd,
    OrderedOpen,
    UnorderedOpen,
    ListClose,
    ItemOpen,
    ItemClose,
    StartAttribute,
    ValueAttribute,
    TypeAttribute,
    StyleAttribute,
    HeadingOpen,
    HeadingClose,
    LessThan,
    GreaterThan,
    Quote,
    ParagraphOpen,
    ParagraphClose,
    Center,
    LineBreak,
};

struct Literal {
    std::wstring_view text;
    Kind kind;
};

// Matched case-sensitively, the longest first; comments and quoted values
// are scanned apart.
constexpr Literal kLiterals[] = {
    {L"\n", Kind::SourceBreak},        {L" ", Kind::Blank},
    {L"<", Kind::OtherTag},            {L">", Kind::TagEnd},
    {L"/>", Kind::TagEnd},             {L"<ol", Kind::OrderedOpen},
    {L"</ol>", Kind::ListClose},       {L"<ul", Kind::UnorderedOpen},
    {L"</ul>", Kind::ListClose},       {L"<li", Kind::ItemOpen},
    {L"</li>", Kind::ItemClose},       {L"start=", Kind::StartAttribute},
    {L"value=", Kind::ValueAttribute}, {L"type=", Kind::TypeAttribute},
    {L"style=", Kind::StyleAttribute}, {L"<h1>", Kind::HeadingOpen},
    {L"<h2>", Kind::HeadingOpen},      {L"<h3>", Kind::HeadingOpen},
    {L"<h4>", Kind::HeadingOpen},      {L"<h5>", Kind::HeadingOpen},
    {L"<h6>", Kind::HeadingOpen},      {L"</h1>", Kind::HeadingClose},
    {L"</h2>", Kind::HeadingClose},    {L"</h3>", Kind::HeadingClose},
    {L"</h4>", Kind::HeadingClose},    {L"</h5>", Kind::HeadingClose},
    {L"</h6>", Kind::HeadingClose},    {L"&lt;", Kind::LessThan},
    {L"&gt;", Kind::GreaterThan},      {L"&quot;", Kind::Quote},
    {L"<p", Kind::ParagraphOpen},      {L"</p>", Kind::ParagraphClose},
    {L"<center>", Kind::Center},       {L"<br>", Kind::LineBreak},
    {L"<br/>", Kind::LineBreak},       {L"<BR>", Kind::LineBreak},
};

struct Token {
    Kind kind = Kind::Text;
    std::wstring_view text;
};

class Scanner {
public:
    explicit Scanner(std::wstring_view input) : input_(input) {}

    // The next token, comments skipped; false at the end of the input.
    bool Next(Token& token) {
        while (StartsWith(pos_, L"<!--")) {
            const size_t close = input_.find(L"-->", pos_ + 4);
            pos_ = close == std::wstring_view::npos ? input_.size() : close + 3;
        }
        if (pos_ >= input_.size()) return false;
        const size_t start = pos_;
        if (input_[pos_] == L'"') {
            // A quote without a partner is an ordinary character.
            const size_t close = input_.find(L'"', pos_ + 1);
            pos_ = close == std::wstring_view::npos ? pos_ + 1 : close + 1;
        } else if (const Literal* literal = LiteralAt(pos_)) {
            pos_ += literal->text.size();
            token = {literal->kind, literal->text};
            return true;
        } else {
            do ++pos_;
            while (pos_ < input_.size() && input_[pos_] != L'"' && !LiteralAt(pos_));
        }
        token = {Kind::Text, input_.substr(start, pos_ - start)};
        return true;
    }

    // The token after the current one, leaving the position alone.
    Token Peek() const {
        Scanner ahead = *this;
        Token token;
        ahead.Next(token);
        return token;
    }

private:
    bool StartsWith(size_t at, std::wstring_view text) const { return input_.substr(at, text.size()) == text; }

    const Literal* LiteralAt(size_t at) const {
        const Literal* longest = nullptr;
        for (const Literal& literal : kLiterals)
            if (StartsWith(at, literal.text) && (!longest || literal.text.size() > longest->text.size()))
                longest = &literal;
        return longest;
    }

    std::wstring_view input_;
    size_t pos_ = 0;
};

// An attribute value without the quotes around it.
std::wstring_view ValueText(const Token& token) {
    std::wstring_view text = token.text;
    if (token.kind == Kind::Text && text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
        text = text.substr(1, text.size() - 2);
    return text;
}

// A decimal integer at the start of the value, saturated to 32 bits.
bool ParseCounter(const Token& token, int32_t& out) {
    const std::wstring_view text = ValueText(token);
    const bool negative = !text.empty() && text[0] == L'-';
    size_t i = negative ? 1 : 0;
    const size_t digitsStart = i;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
        value = std::min<int64_t>(value * 10 + (text[i] - L'0'), int64_t(std::numeric_limits<int32_t>::max()) + 1);
    if (i == digitsStart) return false;
    out = int32_t(std::clamp<int64_t>(negative ? -value : value, std::numeric_limits<int32_t>::min(),
                                      std::numeric_limits<int32_t>::max()));
    return true;
}

bool HidesMarker(const Token& token) {
    const std::wstring_view style = ValueText(token);
    return style == L"list-style: none;" || style == L"list-style: none";
}

// Reads the rest of a tag up to ">" or "/>", handing each token to
// `attribute` together with the scanner, which can peek at its value.
template <typename Attribute>
void ReadTag(Scanner& scanner, Attribute&& attribute) {
    Token token;
    while (scanner.Next(token) && token.kind != Kind::TagEnd) attribute(token.kind, scanner);
}

void SkipTag(Scanner& scanner) {
    ReadTag(scanner, [](Kind, const Scanner&) {});
}

struct ListLevel {
    bool ordered = false;
    int32_t counter = 1;
    std::wstring marker;
};

class Converter {
public:
    Converter(std::wstring& output, const RichTextLineSink& logLine) : output_(output), logLine_(logLine) {}

    void Take(const Token& token, Scanner& scanner) {
        switch (token.kind) {
            case Kind::Text:
            case Kind::TagEnd:
            case Kind::StartAttribute:
            case Kind::ValueAttribute:
            case Kind::TypeAttribute:
            case Kind::StyleAttribute:
                AppendText(token.text);
                break;
            case Kind::Blank:
                if (HasContent()) line_ += L' ';
                break;
            case Kind::OtherTag:
                SkipTag(scanner);
                break;
            case Kind::ParagraphOpen:
                SkipTag(scanner);
                Emit();
                break;
            case Kind::ParagraphClose:
            case Kind::SourceBreak:
            case Kind::HeadingOpen:
                if (HasContent()) Emit();
                break;
            case Kind::HeadingClose:
                if (HasContent()) Emit();
                EmitEmpty();
                break;
            case Kind::LineBreak:
                Emit();
                break;
            case Kind::Center:
                line_ += L"   ";
                break;
            case Kind::LessThan:
                line_ += L'<';
                break;
            case Kind::GreaterThan:
                line_ += L'>';
                break;
            case Kind::Quote:
                line_ += L'"';
                break;
            case Kind::OrderedOpen:
            case Kind::UnorderedOpen:
                OpenList(token.kind == Kind::OrderedOpen, scanner);
                break;
            case Kind::ListClose:
                CloseList();
                break;
            case Kind::ItemOpen:
                // Outside a list it is just an unknown tag.
                if (levels_.empty())
                    SkipTag(scanner);
                else
                    OpenItem(scanner);
                break;
            case Kind::ItemClose:
                break;
        }
    }

    void Finish() {
        if (HasContent()) Emit();
    }

private:
    // Longer than its indent and list marker.
    bool HasContent() const { return line_.size() > prefix_; }

    void AppendText(std::wstring_view text) {
        if (HasContent() && line_.size() + text.size() > kLongestLine) Emit();
        line_ += text;
    }

    // Every line reaches the log; the output keeps what fits.
    void Put(const std::wstring& line) {
        output_.append(line, 0, std::min(line.size(), kRichTextMaxLength - output_.size()));
        if (output_.size() < kRichTextMaxLength) output_ += L'\n';
        if (logLine_) logLine_(line);
    }

    void Emit() {
        Put(line_);
        line_ = indent_;
        prefix_ = indent_.size();
    }

    void EmitEmpty() { Put({}); }

    void OpenList(bool ordered, Scanner& scanner) {
        levels_.push_back({ordered, 1, ordered ? L"" : kRichTextBullet});
        ListLevel& level = levels_.back();
        ReadTag(scanner, [&level](Kind kind, const Scanner& at) {
            if (level.ordered && kind == Kind::StartAttribute) ParseCounter(at.Peek(), level.counter);
            if (!level.ordered && kind == Kind::TypeAttribute) level.marker = kRichTextBullet;
            if (!level.ordered && kind == Kind::StyleAttribute && HidesMarker(at.Peek())) level.marker.clear();
        });
    }

    void CloseList() {
        indent_.clear();
        if (!levels_.empty()) levels_.pop_back();
        if (levels_.empty()) {
            Emit();
            EmitEmpty();
        }
    }

    void OpenItem(Scanner& scanner) {
        if (HasContent()) {
            Emit();
            if (levels_.size() == 1) EmitEmpty();
        }
        ListLevel& level = levels_.back();
        std::wstring marker = level.marker;
        ReadTag(scanner, [&level, &marker](Kind kind, const Scanner& at) {
            if (level.ordered && kind == Kind::ValueAttribute) ParseCounter(at.Peek(), level.counter);
            if (!level.ordered && kind == Kind::TypeAttribute) marker = kRichTextBullet;
        });
        if (level.ordered) {
            marker = std::to_wstring(level.counter) + L". ";
            // Saturates rather than overflowing.
            if (level.counter < std::numeric_limits<int32_t>::max()) ++level.counter;
        }
        indent_.assign(2 * std::min(levels_.size(), kMaxIndentLevels), L' ');
        line_ = indent_ + marker;
        prefix_ = line_.size();
    }

    std::wstring& output_;
    const RichTextLineSink& logLine_;
    std::wstring line_;
    size_t prefix_ = 0;  // the current line's indent and marker
    std::wstring indent_;
    std::vector<ListLevel> levels_;
};

}  // namespace

void ConvertRichText(const std::wstring& input, std::wstring& output, const RichTextLineSink& logLine) {
    // Built apart so that `output` may be `input` itself.
    std::wstring converted;
    Converter converter(converted, logLine);
    Scanner scanner(input);
    Token token;
    while (scanner.Next(token)) converter.Take(token, scanner);
    converter.Finish();
    output = std::move(converted);
}
