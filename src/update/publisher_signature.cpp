#include "publisher_signature.h"

#include "startup/resource_slots.h"

#include <openssl/evp.h>
#include <tinyxml2.h>

#include <memory>
#include <sstream>

using tinyxml2::XMLElement;

bool ParsePublisherKeys(const std::string& text, std::vector<PublisherKey>& keys, std::string& error) {
    keys.clear();
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        Sha256Digest bytes;  // the same 32 bytes in the same text form
        if (!ParseSha256Hex(word, bytes))
            return error = "publisher key '" + word.substr(0, 80) + "' is not 64 hexadecimal digits", false;
        if (keys.size() == kMaxPublisherKeys) return error = "more than two publisher keys", false;
        keys.push_back(bytes);
    }
    return true;
}

std::string PublisherKeyText(const PublisherKey& key) { return Sha256Hex(key); }

namespace {

using KeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using MdPtr = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

bool Verifies(const PublisherKey& key, const std::string& data, const std::string& signature) {
    KeyPtr pkey(EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, key.data(), key.size()), EVP_PKEY_free);
    MdPtr md(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!pkey || !md || EVP_DigestVerifyInit(md.get(), nullptr, nullptr, nullptr, pkey.get()) != 1) return false;
    return EVP_DigestVerify(md.get(), reinterpret_cast<const unsigned char*>(signature.data()), signature.size(),
                            reinterpret_cast<const unsigned char*>(data.data()), data.size()) == 1;
}

}  // namespace

bool VerifyManifestSignature(const std::vector<PublisherKey>& keys, const std::string& data,
                             const std::string& signature, std::string& error) {
    if (keys.empty()) return error = "no publisher key", false;
    if (signature.size() != kManifestSignatureSize)
        return error = "the signature has " + std::to_string(signature.size()) + " bytes, not " +
                       std::to_string(kManifestSignatureSize),
               false;
    for (const PublisherKey& key : keys)
        if (Verifies(key, data, signature)) return true;
    return error = "the signature does not match any publisher key", false;
}

Sha256Digest LauncherImageSha256(const std::string& image) {
    CSha256 sha;
    ForEachSlotNeutralRange(reinterpret_cast<const uint8_t*>(image.data()), image.size(), AllSlotSpans(),
                            ChecksumVariant::A, [&sha](const uint8_t* bytes, size_t length) { sha.Update(bytes, length); });
    return sha.Digest();
}

namespace {

bool CheckHash(const XMLElement* e, const char* attribute, const std::string& what, std::string& error) {
    const char* value = e->Attribute(attribute);
    Sha256Digest digest;
    if (!value) return error = what + " has no " + attribute, false;
    if (!ParseSha256Hex(value, digest))
        return error = what + ": " + attribute + " is not 64 hexadecimal digits", false;
    return true;
}

}  // namespace

bool CheckManifestHashes(const std::string& manifestText, std::string& error) {
    tinyxml2::XMLDocument doc;
    if (doc.Parse(manifestText.data(), manifestText.size()) != tinyxml2::XML_SUCCESS || !doc.RootElement())
        return error = "the manifest is not XML", false;
    const XMLElement* root = doc.RootElement();
    if (root->Attribute("launcherVersion") && !CheckHash(root, "launcherSHA256", "the launcher", error)) return false;
    for (const XMLElement* e = root->FirstChildElement("PACK"); e; e = e->NextSiblingElement("PACK")) {
        const char* file = e->Attribute("file");
        if (!CheckHash(e, "sha256", std::string("pack ") + (file ? file : "?"), error)) return false;
    }
    return true;
}
