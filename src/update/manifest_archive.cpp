#include "manifest_archive.h"

#include "update/rar_archive.h"
#include "update/zip_file.h"

bool UnwrapManifest(const std::string& body, std::string& text) {
    static const char kMember[] = "update.xml";
    text.clear();
    if (body.compare(0, 4, "Rar!") == 0) return CRarArchive::FindMember(body.data(), body.size(), kMember, text);
    CSimpleMemReadStream stream(body);
    CZipFile zip;
    if (zip.Open(stream) != kZipOk) return false;
    const int index = zip.Find(kMember);
    return index >= 0 && zip.Extract(size_t(index), text) == kZipOk;
}
