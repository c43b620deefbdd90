#pragma once
// The publisher's Ed25519 keys on the tool's side: making a pair, signing
// a set's update.rxml, and reading a public key given on the command line
// (64 hexadecimal digits, or a file holding them as keygen writes it).

#include "update/publisher_signature.h"

#include <filesystem>
#include <memory>
#include <string>

class CSigningKey {
public:
    CSigningKey();
    ~CSigningKey();
    // A PEM private key (PKCS#8) as keygen writes it; false with a reason
    // for anything else, an Ed25519 key only.
    bool Load(const std::string& pemPath, std::string& error);
    // The 64 signature bytes over `data`.
    bool Sign(const std::string& data, std::string& signature, std::string& error) const;
    PublisherKey PublicKey() const;

private:
    struct Key;
    std::unique_ptr<Key> key_;
};

// Writes a new private key (PEM, readable by the owner only) and its public
// key (64 hexadecimal digits and a line feed).
bool GenerateKeyPair(const std::string& privatePath, const std::string& publicPath, std::string& error);

bool ReadPublicKeyArgument(const std::string& argument, PublisherKey& key, std::string& error);

// Writes update.rxml.sig beside the folder's update.rxml.
bool SignSetManifest(const std::filesystem::path& folder, const CSigningKey& key, std::string& error);
