#include "cypher_log.h"

#include <openssl/evp.h>
#include <openssl/provider.h>
#include <zlib.h>

#include <cstring>
#include <mutex>

const uint8_t CCypherLog::kMagic[4] = {'Z', 'C', 'L', '1'};

namespace {

constexpr uint32_t kHeaderSize = 8;
constexpr uint32_t kCipherBlock = 8;  // Blowfish

// Blowfish lives in OpenSSL's legacy provider; loading it makes the
// default provider implicit no more, so both are loaded once.
void LoadProviders() {
    static std::once_flag once;
    std::call_once(once, [] {
        OSSL_PROVIDER_load(nullptr, "legacy");
        OSSL_PROVIDER_load(nullptr, "default");
    });
}

bool ReadAt(HANDLE f, int64_t offset, void* data, DWORD n) {
    LARGE_INTEGER pos;
    pos.QuadPart = offset;
    DWORD got = 0;
    return SetFilePointerEx(f, pos, nullptr, FILE_BEGIN) && ReadFile(f, data, n, &got, nullptr) && got == n;
}

bool WriteAt(HANDLE f, int64_t offset, const void* data, DWORD n) {
    LARGE_INTEGER pos;
    pos.QuadPart = offset;
    DWORD written = 0;
    return SetFilePointerEx(f, pos, nullptr, FILE_BEGIN) && WriteFile(f, data, n, &written, nullptr) &&
           written == n;
}

}  // namespace

CCypherLog::CCypherLog() = default;

CCypherLog::~CCypherLog() { Close(); }

bool CCypherLog::RepairChain() {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.Get(), &size)) return false;
    const int64_t fileSize = size.QuadPart;
    int64_t offset = 0;
    while (offset < fileSize || offset == 0) {
        uint8_t header[kHeaderSize];
        if (fileSize - offset < int64_t(kHeaderSize) || !ReadAt(file_.Get(), offset, header, kHeaderSize) ||
            std::memcmp(header, kMagic, 4) != 0)
            return Rotate();
        uint32_t length = uint32_t(header[4]) | uint32_t(header[5]) << 8 | uint32_t(header[6]) << 16 |
                          uint32_t(header[7]) << 24;
        if (length == 0) {
            // Last block of an opening that never wrote its length.
            const int64_t real = fileSize - offset;
            if (real > UINT32_MAX) return Rotate();
            length = uint32_t(real);
            const uint8_t fixed[4] = {uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16),
                                      uint8_t(length >> 24)};
            return WriteAt(file_.Get(), offset + 4, fixed, 4);
        }
        if (length < kHeaderSize || offset + length > fileSize) return Rotate();
        offset += length;
    }
    return true;
}

bool CCypherLog::OpenCiphered(const std::wstring& path, const uint8_t* key, uint32_t keyLength,
                              uint32_t bufferSize) {
    const bool opened = OpenW(path);
    if (!opened || !key || keyLength == 0) return opened;

    if (!RepairChain()) {
        Close();
        return false;
    }
    const uint8_t header[kHeaderSize] = {kMagic[0], kMagic[1], kMagic[2], kMagic[3], 0, 0, 0, 0};
    LARGE_INTEGER end{};
    if (!SetFilePointerEx(file_.Get(), end, nullptr, FILE_END) || !Append(header, kHeaderSize)) {
        Close();
        return false;
    }

    LoadProviders();
    cipher_ = EVP_CIPHER_CTX_new();
    const uint8_t iv[kCipherBlock] = {};
    if (!cipher_ || !EVP_EncryptInit_ex(cipher_, EVP_bf_cbc(), nullptr, nullptr, nullptr) ||
        !EVP_CIPHER_CTX_set_key_length(cipher_, int(keyLength)) ||
        !EVP_EncryptInit_ex(cipher_, nullptr, nullptr, key, iv)) {
        FreeStreams();
        Close();
        return false;
    }
    if (bufferSize <= kCipherBlock) bufferSize = kCipherBlock * 2;
    if (!cipherBuffer_.reserve(bufferSize) || !compressBuffer_.reserve(bufferSize)) {
        FreeStreams();
        Close();
        return false;
    }
    std::unique_ptr<z_stream> stream(new z_stream{});
    if (deflateInit2(stream.get(), 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
        FreeStreams();
        Close();
        return false;
    }
    compressor_.reset(stream.release());
    return true;
}

bool CCypherLog::EncipherAndAppend(const uint8_t* data, uint32_t length) {
    const uint32_t portion = cipherBuffer_.capacity() - kCipherBlock;
    while (length) {
        const uint32_t n = length < portion ? length : portion;
        int out = 0;
        if (!EVP_EncryptUpdate(cipher_, cipherBuffer_.data(), &out, data, int(n))) return false;
        if (out && !Append(cipherBuffer_.data(), uint32_t(out))) return false;
        data += n;
        length -= n;
    }
    return true;
}

bool CCypherLog::Compress(const void* data, uint32_t length) {
    compressor_->next_in = static_cast<Bytef*>(const_cast<void*>(data));
    compressor_->avail_in = length;
    do {
        compressor_->next_out = compressBuffer_.data();
        compressor_->avail_out = compressBuffer_.capacity();
        const int rc = deflate(compressor_.get(), Z_SYNC_FLUSH);
        if (rc != Z_OK && rc != Z_BUF_ERROR) return false;
        const uint32_t produced = compressBuffer_.capacity() - compressor_->avail_out;
        if (produced && !EncipherAndAppend(compressBuffer_.data(), produced)) return false;
    } while (compressor_->avail_out == 0);
    return true;
}

bool CCypherLog::Write(const void* data, uint32_t length) {
    if (!cipher_) return CLog::Write(data, length);
    if (!IsOpen()) return false;
    const bool cut = maxBlock_ != 0 && maxBlock_ < length;
    bool ok = Compress(data, cut ? maxBlock_ : length);
    if (ok && cut && maxBlock_ >= kTooLargeLength) ok = Compress(kTooLarge, kTooLargeLength);
    AfterRecord();
    return ok;
}

void CCypherLog::CompressorDeleter::operator()(z_stream* stream) const {
    deflateEnd(stream);
    delete stream;
}

void CCypherLog::FreeStreams() {
    compressor_.reset();
    if (cipher_) {
        EVP_CIPHER_CTX_free(cipher_);
        cipher_ = nullptr;
    }
}

void CCypherLog::Close() {
    if (cipher_ && IsOpen()) {
        int out = 0;
        if (EVP_EncryptFinal_ex(cipher_, cipherBuffer_.data(), &out) && out > 0)
            Append(cipherBuffer_.data(), uint32_t(out));
    }
    FreeStreams();
    CLog::Close();
}
