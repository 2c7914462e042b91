// mkpayload: puts the installer's payload behind its linked image.
//
//   mkpayload <setup image> <output> <six payload files in table order>
//
// Finds the payload table by its marker (exactly once in the image), fills
// in the image size, the files' offsets and sizes and the total, sets the
// image's PE checksum for the whole output, and writes the image followed by
// the six files. Host-only tool: standard C++17. On any error it says why,
// writes nothing and exits with 1.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "Payload.h"
#include "PeChecksum.h"

namespace {

bool ReadAll(const std::string& name, Bytes& out) {
    std::ifstream in(name, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

void Put32(Bytes& b, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

int Fail(const std::string& message) {
    std::cerr << "mkpayload: " << message << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 + kPayloadFiles)
        return Fail("usage: mkpayload <setup image> <output> <Tessmorel.exe> <UnInstall.exe> <Readme.txt> "
                    "<License.txt> <Tessmorel.hlp> <LANGUAGE.INI>");
    Bytes image;
    if (!ReadAll(argv[1], image)) return Fail(std::string("cannot read ") + argv[1]);
    const char marker[16] = ZRV_PAYLOAD_MARKER;
    size_t found = 0, at = 0;
    for (size_t i = 0; i + sizeof marker <= image.size(); ++i) {
        if (std::memcmp(&image[i], marker, sizeof marker) == 0) {
            ++found;
            at = i;
        }
    }
    if (found != 1)
        return Fail(std::string(argv[1]) + ": the payload marker occurs " + std::to_string(found) +
                    " times, not once");
    if (at + sizeof(TPayloadTable) > image.size()) return Fail("the payload table runs past the image");
    const size_t checksumAt = ChecksumOffset(image);
    if (checksumAt == 0) return Fail(std::string(argv[1]) + " is no PE image");

    std::vector<Bytes> files(kPayloadFiles);
    std::uint64_t total = 0;
    const size_t table = at + sizeof marker;
    Put32(image, table, static_cast<std::uint32_t>(image.size()));
    for (int i = 0; i < kPayloadFiles; ++i) {
        if (!ReadAll(argv[3 + i], files[i])) return Fail(std::string("cannot read ") + argv[3 + i]);
        Put32(image, table + 4 + 4 * i, static_cast<std::uint32_t>(total));
        Put32(image, table + 4 + 4 * kPayloadFiles + 4 * i, static_cast<std::uint32_t>(files[i].size()));
        total += files[i].size();
    }
    if (image.size() + total > 0x7FFFFFFFu) return Fail("the payload is too large");
    Put32(image, table + 4 + 8 * kPayloadFiles, static_cast<std::uint32_t>(total));

    std::vector<const Bytes*> parts{&image};
    for (const Bytes& f : files) parts.push_back(&f);
    Put32(image, checksumAt, PeChecksum(parts, checksumAt));

    const std::string output = argv[2];
    std::FILE* out = std::fopen(output.c_str(), "wb");
    if (!out) return Fail("cannot write " + output);
    bool ok = true;
    for (const Bytes* p : parts) ok = ok && std::fwrite(p->data(), 1, p->size(), out) == p->size();
    if (std::fclose(out) != 0 || !ok) {
        std::remove(output.c_str());
        return Fail("cannot write " + output);
    }
    return 0;
}
