// Signed update sets on the launcher's side: publisher keys as the
// configuration gives them, the detached signature of update.rxml, the
// SHA-256 the launcher counts piece by piece, and the hash attributes of a
// signed manifest, which launchers without a key pass over.

#include "startup/resource_slots.h"
#include "update/manifest.h"
#include "update/manifest_writer.h"
#include "update/publisher_signature.h"
#include "update/sha256_digest.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <memory>

namespace {

// A key pair made here, so the launcher's check meets a signer of its own.
class CTestSigner {
public:
    CTestSigner() : key_(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"), EVP_PKEY_free) {}
    PublisherKey Public() const {
        PublisherKey k{};
        size_t n = k.size();
        EVP_PKEY_get_raw_public_key(key_.get(), k.data(), &n);
        return k;
    }
    std::string Sign(const std::string& data) const {
        std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> md(EVP_MD_CTX_new(), EVP_MD_CTX_free);
        std::string sig(64, '\0');
        size_t n = sig.size();
        EVP_DigestSignInit(md.get(), nullptr, nullptr, nullptr, key_.get());
        EVP_DigestSign(md.get(), reinterpret_cast<unsigned char*>(&sig[0]), &n,
                       reinterpret_cast<const unsigned char*>(data.data()), data.size());
        return sig;
    }

private:
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key_;
};

const char kAbc[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

std::string Hex(char c) { return std::string(64, c); }

ManifestDocument SignedDocument() {
    ManifestDocument d;
    d.clientVersion = "5.2.101";
    d.hasLauncher = true;
    d.launcherVersion = "1.0.0.7";
    d.launcherSize = 100;
    d.launcherSha256 = Hex('a');
    ManifestDocPack full;
    full.file = "client.pkg";
    full.crc = 7;
    full.size = 70;
    full.sha256 = Hex('b');
    full.files = {{"Bin\\Game.exe", 123, 10}};
    ManifestDocPack voice;
    voice.type = "ext";
    voice.file = "voice.pkg";
    voice.sha256 = std::string(kAbc);
    voice.infos = {{"en", true, "Voice", "voice\\setup.exe", "", ""}};
    voice.files = {{"Voice\\setup.exe", 8, 80}};
    d.packs = {full, voice};
    return d;
}

}  // namespace

TEST(PublisherSignature, KeysFromTheConfiguration) {
    std::vector<PublisherKey> keys;
    std::string error;
    ASSERT_TRUE(ParsePublisherKeys("", keys, error));
    EXPECT_TRUE(keys.empty());
    ASSERT_TRUE(ParsePublisherKeys("   \n\t  ", keys, error));  // the shipped room: no key
    EXPECT_TRUE(keys.empty());
    const std::string first = Hex('0').replace(0, 2, "Ab"), second = Hex('f');
    ASSERT_TRUE(ParsePublisherKeys("  " + first + "\n  " + second + "   ", keys, error)) << error;
    ASSERT_EQ(2u, keys.size());
    EXPECT_EQ(0xAB, keys[0][0]);
    EXPECT_EQ(Hex('0').replace(0, 2, "ab"), PublisherKeyText(keys[0]));
    EXPECT_EQ(second, PublisherKeyText(keys[1]));
    // Anything else is refused, never read as "no key".
    for (const std::string& bad : {first + " " + second + " " + first, first.substr(1), first + "0",
                                   Hex('g'), first + "," + second}) {
        EXPECT_FALSE(ParsePublisherKeys(bad, keys, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

TEST(PublisherSignature, ASignatureIsTakenFromAnyConfiguredKeyOnly) {
    const CTestSigner signer, other;
    static const char kBytes[] = "Rar!\x1a\x07\x00 manifest bytes\0 with zeros";
    const std::string manifest(kBytes, sizeof kBytes - 1);
    const std::string signature = signer.Sign(manifest);
    std::string error;
    EXPECT_TRUE(VerifyManifestSignature({signer.Public()}, manifest, signature, error)) << error;
    // Rotation: the old and the new key, either signs.
    EXPECT_TRUE(VerifyManifestSignature({other.Public(), signer.Public()}, manifest, signature, error));
    EXPECT_FALSE(VerifyManifestSignature({other.Public()}, manifest, signature, error));
    EXPECT_NE(std::string::npos, error.find("does not match"));
    std::string changed = manifest;
    changed[20] ^= 1;
    EXPECT_FALSE(VerifyManifestSignature({signer.Public()}, changed, signature, error));
    std::string flipped = signature;
    flipped[3] ^= 0x40;
    EXPECT_FALSE(VerifyManifestSignature({signer.Public()}, manifest, flipped, error));
    EXPECT_FALSE(VerifyManifestSignature({}, manifest, signature, error));
    // Signature files of the wrong length: empty, short, long, huge.
    for (size_t length : {size_t(0), size_t(63), size_t(65), size_t(10) << 20}) {
        const std::string odd = length <= 64 ? signature.substr(0, length) : signature + std::string(length - 64, 'x');
        EXPECT_FALSE(VerifyManifestSignature({signer.Public()}, manifest, odd, error));
        EXPECT_NE(std::string::npos, error.find(std::to_string(length) + " bytes")) << error;
    }
}

TEST(PublisherSignature, Sha256InPiecesAndItsText) {
    Sha256Digest d;
    ASSERT_TRUE(ParseSha256Hex(kAbc, d));
    EXPECT_EQ(d, Sha256Of("abc", 3));
    std::string upper = kAbc;
    for (char& c : upper) c = char(toupper(c));
    ASSERT_TRUE(ParseSha256Hex(upper, d));
    EXPECT_EQ(kAbc, Sha256Hex(d));
    // A digest taken on the way leaves the running hash going.
    std::string data(3 << 20, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = char(i * 7 + (i >> 12));
    CSha256 running;
    running.Update(data.data(), 1000);
    const Sha256Digest early = running.Digest();
    EXPECT_EQ(Sha256Of(data.data(), 1000), early);
    running.Update(data.data() + 1000, data.size() - 1000);
    CSha256 moved = std::move(running);  // package records move their hash along
    EXPECT_EQ(Sha256Of(data.data(), data.size()), moved.Digest());
    for (const std::string& bad : {std::string(kAbc).substr(1), std::string(kAbc) + "0", Hex('z'), std::string()})
        EXPECT_FALSE(ParseSha256Hex(bad, d)) << bad;
}

TEST(PublisherSignature, HashAttributesRoundTripAndOlderParsersPassOverThem) {
    const ManifestDocument signedDoc = SignedDocument();
    const std::string text = WriteManifest(signedDoc);
    ManifestDocument back;
    std::string error;
    ASSERT_TRUE(ReadManifestDocument(text, back, error)) << error;
    EXPECT_EQ(text, WriteManifest(back));
    EXPECT_EQ(Hex('a'), back.launcherSha256);
    EXPECT_EQ(Hex('b'), back.packs[0].sha256);
    EXPECT_TRUE(CheckManifestHashes(text, error)) << error;

    ManifestOptions o;
    o.language = "en";
    CManifest withHashes, without;
    ASSERT_TRUE(withHashes.Parse(text, o));
    ManifestDocument plainDoc = signedDoc;
    plainDoc.launcherSha256.clear();
    for (ManifestDocPack& p : plainDoc.packs) p.sha256.clear();
    const std::string plain = WriteManifest(plainDoc);
    EXPECT_EQ(std::string::npos, plain.find("sha256"));
    EXPECT_EQ(std::string::npos, plain.find("SHA256"));
    ASSERT_TRUE(without.Parse(plain, o));
    EXPECT_EQ(Hex('b'), withHashes.packs.at(L"client.pkg").sha256);
    EXPECT_EQ(kAbc, withHashes.packs.at(L"voice.pkg").sha256);
    EXPECT_EQ(without.packs.size(), withHashes.packs.size());
    EXPECT_EQ(without.extAddOns.size(), withHashes.extAddOns.size());
    ASSERT_EQ(without.files.size(), withHashes.files.size());
    for (const auto& [path, f] : without.files) {
        EXPECT_EQ(f.crc, withHashes.files.at(path).crc);
        EXPECT_EQ(f.size, withHashes.files.at(path).size);
    }
    LauncherInfo info;
    ASSERT_TRUE(ReadLauncherInfo(text, info));
    EXPECT_EQ(Hex('a'), info.sha256);
    ASSERT_TRUE(ReadLauncherInfo(plain, info));
    EXPECT_TRUE(info.sha256.empty());
}

TEST(PublisherSignature, ASignedManifestNeedsEveryHashWellFormed) {
    std::string error;
    const auto refused = [&error](ManifestDocument d, const char* needle) {
        EXPECT_FALSE(CheckManifestHashes(WriteManifest(d), error)) << needle;
        EXPECT_NE(std::string::npos, error.find(needle)) << error;
    };
    ManifestDocument d = SignedDocument();
    d.packs[1].sha256.clear();
    refused(d, "pack voice.pkg has no sha256");
    d = SignedDocument();
    d.packs[0].sha256.pop_back();
    refused(d, "pack client.pkg: sha256 is not 64");
    d = SignedDocument();
    d.packs[0].sha256[5] = 'x';
    refused(d, "client.pkg");
    d = SignedDocument();
    d.launcherSha256 = Hex('a') + "a";
    refused(d, "launcherSHA256");
    d = SignedDocument();
    d.launcherSha256.clear();
    refused(d, "the launcher has no launcherSHA256");
    d.hasLauncher = false;  // no launcher offered: none needed
    EXPECT_TRUE(CheckManifestHashes(WriteManifest(d), error)) << error;
    EXPECT_FALSE(CheckManifestHashes("<update", error));
}

TEST(PublisherSignature, TheLauncherHashLeavesItsSlotsOut) {
    std::string slot, image(5000, 'L');
    ASSERT_TRUE(MakeSlotResource(*FindSlotInfo("AFFILIATE_ID"), "first", slot));
    image.insert(1000, slot);
    const Sha256Digest before = LauncherImageSha256(image);
    std::string error;
    ASSERT_TRUE(PatchSlot(image, *FindSlotInfo("AFFILIATE_ID"), "partner-7", error)) << error;
    EXPECT_EQ(before, LauncherImageSha256(image));
    image[4000] ^= 1;
    EXPECT_NE(before, LauncherImageSha256(image));
}
