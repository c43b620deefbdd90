#include "logic/launcher_update.h"

#include "net/url_components.h"
#include "startup/module_resources.h"

std::string LauncherDownloadUrl(const std::string& launcherUrl, const LauncherSlotArguments& slots) {
    if (launcherUrl.empty()) return {};
    CUrlComponents url;
    if (!url.Parse(launcherUrl.c_str())) return launcherUrl;
    const std::pair<const char*, const std::string*> arguments[] = {{"LANG", &slots.language},
                                                                    {"CAMPAIGNID", &slots.affiliateId},
                                                                    {"REFERRED_BY", &slots.referrerId},
                                                                    {"PROMOCODE", &slots.promoCode}};
    for (const auto& [name, value] : arguments)
        if (!value->empty()) url.AddArgument(name, *value);
    return url.FullUrl();
}

bool AcceptDownloadedLauncher(const std::string& bytes, uint64_t size, bool checksumPresent, uint32_t checksum,
                              bool manifestChanged) {
    if (size != 0 && size != bytes.size()) return false;
    if (!checksumPresent || manifestChanged) return true;
    uint32_t value = 0;
    if (LauncherChecksum(&bytes, ChecksumVariant::A, value) != 0) return false;
    if (value == checksum) return true;
    return LauncherChecksum(&bytes, ChecksumVariant::B, value) == 0 && value == checksum;
}
