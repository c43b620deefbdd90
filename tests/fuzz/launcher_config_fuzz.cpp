// The launcher configuration (config.xml of the package): the theme
// choice, the settings init reads, the actions and migrations, and the
// renames those plan.
#include "fuzz_input.h"
#include "startup/launcher_error.h"
#include "startup/launcher_settings.h"
#include "update/configured_actions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tinyxml2::XMLDocument doc;
    if (doc.Parse(reinterpret_cast<const char*>(data), size) != tinyxml2::XML_SUCCESS) return 0;
    const tinyxml2::XMLElement* root = doc.RootElement();
    ChooseThemePath(root, "theme_kx");
    try {
        const InitSettings settings = ReadInitSettings(root, false, 10, 0);
        FUZZ_CHECK(!settings.process.empty());
        ChooseUpdatePath("", settings);
    } catch (const CLauncherError&) {
    }
    const ConfiguredActions actions = ReadConfiguredActions(root);
    for (const RenameAction& rename : actions.renames) {
        const RenamePlan plan = PlanRename(rename.name, rename.toName);
        if (plan.effect != RenameEffect::Nothing) {
            // Only entries below the installation folder, never the folder itself.
            FUZZ_CHECK(!plan.source.empty() && !HasClimbingLevel(plan.source, false));
            FUZZ_CHECK(plan.source.find(':') == std::string::npos && plan.target.find(':') == std::string::npos);
            if (plan.effect == RenameEffect::Move) FUZZ_CHECK(!HasClimbingLevel(plan.target, false));
        }
    }
    ReadMigrations(root);
    return 0;
}
