#include "gui/theme_values.h"

#include <cstdlib>
#include <limits>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// An optional "-" and decimal digits, the whole token, within 32 bits.
bool ParseQuadToken(const std::string& token, int32_t& out) {
    size_t i = token[0] == '-' ? 1 : 0;
    if (i == token.size()) return false;
    int64_t value = 0;
    for (; i < token.size(); ++i) {
        if (!IsDigit(token[i])) return false;
        value = value * 10 + (token[i] - '0');
        if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1) return false;
    }
    if (token[0] == '-') value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return false;
    out = int32_t(value);
    return true;
}

// A decimal integer after optional blanks, starting at `at`; `at` moves past it.
bool ParseDecimalAt(const std::string& text, size_t& at, int32_t& out) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    const size_t start = at;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    const size_t digits = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    if (at == digits) return false;
    std::string token = text.substr(start, at - start);
    if (token[0] == '+') token.erase(0, 1);
    return ParseQuadToken(token, out);
}

bool ParseWholeFloat(const std::string& text, float& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0') return false;
    out = value;
    return true;
}

}  // namespace

std::vector<std::string> SplitThemeTokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::string current;
    for (char c : text) {
        if (c == ',' || IsBlank(c)) {
            if (!current.empty()) tokens.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) tokens.push_back(current);
    return tokens;
}

bool ParseThemeInteger(const std::string& text, int32_t& out) {
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    int base = 10;
    if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    if (at == text.size()) return false;
    int64_t value = 0;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        int digit;
        if (IsDigit(c)) digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return false;
        value = value * base + digit;
        if (value > int64_t(std::numeric_limits<uint32_t>::max())) return false;
    }
    if (negative) value = -value;
    // Hexadecimal values name bit patterns (0xFFFFFFFF is -1); decimal ones
    // must fit a signed 32-bit number.
    if (base == 10 && (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min()))
        return false;
    if (base == 16 && value < std::numeric_limits<int32_t>::min()) return false;
    out = int32_t(uint32_t(value));
    return true;
}

bool ParseThemeIntegerPair(const std::string& text, int32_t& x, int32_t& y) {
    size_t at = 0;
    int32_t a = 0, b = 0;
    if (!ParseDecimalAt(text, at, a) || at >= text.size() || text[at] != ',') return false;
    ++at;
    if (!ParseDecimalAt(text, at, b) || at != text.size()) return false;
    x = a;
    y = b;
    return true;
}

bool ParseThemeFloatPair(const std::string& text, float& x, float& y) {
    const std::vector<std::string> tokens = SplitThemeTokens(text);
    float a = 0, b = 0;
    if (tokens.size() != 2 || !ParseWholeFloat(tokens[0], a) || !ParseWholeFloat(tokens[1], b)) return false;
    x = a;
    y = b;
    return true;
}

bool ParseThemeIntegerQuad(const std::string& text, int32_t (&out)[4]) {
    const std::vector<std::string> tokens = SplitThemeTokens(text);
    int32_t values[4];
    if (tokens.size() != 4) return false;
    for (size_t i = 0; i < 4; ++i)
        if (!ParseQuadToken(tokens[i], values[i])) return false;
    for (size_t i = 0; i < 4; ++i) out[i] = values[i];
    return true;
}

bool ParseThemeColour(const std::string& text, uint32_t& argb) {
    const std::vector<std::string> tokens = SplitThemeTokens(text);
    if (tokens.size() != 3 && tokens.size() != 4) return false;
    uint32_t channels[4] = {0, 0, 0, 255};
    for (size_t i = 0; i < tokens.size(); ++i) {
        int32_t value = 0;
        if (!ParseQuadToken(tokens[i], value)) return false;
        channels[i] = uint32_t(value) & 0xFF;
    }
    argb = channels[3] << 24 | channels[0] << 16 | channels[1] << 8 | channels[2];
    return true;
}

bool ParseThemeBoolean(const std::string& text, bool& out) {
    if (text == "true" || text == "1") out = true;
    else if (text == "false" || text == "0") out = false;
    else return false;
    return true;
}

bool ParseThemeFloat(const std::string& text, float& out) { return ParseWholeFloat(text, out); }
