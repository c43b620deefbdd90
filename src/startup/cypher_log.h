#pragma once
// File log writer that can store its records enciphered: a chain of
// "ZCL1" blocks (magic + 32-bit little-endian length counting the 8-byte
// header), each holding one opening's records, raw-deflated with a sync
// flush per record and enciphered with Blowfish-CBC (zero IV). The last
// block's length stays 0 until the next opening repairs it.

#include "buffer.h"
#include "file_log.h"

#include <cstdint>
#include <memory>
#include <string>

typedef struct evp_cipher_ctx_st EVP_CIPHER_CTX;
typedef struct z_stream_s z_stream;

class CCypherLog : public CLog {
public:
    CCypherLog();
    ~CCypherLog() override;

    bool Write(const void* data, uint32_t length) override;
    void Close() override;
    // Opens plain without a key; otherwise repairs or rotates the existing
    // chain, appends a new block header and starts cipher and compressor.
    virtual bool OpenCiphered(const std::wstring& path, const uint8_t* key, uint32_t keyLength,
                              uint32_t bufferSize);

    bool IsCiphered() const { return cipher_ != nullptr; }

    static const uint8_t kMagic[4];

private:
    bool RepairChain();
    bool Compress(const void* data, uint32_t length);
    bool EncipherAndAppend(const uint8_t* data, uint32_t length);
    void FreeStreams();

    // Ends the deflate stream and frees it.
    struct CompressorDeleter {
        void operator()(z_stream* stream) const;
    };

    EVP_CIPHER_CTX* cipher_ = nullptr;
    std::unique_ptr<z_stream, CompressorDeleter> compressor_;
    CBuffer cipherBuffer_;
    CBuffer compressBuffer_;
};
