#pragma once
// The publisher's signature over update.rxml: Ed25519 public keys as the
// launcher configuration carries them (64 hexadecimal digits each, at most
// two so that a key can be rotated), the check of the detached signature
// file (update.rxml.sig, the raw 64 signature bytes) and the hash
// attributes a signed manifest must carry. Portable; no state.

#include "update/sha256_digest.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using PublisherKey = std::array<uint8_t, 32>;

constexpr size_t kMaxPublisherKeys = 2;
constexpr size_t kManifestSignatureSize = 64;
// The signature file beside the manifest on the server.
constexpr char kManifestSignatureName[] = "update.rxml.sig";

// The keys of a white-space separated list. Empty text (or only white
// space) gives no key: the launcher then checks no signature. False, with a
// reason, for a key that is not 64 hexadecimal digits or more than two keys.
bool ParsePublisherKeys(const std::string& text, std::vector<PublisherKey>& keys, std::string& error);

std::string PublisherKeyText(const PublisherKey& key);

// True when one of `keys` verifies `signature` over `data`; false with a
// reason otherwise (no key, a signature of the wrong length, no key matched).
bool VerifyManifestSignature(const std::vector<PublisherKey>& keys, const std::string& data,
                             const std::string& signature, std::string& error);

// The launcherSHA256 of a launcher image: SHA-256 over the bytes outside
// its six resource slots (the same bytes as the launcher checksum, variant
// A), so that a server may brand each download.
Sha256Digest LauncherImageSha256(const std::string& image);

// A signed manifest names the SHA-256 of every pack ("sha256" of each PACK)
// and of the launcher it offers ("launcherSHA256" beside launcherVersion),
// each as 64 hexadecimal digits. False with a reason when one is missing or
// malformed, or the text is not XML.
bool CheckManifestHashes(const std::string& manifestText, std::string& error);
