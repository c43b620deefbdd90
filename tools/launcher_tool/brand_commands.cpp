// brand: sets several resource slots of a built launcher at once, and the
// publisher keys of its embedded configuration;
// cud-encrypt / cud-decrypt: the CUD.dat cipher with a given key.

#include "commands.h"
#include "file_io.h"
#include "options.h"
#include "package_config.h"
#include "signing.h"
#include "startup/resource_slots.h"
#include "update/cud_cipher.h"

#include <tinyxml2.h>

#include <cstdio>
#include <cstring>

namespace {

struct BrandOption {
    const char* option;
    const char* slot;
};

const BrandOption kBrandOptions[] = {
    {"--server-url", "SERVER_URL"},  {"--update-path", "UPDATE_PATH"}, {"--language", "LANGUAGE"},
    {"--affiliate", "AFFILIATE_ID"}, {"--referrer", "REFERRER_ID"},    {"--promocode", "PROMOCODE"},
};

bool CudOptions(const Args& args, Options& o, std::string& key, std::string& error) {
    if (!ParseOptions(args, {"--key"}, {}, o, error)) return false;
    key = o.Value("--key", kLauncherCudKey);
    unsigned char bytes[16];
    if (!ParseCudKey(key, bytes)) return error = "the key must be exactly 32 hexadecimal digits", false;
    return true;
}

}  // namespace

int Brand(const Args& args) {
    std::set<std::string> withValue{"--out", "--publisher-key"};
    for (const BrandOption& b : kBrandOptions) withValue.insert(b.option);
    Options o;
    std::string error;
    if (!ParseOptions(args, withValue, {}, o, error)) return Fail(error);
    if (o.positional.size() != 1) return Usage("brand");
    const std::string source = o.positional[0], target = o.Value("--out", source);
    std::string image;
    if (!ReadWholeFile(source, image, error)) return Fail(error);
    // Every slot is patched in memory first: one bad value changes nothing.
    int patched = 0;
    for (const BrandOption& b : kBrandOptions) {
        const auto it = o.values.find(b.option);
        if (it == o.values.end()) continue;
        const bool list = std::strcmp(b.slot, "SERVER_URL") == 0;
        if (!list && it->second.size() > 1) return Fail(std::string(b.option) + " takes one value");
        for (const std::string& v : it->second)
            if (list && v.empty()) return Fail("--server-url needs a non-empty URL");
        const std::string value = list ? JoinSlotList(it->second) : it->second.back();
        if (!PatchSlot(image, *FindSlotInfo(b.slot), value, error)) return Fail(source + ": " + b.slot + ": " + error);
        ++patched;
    }
    const auto keyArguments = o.values.find("--publisher-key");
    const size_t keyCount = keyArguments == o.values.end() ? 0 : keyArguments->second.size();
    if (keyCount) {
        if (keyCount > kMaxPublisherKeys) return Fail("at most two --publisher-key");
        std::vector<PublisherKey> keys(keyCount);
        for (size_t i = 0; i < keys.size(); ++i)
            if (!ReadPublicKeyArgument(keyArguments->second[i], keys[i], error)) return Fail(error);
        if (!SetEmbeddedPublisherKeys(image, keys, error)) return Fail(source + ": " + error);
    }
    if (!patched && !keyCount) return Fail("nothing to brand: give at least one slot option or --publisher-key");
    if (!WriteWholeFile(target, image, error)) return Fail(error);
    if (keyCount)
        std::printf("%s: %zu publisher key(s) set: the launcher takes only update sets signed with them\n",
                    target.c_str(), keyCount);
    std::printf("%s: %d slot(s) set, launcher checksum %u\n", target.c_str(), patched,
                unsigned(SlotNeutralChecksum(reinterpret_cast<const uint8_t*>(image.data()), image.size(),
                                             AllSlotSpans(), ChecksumVariant::A)));
    return 0;
}

int CudEncrypt(const Args& args) {
    Options o;
    std::string key, error, plain, data;
    if (!CudOptions(args, o, key, error)) return Fail(error);
    if (o.positional.size() != 2) return Usage("cud-encrypt");
    if (!ReadWholeFile(o.positional[0], plain, error)) return Fail(error);
    tinyxml2::XMLDocument xml;
    if (xml.Parse(plain.data(), plain.size()) != tinyxml2::XML_SUCCESS || !xml.RootElement() ||
        std::strcmp(xml.RootElement()->Name(), "ClientUpdateData") != 0)
        return Fail(o.positional[0] + ": not a ClientUpdateData document");
    if (!CudEncipher(key, plain, data)) return Fail("enciphering failed");
    if (!WriteWholeFile(o.positional[1], data, error)) return Fail(error);
    return 0;
}

int CudDecrypt(const Args& args) {
    Options o;
    std::string key, error, data, plain;
    if (!CudOptions(args, o, key, error)) return Fail(error);
    if (o.positional.size() != 2) return Usage("cud-decrypt");
    if (!ReadWholeFile(o.positional[0], data, error)) return Fail(error);
    if (CudIsPlain(data)) return Fail(o.positional[0] + " is not enciphered (the launcher reads it as it is)");
    if (!CudDecipher(key, data, plain)) return Fail(o.positional[0] + ": cannot decipher (wrong key or damaged file)");
    if (o.positional[1] == "-") {
        std::fwrite(plain.data(), 1, plain.size(), stdout);
        return 0;
    }
    if (!WriteWholeFile(o.positional[1], plain, error)) return Fail(error);
    return 0;
}
