#pragma once
// A theme's files read from disk, as a theme author keeps them: package
// paths "<theme folder>\..." are files under the theme folder's parent.
// For the preview tool and the tests of the shipped theme.

#include "gui/gui_theme.h"
#include "startup/folders.h"

#include <cstdint>

#include <string>
#include <vector>

class CFolderThemeSource : public IThemeSource {
public:
    // `parent`: the folder holding the theme folder named `folder`.
    CFolderThemeSource(std::wstring parent, std::string folder)
        : parent_(std::move(parent)), folder_(std::move(folder)) {}

    bool Read(const std::string& path, std::string& bytes) const override;
    std::vector<std::string> FontPaths() const override;

private:
    std::wstring parent_;
    std::string folder_;
};

// The largest theme file read from disk; pictures are refused earlier, by
// their decoded size.
constexpr uint64_t kMaxThemeFileBytes = 64u << 20;
