#pragma once
// A theme's files read from disk, as a theme author keeps them: package
// paths "<theme folder>\..." are files under the theme folder's parent.
// For the preview tool and the tests of the shipped theme.

#include "gui/gui_theme.h"

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

// The whole file; false when it cannot be read.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);
