// The value syntaxes of theme attributes, each given the whole text.
#include "fuzz_input.h"
#include "gui/theme_values.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = FuzzBytes(data, size);
    for (const std::string& token : SplitThemeTokens(text)) FUZZ_CHECK(!token.empty());
    int32_t i = 0, x = 0, y = 0, quad[4] = {};
    float f = 0, fx = 0, fy = 0;
    uint32_t colour = 0;
    bool flag = false;
    ParseThemeInteger(text, i);
    ParseThemeIntegerPair(text, x, y);
    ParseThemeFloatPair(text, fx, fy);
    ParseThemeIntegerQuad(text, quad);
    ParseThemeColour(text, colour);
    ParseThemeBoolean(text, flag);
    ParseThemeFloat(text, f);
    return 0;
}
