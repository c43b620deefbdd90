#include "update/raw_zip_writer.h"

#include <zlib.h>

#include <cstdint>
#include <stdexcept>

namespace {

void Put16(std::string& s, uint32_t v) {
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

std::string Deflate(const std::string& data) {
    z_stream z{};
    if (deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&z, uLong(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = uInt(out.size());
    const int rc = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (rc != Z_STREAM_END) throw std::runtime_error("deflate");
    return out;
}

}  // namespace

std::string WriteZip(const std::vector<ZipWriterEntry>& entries, const std::string& comment) {
    std::string body, directory;
    for (const ZipWriterEntry& e : entries) {
        const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), uInt(e.data.size())));
        const std::string packed = e.deflate ? Deflate(e.data) : e.data;
        const uint16_t method = e.deflate ? 8 : 0;
        const uint32_t offset = uint32_t(body.size());
        auto common = [&](std::string& s) {
            Put16(s, 20);  // version needed
            Put16(s, 0);   // flags
            Put16(s, method);
            Put16(s, 0);  // time
            Put16(s, 0x21);  // date: 1980-01-01
            Put32(s, crc);
            Put32(s, uint32_t(packed.size()));
            Put32(s, uint32_t(e.data.size()));
            Put16(s, uint32_t(e.name.size()));
            Put16(s, 0);  // extra
        };
        Put32(body, 0x04034B50);
        common(body);
        body += e.name;
        body += packed;
        Put32(directory, 0x02014B50);
        Put16(directory, 20);  // made by
        common(directory);
        Put16(directory, 0);  // comment
        Put16(directory, 0);  // disk
        Put16(directory, 0);  // internal attributes
        Put32(directory, 0);  // external attributes
        Put32(directory, offset);
        directory += e.name;
    }
    std::string out = body + directory;
    Put32(out, 0x06054B50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, uint32_t(entries.size()));
    Put16(out, uint32_t(entries.size()));
    Put32(out, uint32_t(directory.size()));
    Put32(out, uint32_t(body.size()));
    Put16(out, uint32_t(comment.size()));
    return out + comment;
}
