#include "gui/folder_theme_source.h"

#include "startup/find_files.h"
#include "startup/text.h"

bool CFolderThemeSource::Read(const std::string& path, std::string& bytes) const {
    return ReadWholeFile(parent_ + L"\\" + Utf8ToWide(path), bytes, kMaxThemeFileBytes);
}

std::vector<std::string> CFolderThemeSource::FontPaths() const {
    std::vector<std::string> fonts;
    CFindFiles find(parent_ + L"\\" + Utf8ToWide(folder_) + L"\\fonts\\*.ttf");
    for (bool more = find.Found(); more; more = find.Next())
        if (!find.IsFolder()) fonts.push_back(folder_ + "\\fonts\\" + WideToUtf8(find.Name()));
    return fonts;
}
