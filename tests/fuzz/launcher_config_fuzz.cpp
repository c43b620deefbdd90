// The launcher configuration (config.xml of the package): the actions and
// migrations read from it, and the renames they plan.
#include "fuzz_input.h"
#include "update/configured_actions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tinyxml2::XMLDocument doc;
    if (doc.Parse(reinterpret_cast<const char*>(data), size) != tinyxml2::XML_SUCCESS) return 0;
    const tinyxml2::XMLElement* root = doc.RootElement();
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
