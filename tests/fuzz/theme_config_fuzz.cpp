// A theme's config.xml: its common settings and its profiles with their
// fonts, offsets, borders, zoom and textures.
#include "fuzz_input.h"
#include "gui/gui_profile.h"
#include "startup/launcher_error.h"
#include "startup/launcher_settings.h"

namespace {

// Every texture path names one small picture, except empty ones.
class Resources : public IThemeResources {
public:
    const CGuiTexture* GetTexture(const std::string& path) override {
        if (path.empty()) return nullptr;
        texture_.sprites.resize(1);
        texture_.sprites[0].width = texture_.sprites[0].height = 1;
        texture_.sprites[0].pixels = {0xFF000000};
        return &texture_;
    }
    const Gdiplus::Font* GetFont(const GuiFontSpec&) override { return nullptr; }

private:
    CGuiTexture texture_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tinyxml2::XMLDocument doc;
    if (doc.Parse(reinterpret_cast<const char*>(data), size) != tinyxml2::XML_SUCCESS) return 0;
    try {
        ReadThemeSettings(doc.RootElement());
    } catch (const CLauncherError&) {
    }
    Resources resources;
    CGuiProfiles profiles;
    std::string error;
    profiles.Load(doc, resources, error);
    profiles.RecreateFonts(resources);
    return 0;
}
