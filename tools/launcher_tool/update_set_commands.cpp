// make-update-set and make-increment: building what the launcher downloads
// from its update path, signed with the publisher's key when asked.

#include "client_tree.h"
#include "commands.h"
#include "file_io.h"
#include "options.h"
#include "pack_writer.h"
#include "set_description.h"
#include "set_files.h"
#include "signing.h"
#include "staged_folder.h"
#include "startup/resource_slots.h"
#include "update/pe_version.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

bool Inside(const fs::path& inner, const fs::path& outer) {
    std::error_code ec;
    std::string a = fs::weakly_canonical(inner, ec).generic_u8string(), b = fs::weakly_canonical(outer, ec).generic_u8string();
    while (!a.empty() && a.back() == '/') a.pop_back();
    while (!b.empty() && b.back() == '/') b.pop_back();
    return a == b || a.compare(0, b.size() + 1, b + "/") == 0;
}

// launcherVersion, launcherSize and launcherCRC (variant A) of a built
// launcher; without a URL the launcher is published next to the manifest.
bool AddLauncher(const std::string& exe, const std::string& url, const fs::path& set, ManifestDocument& doc,
                 std::string& error) {
    std::string image;
    if (!ReadWholeFile(exe, image, error)) return false;
    std::string version;
    if (!ReadPeFileVersion(image, version, error)) return error = exe + ": " + error, false;
    doc.hasLauncher = true;
    doc.launcherVersion = version;
    doc.launcherSize = image.size();
    doc.hasLauncherCrc = true;
    doc.launcherCrc = SlotNeutralChecksum(reinterpret_cast<const uint8_t*>(image.data()), image.size(),
                                          AllSlotSpans(), ChecksumVariant::A);
    doc.launcherUrl = url;
    doc.launcherSha256 = Sha256Hex(LauncherImageSha256(image));
    if (url.empty()) return WriteWholeFile(U8(set / "Launcher.exe"), image, error);
    return true;
}

std::vector<std::string> SetIgnores(const std::vector<std::string>& extra) {
    std::vector<std::string> all = LauncherStateIgnores();
    for (const std::string& e : extra) {
        bool seen = false;
        for (const std::string& a : all) seen |= a == e;
        if (!seen) all.push_back(e);
    }
    return all;
}

// Each client file goes to the first pack with a matching include, after
// the excludes; a file no pack takes is an error, so nothing is left out
// by accident.
bool AssignFiles(const SetDescription& d, const std::vector<ClientFile>& files,
                 std::vector<std::vector<const ClientFile*>>& perPack, std::string& error) {
    perPack.assign(d.packs.size(), {});
    for (const ClientFile& f : files) {
        bool excluded = false;
        for (const std::string& x : d.exclude) excluded |= PatternMatches(x, f.rel);
        if (excluded) continue;
        size_t i = 0;
        while (i < d.packs.size()) {
            bool match = false;
            for (const std::string& p : d.packs[i].include) match |= PatternMatches(p, f.rel);
            if (match) break;
            ++i;
        }
        if (i == d.packs.size())
            return error = f.rel + " belongs to no pack (add an include or an exclude for it)", false;
        perPack[i].push_back(&f);
    }
    for (size_t i = 0; i < d.packs.size(); ++i)
        if (perPack[i].empty()) return error = "pack " + d.packs[i].pack.file + " gets no files", false;
    return true;
}

struct FileState {
    std::string path;  // as written in the manifest
    uint32_t crc;
    uint64_t size;
};

// Path (Windows-folded) -> file of the packs every installation of the
// platform ("" for all) holds: full and int packs; a later pack wins, as in
// the launcher. Files of ext and add packs stay out of increments, which
// would otherwise install add-ons nobody chose.
std::map<std::string, FileState> FileTable(const ManifestDocument& doc, const std::string& platform) {
    std::map<std::string, FileState> table;
    for (const ManifestDocPack& p : doc.packs) {
        if ((p.type != "full" && p.type != "int") || (!p.platform.empty() && p.platform != platform)) continue;
        for (const ManifestDocFile& f : p.files) table[FoldPath(f.file)] = {f.file, f.crc, f.size};
    }
    return table;
}

std::string SafeName(std::string s) {
    for (char& c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') c = '_';
    return s;
}

// Hard links keep re-publishing a large set cheap; copies where links fail.
bool CopySet(const fs::path& from, const fs::path& to, std::string& error) {
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(from, ec)) {
        const fs::path target = to / e.path().filename();
        if (e.is_directory()) return error = U8(e.path()) + ": update sets hold no folders", false;
        fs::create_hard_link(e.path(), target, ec);
        if (ec) {
            ec.clear();
            fs::copy_file(e.path(), target, ec);
            if (ec) return error = "cannot copy " + U8(e.path()) + ": " + ec.message(), false;
        }
    }
    if (ec) return error = "cannot list " + U8(from) + ": " + ec.message(), false;
    return true;
}

