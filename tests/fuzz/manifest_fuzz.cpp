// update.rxml as downloaded: unwrapped when it is an archive, then read as
// the manifest (new and old) the way the checker and the launcher update do.
#include "fuzz_input.h"
#include "update/manifest.h"
#include "update/manifest_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string body = FuzzBytes(data, size);
    std::string text;
    if (!UnwrapManifest(body, text)) text = body;
    ManifestOptions options;
    options.language = "en";
    options.addPackages = {L"add1.pkg"};
    CManifest manifest;
    manifest.Parse(text, options);
    options.platform = 1;
    std::map<std::wstring, OldFileRecord> old;
    ParseOldManifest(text, options, old);
    LauncherInfo info;
    if (ReadLauncherInfo(text, info)) FUZZ_CHECK(!info.version.empty());
    ManifestRootAttribute(text, "clientVersion");
    return 0;
}
