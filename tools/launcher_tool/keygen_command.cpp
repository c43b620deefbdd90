// keygen: the publisher's Ed25519 key pair for signed update sets.

#include "commands.h"
#include "signing.h"

#include <cstdio>
#include <filesystem>

int Keygen(const Args& args) {
    if (args.size() != 2) return Usage("keygen");
    // A key that signed what launchers trust must never be lost by accident.
    std::error_code ec;
    for (const std::string& path : args)
        if (std::filesystem::exists(std::filesystem::u8path(path), ec))
            return Fail(path + " exists; not replacing a key");
    std::string error;
    if (!GenerateKeyPair(args[0], args[1], error)) return Fail(error);
    std::printf("private key %s (keep it off the update server), public key %s\n", args[0].c_str(), args[1].c_str());
    return 0;
}
