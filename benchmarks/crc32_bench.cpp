// Prints CRC-32 throughput of our implementation and of zlib's crc32 over
// the same 256 MiB buffer. Exits 1 when the results differ and 2 when ours
// is clearly slower.

#include "startup/crc32.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

template <class F>
double MegabytesPerSecond(const std::vector<unsigned char>& data, int rounds, F crc, unsigned long& result) {
    using Clock = std::chrono::steady_clock;
    double best = 0;
    for (int r = 0; r < rounds; ++r) {
        const auto start = Clock::now();
        result = crc();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double rate = double(data.size()) / (1024.0 * 1024.0) / seconds;
        if (rate > best) best = rate;
    }
    return best;
}

}  // namespace

int main() {
    const size_t size = size_t(256) << 20;
    std::vector<unsigned char> data(size);
    unsigned state = 12345;
    for (auto& b : data) {
        state = state * 1103515245u + 12345u;
        b = static_cast<unsigned char>(state >> 16);
    }
    unsigned long ours = 0, theirs = 0;
    const double oursRate =
        MegabytesPerSecond(data, 3, [&] { return (unsigned long)Crc32(data.data(), data.size()); }, ours);
    const double zlibRate = MegabytesPerSecond(
        data, 3,
        [&] {
            uLong c = crc32(0L, Z_NULL, 0);
            // zlib takes 32-bit lengths on some builds; feed it in 1 GiB-safe pieces.
            for (size_t off = 0; off < data.size(); off += size_t(1) << 28)
                c = crc32(c, data.data() + off, uInt(std::min(data.size() - off, size_t(1) << 28)));
            return (unsigned long)c;
        },
        theirs);
    std::printf("CRC-32 over %zu MiB (best of 3)\n", size >> 20);
    std::printf("  ours: %10.1f MB/s  crc=%08lx\n", oursRate, ours);
    std::printf("  zlib: %10.1f MB/s  crc=%08lx\n", zlibRate, theirs);
    std::printf("  ratio ours/zlib: %.2f\n", oursRate / zlibRate);
    if (ours != theirs) {
        std::printf("  FAIL: the two results differ\n");
        return 1;
    }
    // Timing noise of a few percent is not a verdict.
    const bool slower = oursRate < zlibRate * 0.95;
    std::printf("  %s\n", slower ? "SLOWER than zlib" : "not slower than zlib");
    return slower ? 2 : 0;
}
