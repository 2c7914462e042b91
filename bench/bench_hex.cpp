// Throughput of the hex text conversions on random bytes: 16 MB, and the
// sizes the binary editor sees (1 MB and 64 KB, each converted often
// enough to take as long as one 16 MB call).
//
// The program's conversions return new strings. Freed large blocks are kept
// here and handed out again for the same size, so each round converts into
// memory already touched: the figures are the conversion's, not the
// system's cost of fresh pages.
#include "BenchHarness.h"
#include "zrvString.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <vector>

namespace {

const std::size_t kKeepFrom = 64 * 1024;
const std::size_t kHeader = alignof(std::max_align_t);

struct Block {
    void* Memory = nullptr;
    std::size_t Size = 0;
};
Block gKept[4];

// Kept apart from the operators so that the compiler never sees a block of
// operator new reach free() through them.
__attribute__((noinline)) void* Acquire(std::size_t size) {
    if (size >= kKeepFrom)
        for (Block& b : gKept)
            if (b.Memory && b.Size == size) {
                void* p = b.Memory;
                b.Memory = nullptr;
                return p;
            }
    char* raw = static_cast<char*>(std::malloc(size + kHeader));
    if (!raw) return nullptr;
    std::memcpy(raw, &size, sizeof size);
    return raw + kHeader;
}

__attribute__((noinline)) void Release(void* p) {
    if (!p) return;
    char* raw = static_cast<char*>(p) - kHeader;
    std::size_t size = 0;
    std::memcpy(&size, raw, sizeof size);
    if (size >= kKeepFrom)
        for (Block& b : gKept)
            if (!b.Memory) {
                b.Memory = p;
                b.Size = size;
                return;
            }
    std::free(raw);
}

}  // namespace

void* operator new(std::size_t size) {
    void* p = Acquire(size);
    if (!p) throw std::bad_alloc();
    return p;
}

void operator delete(void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }

namespace {

const std::size_t kLarge = 16u * 1024u * 1024u;
const int kRounds = 7;

// Per size: the bytes, their hex text and the buffer they are read back into.
struct Case {
    const char* Name;
    std::size_t Size;
    int Calls;  // per round
    std::vector<std::uint8_t> Data, Back;
    std::string Hex;
};

bool ToHex(Case& c) {
    for (int i = 0; i < c.Calls; ++i) c.Hex = BytesToHex(c.Data.data(), static_cast<int>(c.Data.size()));
    return c.Hex.size() == c.Size * 3 - 1;
}

bool FromHex(Case& c) {
    int count = 0;
    for (int i = 0; i < c.Calls; ++i) {
        count = static_cast<int>(c.Back.size());
        HexToBytes(c.Hex, c.Back.data(), count);
    }
    return count == static_cast<int>(c.Size) && c.Back == c.Data;
}

}  // namespace

int main() {
    std::mt19937_64 rng(20240607);
    std::vector<Case> cases;
    for (const auto& s : {std::make_pair("16 MB", kLarge), std::make_pair("1 MB", std::size_t{1024 * 1024}),
                          std::make_pair("64 KB", std::size_t{64 * 1024})}) {
        Case c;
        c.Name = s.first;
        c.Size = s.second;
        c.Calls = static_cast<int>(kLarge / s.second);
        c.Data.resize(c.Size);
        for (std::size_t i = 0; i < c.Size; ++i) c.Data[i] = static_cast<std::uint8_t>(rng());
        c.Back.resize(c.Size);
        c.Hex = BytesToHex(c.Data.data(), static_cast<int>(c.Size));
        cases.push_back(std::move(c));
    }

    bench::Rotation rotation;
    std::vector<std::pair<bench::Samples*, bench::Samples*>> results;
    for (Case& c : cases) {
        bench::Samples& to = rotation.Add(std::string("to ") + c.Name, [&c] { return bench::Time([&c] { return ToHex(c); }); });
        bench::Samples& from =
            rotation.Add(std::string("from ") + c.Name, [&c] { return bench::Time([&c] { return FromHex(c); }); });
        results.emplace_back(&to, &from);
    }
    rotation.Run(kRounds);

    std::printf("Hex conversions, %d rounds in rotated order; MB of binary data a second\n", kRounds);
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        char what[64];
        std::snprintf(what, sizeof what, "BytesToHex, %s x %d", c.Name, c.Calls);
        bench::PrintRate(what, *results[i].first, static_cast<double>(kLarge));
        std::snprintf(what, sizeof what, "HexToBytes, %s x %d", c.Name, c.Calls);
        bench::PrintRate(what, *results[i].second, static_cast<double>(kLarge));
    }
    return 0;
}
