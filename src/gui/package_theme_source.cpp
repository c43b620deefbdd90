#include "gui/package_theme_source.h"

std::vector<std::string> CPackageThemeSource::FontPaths() const {
    std::vector<std::string> fonts;
    for (const auto& entry : package_.entries()) {
        const std::string& name = entry.first;
        const size_t slash = name.rfind('\\');
        if (slash == std::string::npos || slash == 0 || name.size() < 4 ||
            name.compare(name.size() - 4, 4, ".ttf") != 0)
            continue;
        const size_t parentStart = name.rfind('\\', slash - 1);
        const size_t from = parentStart == std::string::npos ? 0 : parentStart + 1;
        if (name.compare(from, slash - from, "fonts") == 0) fonts.push_back(name);
    }
    return fonts;
}