// The --sign option: the key is loaded before any work, so a wrong path
// or pass fails at once.
bool LoadSigningKey(const Options& o, CSigningKey& key, std::string& error) {
    return !o.Has("--sign") || key.Load(o.Value("--sign"), error);
}

// Hashes are written only into signed sets: an unsigned set stays as it was.
void DropHashes(ManifestDocument& doc) {
    doc.launcherSha256.clear();
    for (ManifestDocPack& p : doc.packs) p.sha256.clear();
}

// Hashes an earlier unsigned set lacks, from the files in `folder`.
bool CompleteHashes(const fs::path& folder, ManifestDocument& doc, std::string& error) {
    for (ManifestDocPack& p : doc.packs) {
        if (!p.sha256.empty()) continue;
        uint32_t crc;
        uint64_t size;
        if (!PackChecksum(folder / fs::u8path(p.file), crc, size, p.sha256, error)) return false;
        if (crc != p.crc || size != p.size) return error = p.file + " differs from the manifest", false;
    }
    if (!doc.hasLauncher || !doc.launcherSha256.empty()) return true;
    if (!doc.launcherUrl.empty())
        return error = "the launcher is published at " + doc.launcherUrl +
                       ": its hash is unknown here (build the set again with --sign)",
               false;
    std::string image;
    if (!ReadWholeFile(U8(folder / "Launcher.exe"), image, error)) return false;
    doc.launcherSha256 = Sha256Hex(LauncherImageSha256(image));
    return true;
}

}  // namespace

int MakeUpdateSet(const Args& args) {
    Options o;
    std::string error;
    if (!ParseOptions(args, {"--launcher", "--launcher-url", "--sign"}, {"--rar5", "--manifest-rar"}, o, error))
        return Fail(error);
    if (o.positional.size() != 3) return Usage("make-update-set");
    CSigningKey signingKey;
    if (!LoadSigningKey(o, signingKey, error)) return Fail(error);
    const fs::path client = fs::u8path(o.positional[0]), output = fs::u8path(o.positional[2]);
    std::string text;
    if (!ReadWholeFile(o.positional[1], text, error)) return Fail(error);
    SetDescription d;
    if (!ReadSetDescription(text, d, error)) return Fail(o.positional[1] + ": " + error);
    if (o.Has("--rar5"))
        for (PackRule& p : d.packs) p.format = PackFormat::Rar5;
    if (o.Has("--manifest-rar")) d.manifestAsRar = true;
    if (o.Has("--launcher-url")) d.launcherUrl = o.Value("--launcher-url");
    if (!d.launcherUrl.empty() && !o.Has("--launcher")) return Fail("a launcher URL needs --launcher");
    if (Inside(output, client)) return Fail("the output folder must not lie inside the client folder");
    // The output is replaced whole: only an earlier set or an empty folder.
    std::error_code ec;
    if (fs::is_directory(output, ec) && !fs::is_empty(output, ec) && !fs::exists(output / "update.rxml", ec))
        return Fail(o.positional[2] + " holds files but no update set; not replacing it");

    std::vector<ClientFile> files;
    if (!ScanClientFolder(client, files, error)) return Fail(error);
    std::vector<std::vector<const ClientFile*>> perPack;
    if (!AssignFiles(d, files, perPack, error)) return Fail(error);
    uint64_t total = 0;
    for (const auto& list : perPack)
        for (const ClientFile* f : list) total += f->size;
    std::printf("%zu files, %llu MB, %zu packs\n", files.size(), (unsigned long long)(total >> 20), d.packs.size());

    CStagedFolder staged;
    if (!staged.Begin(output, error)) return Fail(error);
    ManifestDocument doc;
    doc.clientVersion = d.clientVersion;
    CProgress progress(total);
    for (size_t i = 0; i < d.packs.size(); ++i) {
        ManifestDocPack pack = d.packs[i].pack;
        if (!WritePack(client, perPack[i], d.packs[i].format, staged.Path() / fs::u8path(pack.file), pack, progress,
                       error))
            return Fail(error);
        doc.packs.push_back(pack);
    }
    doc.ignores = SetIgnores(d.ignores);
    if (o.Has("--launcher") && !AddLauncher(o.Value("--launcher"), d.launcherUrl, staged.Path(), doc, error))
        return Fail(error);
    doc.modification = ContentStamp(doc);
    if (!o.Has("--sign")) DropHashes(doc);
    if (!WriteManifestFiles(staged.Path(), doc, d.manifestAsRar, error)) return Fail(error);
    if (o.Has("--sign") && !SignSetManifest(staged.Path(), signingKey, error)) return Fail(error);
    if (!staged.Commit(error)) return Fail(error);
    std::printf("update set written to %s (modification %s%s)\n", U8(output).c_str(), doc.modification.c_str(),
                o.Has("--sign") ? ", signed" : "");
    return 0;
}

