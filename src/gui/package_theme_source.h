#pragma once
// The theme's files read from an unpacked launcher package. The package
// stays owned by the caller and outlives this source.

#include "gui/gui_theme.h"
#include "startup/package_store.h"

class CPackageThemeSource : public IThemeSource {
public:
    explicit CPackageThemeSource(const CArchiveHelperRar& package) : package_(package) {}

    bool Read(const std::string& path, std::string& bytes) const override {
        return package_.ExtractFile(path, bytes);
    }
    std::vector<std::string> FontPaths() const override;

private:
    const CArchiveHelperRar& package_;
};
