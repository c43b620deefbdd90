#include "locale_picture.h"

#include <vector>

namespace {

struct Segment {
    bool run;           // token run, else literal text
    uint32_t cls;       // class of a run (0 = unclassified)
    std::wstring text;
};

bool IsToken(wchar_t c, bool isDate) {
    return isDate ? (c == L'M' || c == L'd' || c == L'y' || c == L'g')
                  : (c == L'H' || c == L'h' || c == L'm' || c == L's' || c == L't');
}

uint32_t ClassOf(wchar_t c, size_t n) {
    switch (c) {
    case L'M': return n <= 4 ? 0xF0 : 0;
    case L'd': return n <= 2 ? 0xC : n <= 4 ? 0x3 : 0;
    case L'y': return n <= 5 ? 0x700 : 0;
    case L'g': return n <= 2 ? 0x800 : 0;
    case L'H':
    case L'h': return n <= 2 ? 0x1E000 : 0;
    case L'm': return n <= 2 ? 0x60000 : 0;
    case L's': return n <= 2 ? 0x180000 : 0;
    case L't': return n <= 2 ? 0x200000 : 0;
    default: return 0;
    }
}

const wchar_t* TokenForBit(uint32_t bit) {
    static const struct { uint32_t bit; const wchar_t* token; } kTokens[] = {
        {0x1, L"ddd"}, {0x2, L"dddd"}, {0x4, L"d"}, {0x8, L"dd"},
        {0x10, L"M"}, {0x20, L"MM"}, {0x40, L"MMM"}, {0x80, L"MMMM"},
        {0x100, L"y"}, {0x200, L"yy"}, {0x400, L"yyyy"}, {0x800, L"gg"},
        {0x2000, L"h"}, {0x4000, L"hh"}, {0x8000, L"H"}, {0x10000, L"HH"},
        {0x20000, L"m"}, {0x40000, L"mm"}, {0x80000, L"s"}, {0x100000, L"ss"},
        {0x200000, L"tt"},
    };
    for (const auto& t : kTokens)
        if (t.bit == bit) return t.token;
    return nullptr;
}

// Splits into alternating literal texts and token runs. Quoted text is
// literal, quotes included.
std::vector<Segment> Split(const std::wstring& p, bool isDate) {
    std::vector<Segment> out;
    auto literal = [&]() -> std::wstring& {
        if (out.empty() || out.back().run) out.push_back({false, 0, {}});
        return out.back().text;
    };
    for (size_t i = 0; i < p.size();) {
        const wchar_t c = p[i];
        if (c == L'\'') {
            const size_t close = p.find(L'\'', i + 1);
            const size_t end = close == std::wstring::npos ? p.size() : close + 1;
            literal() += p.substr(i, end - i);
            i = end;
        } else if (IsToken(c, isDate)) {
            size_t j = i;
            while (j < p.size() && p[j] == c) ++j;
            out.push_back({true, ClassOf(c, j - i), p.substr(i, j - i)});
            i = j;
        } else {
            literal() += c;
            ++i;
        }
    }
    return out;
}

}  // namespace

std::wstring FilterPicture(const std::wstring& picture, bool isDate, uint32_t mask) {
    const std::vector<Segment> segs = Split(picture, isDate);
    std::wstring out;
    const std::wstring* afterKept = nullptr;  // date: literal following the last kept run
    bool anyRunBefore = false;
    for (size_t i = 0; i < segs.size(); ++i) {
        const Segment& s = segs[i];
        if (!s.run) continue;
        if (s.cls == 0) break;
        const uint32_t hit = s.cls & mask;
        if (hit) {
            if (isDate) {
                if (afterKept) out += *afterKept;
            } else if (anyRunBefore && i > 0 && !segs[i - 1].run) {
                out += segs[i - 1].text;
            }
            if (hit == s.cls) {
                out += s.text;
            } else if (const wchar_t* token = TokenForBit(hit)) {
                out += token;
            }
            static const std::wstring kNone;
            afterKept = (i + 1 < segs.size() && !segs[i + 1].run) ? &segs[i + 1].text : &kNone;
        }
        anyRunBefore = true;
    }
    return out;
}
