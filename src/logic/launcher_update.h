#pragma once
// The new launcher's download: its URL with the branding arguments, and the
// test a downloaded launcher must pass before it may replace the running
// one. No state; UI thread (the checksum reads nothing but the given bytes).

#include <cstdint>
#include <string>

// Values of the LANGUAGE, AFFILIATE_ID, REFERRER_ID and PROMOCODE slots.
struct LauncherSlotArguments {
    std::string language, affiliateId, referrerId, promoCode;
};

// `launcherUrl` with the query arguments LANG, CAMPAIGNID, REFERRED_BY and
// PROMOCODE for the slots that hold a value, in name order. Empty when
// `launcherUrl` is empty (the launcher then comes from the update path).
std::string LauncherDownloadUrl(const std::string& launcherUrl, const LauncherSlotArguments& slots);

// The size must match (unless the manifest gave 0); with a checksum from an
// unchanged manifest, variant A or else variant B of the launcher checksum
// must equal it.
bool AcceptDownloadedLauncher(const std::string& bytes, uint64_t size, bool checksumPresent, uint32_t checksum,
                              bool manifestChanged);
