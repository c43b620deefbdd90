#pragma once
// The value syntaxes of theme attributes. Each parser takes the attribute
// text and returns false, leaving `out` untouched, when the text does not
// have the syntax. Portable; no state.

#include <cstdint>
#include <string>
#include <vector>

// Splits at every comma and blank; a run of separators counts as one and
// there are no empty tokens.
std::vector<std::string> SplitThemeTokens(const std::string& text);

// Decimal, or hexadecimal after "0x"/"0X"; leading white space allowed; the
// whole text consumed; the value fits 32 bits.
bool ParseThemeInteger(const std::string& text, int32_t& out);
// "x,y": leading blanks before each number, the comma right after the
// first number, nothing after the second.
bool ParseThemeIntegerPair(const std::string& text, int32_t& x, int32_t& y);
// Exactly two tokens, each a whole floating-point number.
bool ParseThemeFloatPair(const std::string& text, float& x, float& y);
// Exactly four tokens of an optional "-" and decimal digits: left, top,
// right, bottom.
bool ParseThemeIntegerQuad(const std::string& text, int32_t (&out)[4]);
// "R G B [A]" as quad tokens, low 8 bits of each kept, A 255 by default;
// stored as ARGB.
bool ParseThemeColour(const std::string& text, uint32_t& argb);
// "true", "false", "1", "0".
bool ParseThemeBoolean(const std::string& text, bool& out);
// A whole floating-point number.
bool ParseThemeFloat(const std::string& text, float& out);