int MakeIncrement(const Args& args) {
    Options o;
    std::string error;
    if (!ParseOptions(args, {"--pack", "--platform", "--sign"}, {"--rar5"}, o, error)) return Fail(error);
    CSigningKey signingKey;
    if (!LoadSigningKey(o, signingKey, error)) return Fail(error);
    const std::string platform = o.Value("--platform");
    if (!platform.empty() && platform != "32" && platform != "64") return Fail("--platform must be 32 or 64");
    if (o.positional.size() != 3) return Usage("make-increment");
    const fs::path oldFrom = fs::u8path(o.positional[0]), client = fs::u8path(o.positional[1]),
                   set = fs::u8path(o.positional[2]);
    std::string oldText, newText;
    ManifestDocument oldDoc, doc;
    if (!LoadManifestText(oldFrom, oldText, error)) return Fail(error);
    if (!ReadManifestDocument(oldText, oldDoc, error)) return Fail(o.positional[0] + ": " + error);
    if (!LoadManifestText(set / "update.xml", newText, error)) return Fail(error);
    if (!ReadManifestDocument(newText, doc, error)) return Fail(o.positional[2] + ": " + error);

    std::string packName = o.Value("--pack");
    if (packName.empty())
        packName = SafeName("increment-" + oldDoc.clientVersion + "-" + doc.clientVersion +
                            (platform.empty() ? "" : "-" + platform)) + ".pkg";
    if (packName.size() < 5 || packName.compare(packName.size() - 4, 4, ".pkg") != 0 ||
        packName.find_first_of("/\\:*?\"<>|") != std::string::npos)
        return Fail("pack file '" + packName + "' must be a plain name ending in .pkg");
    for (const ManifestDocPack& p : doc.packs)
        if (p.file == packName && p.type != "increment") return Fail(packName + " is already a " + p.type + " pack");

    // Changed and added files: what an installation of the old version
    // lacks to be the new one.
    const std::map<std::string, FileState> before = FileTable(oldDoc, platform), after = FileTable(doc, platform);
    std::set<std::string> changed;
    for (const auto& [key, now] : after) {
        const auto was = before.find(key);
        if (was == before.end() || was->second.crc != now.crc || was->second.size != now.size) changed.insert(key);
    }
    if (changed.empty()) return Fail("nothing changed between the two versions");

    std::vector<ClientFile> files;
    if (!ScanClientFolder(client, files, error)) return Fail(error);
    std::vector<const ClientFile*> chosen;
    uint64_t total = 0;
    for (const ClientFile& f : files)
        if (changed.count(FoldPath(f.rel))) {
            chosen.push_back(&f);
            total += f.size;
        }
    if (chosen.size() != changed.size()) {
        for (const ClientFile* f : chosen) changed.erase(FoldPath(f->rel));
        return Fail(after.at(*changed.begin()).path + " of the new set is missing from " + o.positional[1]);
    }
    std::printf("increment %s: %zu changed or added files, %llu MB\n", packName.c_str(), chosen.size(),
                (unsigned long long)(total >> 20));

    CStagedFolder staged;
    if (!staged.Begin(set, error)) return Fail(error);
    if (!CopySet(set, staged.Path(), error)) return Fail(error);
    std::error_code ec;
    fs::remove(staged.Path() / fs::u8path(packName), ec);
    for (auto it = doc.packs.begin(); it != doc.packs.end();)
        it = it->file == packName ? doc.packs.erase(it) : it + 1;
    ManifestDocPack pack;
    pack.type = "increment";
    pack.platform = platform;
    pack.file = packName;
    CProgress progress(total);
    if (!WritePack(client, chosen, o.Has("--rar5") ? PackFormat::Rar5 : PackFormat::Zip,
                   staged.Path() / fs::u8path(packName), pack, progress, error))
        return Fail(error);
    // The client folder must hold exactly the files the set describes.
    for (const ManifestDocFile& f : pack.files) {
        const FileState& want = after.at(FoldPath(f.file));
        if (want.crc != f.crc || want.size != f.size)
            return Fail(f.file + " in " + o.positional[1] + " differs from the new set (rebuild the set first)");
    }
    doc.packs.push_back(pack);
    if (o.Has("--sign")) {
        if (!CompleteHashes(staged.Path(), doc, error)) return Fail(error);
    } else {
        DropHashes(doc);
    }
    if (!WriteManifestFiles(staged.Path(), doc, ManifestArchiveIsRar(set), error)) return Fail(error);
    if (o.Has("--sign")) {
        if (!SignSetManifest(staged.Path(), signingKey, error)) return Fail(error);
    } else if (fs::remove(staged.Path() / kManifestSignatureName, ec)) {
        // The old signature covers the old manifest only.
        std::printf("note: %s was signed; without --sign it is not any more\n", U8(set).c_str());
    }
    if (!staged.Commit(error)) return Fail(error);
    std::printf("%s added to %s\n", packName.c_str(), U8(set).c_str());
    return 0;
}
