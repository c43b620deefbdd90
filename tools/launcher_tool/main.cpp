// launcher-tool: the publisher's and the build's tool for branded launcher
// builds: string tables, RAR 2.9 packages, archives, resource slots, the
// launcher checksum, branding, update sets, their signing and verification,
// and the CUD.dat cipher.

#include "commands.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <clocale>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const Command kCommands[] = {
    {"lso-compile", "<table.txt> <out.lso>", "compile a string-table text source to .lso", LsoCompile},
    {"lso-decompile", "<table.lso> <out.txt|->", "turn an .lso back into its text source", LsoDecompile},
    {"rar-create", "<folder> <out.rar>", "write a RAR 2.9 archive (stored) of a folder's files", RarCreate},
    {"archive-list", "<archive>", "list the entries of a RAR (2.9 or 5) or ZIP archive", ArchiveList},
    {"archive-extract", "<archive> <folder>", "extract a RAR or ZIP archive into a folder", ArchiveExtract},
    {"slot-make", "<SLOT> <out.bin> [value...]", "write the resource bytes of a slot (several values for SERVER_URL)",
     SlotMake},
    {"slot-patch", "<Launcher.exe> <SLOT> [value...]",
     "set a slot of a built launcher in place (several values for SERVER_URL; none empties it)", SlotPatch},
    {"slot-show", "<Launcher.exe>", "print the values of all six slots", SlotShow},
    {"checksum", "<Launcher.exe>", "print the slot-neutral launcher checksum, variants A and B", Checksum},
    {"brand",
     "<Launcher.exe> [--out <file>] [--server-url <url>]... [--update-path <p>] [--language <code>]\n"
     "        [--affiliate <id>] [--referrer <id>] [--promocode <code>] [--publisher-key <key>]...",
     "set several slots of a built launcher and its publisher keys (up to two) at once (all or none)", Brand},
    {"keygen", "<private.pem> <public key file>",
     "make an Ed25519 key pair for signing update sets (keep the private key off the server)", Keygen},
    {"make-update-set",
     "<client folder> <description.xml> <output folder> [--launcher <Launcher.exe>] [--launcher-url <url>]\n"
     "        [--rar5] [--manifest-rar] [--sign <private.pem>]",
     "write the packs, update.xml and update.rxml of a client version (see docs/update-set.md)", MakeUpdateSet},
    {"make-increment", "<old update.xml|set folder> <new client folder> <new set folder> [--pack <name.pkg>] [--platform 32|64]\n"
     "        [--rar5] [--sign <private.pem>]",
     "add a delta pack of the changed and added files to a set as an increment pack", MakeIncrement},
    {"verify",
     "<installed folder> <update.xml|update.rxml|set folder> [--platform 32|64] [--lang <code>]\n"
     "        [--add <pack.pkg>]... [--ext all|none|<EXEC>,...] [--launcher-name <file>] [--publisher-key <key>]...",
     "compare a folder with a manifest as the launcher's checker does; list what differs", Verify},
    {"cud-encrypt", "<CUD.xml> <CUD.dat> [--key <32 hex digits>]", "encipher a CUD document (default: the launcher's key)",
     CudEncrypt},
    {"cud-decrypt", "<CUD.dat> <CUD.xml|-> [--key <32 hex digits>]", "decipher a CUD.dat (default: the launcher's key)",
     CudDecrypt},
};

void PrintHelp() {
    std::printf("usage: launcher-tool <command> [arguments]\n\ncommands:\n");
    for (const Command& c : kCommands) std::printf("  %-16s %s\n      %s\n", c.name, c.usage, c.summary);
    std::printf("\nslots: SERVER_URL UPDATE_PATH LANGUAGE AFFILIATE_ID REFERRER_ID PROMOCODE\n");
    std::printf("'launcher-tool <command> --help' shows one command.\n");
}

}  // namespace

int Fail(const std::string& reason) {
    std::fprintf(stderr, "launcher-tool: %s\n", reason.c_str());
    return 1;
}

int Usage(const std::string& command) {
    for (const Command& c : kCommands)
        if (command == c.name) {
            std::fprintf(stderr, "usage: launcher-tool %s %s\n  %s\n", c.name, c.usage, c.summary);
            return 2;
        }
    PrintHelp();
    return 2;
}

namespace {

int Main(int argc, char** argv) {
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        PrintHelp();
        return argc < 2 ? 2 : 0;
    }
    const std::string name = argv[1];
    Args args(argv + 2, argv + argc);
    for (const Command& c : kCommands) {
        if (name != c.name) continue;
        if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
            std::printf("usage: launcher-tool %s %s\n  %s\n", c.name, c.usage, c.summary);
            return 0;
        }
        return c.run(args);
    }
    return Fail("unknown command '" + name + "' (see launcher-tool --help)");
}

}  // namespace

#ifdef _WIN32
// Arguments arrive as UTF-16; the commands work on UTF-8 paths and values.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> utf8;
    for (int i = 0; i < argc; ++i) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string s(size_t(n > 0 ? n - 1 : 0), '\0');
        if (n > 1) WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, &s[0], n, nullptr, nullptr);
        utf8.push_back(s);
    }
    std::vector<char*> args;
    for (std::string& s : utf8) args.push_back(&s[0]);
    return Main(argc, args.data());
}
#else
int main(int argc, char** argv) {
    std::setlocale(LC_CTYPE, "");
    return Main(argc, argv);
}
#endif
