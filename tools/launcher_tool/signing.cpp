#include "signing.h"

#include "client_tree.h"
#include "file_io.h"

#include <openssl/evp.h>
#include <openssl/pem.h>


#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using KeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using MdPtr = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;
using BioPtr = std::unique_ptr<BIO, decltype(&BIO_free)>;

bool RawPublicKey(EVP_PKEY* pkey, PublisherKey& key) {
    size_t length = key.size();
    return EVP_PKEY_get_raw_public_key(pkey, key.data(), &length) == 1 && length == key.size();
}

}  // namespace

struct CSigningKey::Key {
    KeyPtr pkey{nullptr, EVP_PKEY_free};
};

CSigningKey::CSigningKey() : key_(std::make_unique<Key>()) {}
CSigningKey::~CSigningKey() = default;

bool CSigningKey::Load(const std::string& pemPath, std::string& error) {
    std::string pem;
    if (!ReadWholeFile(pemPath, pem, error)) return false;
    BioPtr bio(BIO_new_mem_buf(pem.data(), int(pem.size())), BIO_free);
    if (bio) key_->pkey.reset(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
    if (!key_->pkey) return error = pemPath + ": not a PEM private key", false;
    if (EVP_PKEY_get_id(key_->pkey.get()) != EVP_PKEY_ED25519) {
        key_->pkey.reset();
        return error = pemPath + ": not an Ed25519 key (make one with launcher-tool keygen)", false;
    }
    return true;
}

bool CSigningKey::Sign(const std::string& data, std::string& signature, std::string& error) const {
    MdPtr md(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    signature.assign(kManifestSignatureSize, '\0');
    size_t length = signature.size();
    if (!key_->pkey || !md || EVP_DigestSignInit(md.get(), nullptr, nullptr, nullptr, key_->pkey.get()) != 1 ||
        EVP_DigestSign(md.get(), reinterpret_cast<unsigned char*>(&signature[0]), &length,
                       reinterpret_cast<const unsigned char*>(data.data()), data.size()) != 1 ||
        length != kManifestSignatureSize)
        return error = "signing failed", false;
    return true;
}

PublisherKey CSigningKey::PublicKey() const {
    PublisherKey key{};
    if (key_->pkey) RawPublicKey(key_->pkey.get(), key);
    return key;
}

bool GenerateKeyPair(const std::string& privatePath, const std::string& publicPath, std::string& error) {
    KeyPtr pkey(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"), EVP_PKEY_free);
    PublisherKey key;
    if (!pkey || !RawPublicKey(pkey.get(), key)) return error = "key generation failed", false;
    BioPtr bio(BIO_new(BIO_s_mem()), BIO_free);
    if (!bio || PEM_write_bio_PrivateKey(bio.get(), pkey.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
        return error = "the private key cannot be written", false;
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    const std::string pem(data, size_t(length > 0 ? length : 0));
    if (!WriteWholeFile(privatePath, pem, error)) return false;
#ifndef _WIN32
    chmod(privatePath.c_str(), 0600);
#endif
    return WriteWholeFile(publicPath, PublisherKeyText(key) + "\n", error);
}

bool ReadPublicKeyArgument(const std::string& argument, PublisherKey& key, std::string& error) {
    std::vector<PublisherKey> keys;
    std::string text = argument, ignored;
    if (!ParsePublisherKeys(argument, keys, ignored) || keys.size() != 1) {
        if (!ReadWholeFile(argument, text, error))
            return error = "'" + argument + "' is neither 64 hexadecimal digits nor a readable key file", false;
        if (!ParsePublisherKeys(text, keys, error)) return error = argument + ": " + error, false;
        if (keys.size() != 1) return error = argument + ": expected one public key", false;
    }
    key = keys[0];
    return true;
}

bool SignSetManifest(const std::filesystem::path& folder, const CSigningKey& key, std::string& error) {
    std::string manifest, signature;
    return ReadWholeFile(U8(folder / "update.rxml"), manifest, error) && key.Sign(manifest, signature, error) &&
           WriteWholeFile(U8(folder / kManifestSignatureName), signature, error);
}
