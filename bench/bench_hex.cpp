// Throughput of the hex text conversions on 16 MB of random bytes.

#include "zrvString.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kSize = 16u * 1024u * 1024u;
constexpr int kRounds = 5;

using Clock = std::chrono::steady_clock;

double MegabytesPerSecond(std::size_t bytes, Clock::duration elapsed)
{
    const double seconds = std::chrono::duration<double>(elapsed).count();
    return seconds > 0 ? (static_cast<double>(bytes) / (1024.0 * 1024.0)) / seconds : 0.0;
}

} // namespace

int main()
{
    std::vector<std::uint8_t> data(kSize);
    std::mt19937_64 rng(20240607);
    for (std::size_t i = 0; i < kSize; i += 8) {
        const std::uint64_t r = rng();
        for (std::size_t k = 0; k < 8; ++k)
            data[i + k] = static_cast<std::uint8_t>(r >> (8 * k));
    }

    // Best of a few rounds; throughput counted in bytes of binary data.
    Clock::duration bestToHex = Clock::duration::max();
    Clock::duration bestFromHex = Clock::duration::max();
    std::string hex;
    std::vector<std::uint8_t> back(kSize);
    for (int round = 0; round < kRounds; ++round) {
        const auto t0 = Clock::now();
        hex = BytesToHex(data.data(), static_cast<int>(data.size()));
        const auto t1 = Clock::now();
        int count = static_cast<int>(back.size());
        HexToBytes(hex, back.data(), count);
        const auto t2 = Clock::now();

        if (count != static_cast<int>(kSize) || back != data) {
            std::fprintf(stderr, "round trip failed\n");
            return 1;
        }
        if (t1 - t0 < bestToHex)
            bestToHex = t1 - t0;
        if (t2 - t1 < bestFromHex)
            bestFromHex = t2 - t1;
    }

    std::printf("BytesToHex: %8.1f MB/s\n", MegabytesPerSecond(kSize, bestToHex));
    std::printf("HexToBytes: %8.1f MB/s\n", MegabytesPerSecond(kSize, bestFromHex));
    return 0;
}
