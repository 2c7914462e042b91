// Checks a built installer: its table matches its size, each payload slice
// equals its input file and the PE checksum covers the whole file.
//   payload_check <setup.exe> <payload folder>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "Payload.h"
#include "PeChecksum.h"

static bool ReadAll(const std::string& name, Bytes& out) {
    std::ifstream in(name, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

static int Fail(const std::string& what) {
    std::cerr << "payload_check: " << what << "\n";
    return 1;
}

int main(int argc, char** argv) {
    if (argc != 3) return Fail("usage: payload_check <setup.exe> <payload folder>");
    Bytes setup;
    if (!ReadAll(argv[1], setup)) return Fail(std::string("cannot read ") + argv[1]);
    const char marker[16] = ZRV_PAYLOAD_MARKER;
    size_t found = 0, at = 0;
    for (size_t i = 0; i + 16 <= setup.size(); ++i)
        if (std::memcmp(&setup[i], marker, 16) == 0) ++found, at = i;
    if (found != 1) return Fail("marker found " + std::to_string(found) + " times");
    TPayloadTable t{};
    std::memcpy(&t, &setup[at], sizeof t);
    if (!PayloadTableValid(t)) return Fail("the table is not valid");
    if (static_cast<std::uint64_t>(t.ImageSize) + t.Total != setup.size()) return Fail("image + payload != file size");
    for (int i = 0; i < kPayloadFiles; ++i) {
        Bytes file;
        if (!ReadAll(std::string(argv[2]) + "/" + kPayloadNames[i], file)) return Fail(kPayloadNames[i]);
        if (file.size() != t.Size[i] ||
            !std::equal(file.begin(), file.end(), setup.begin() + t.ImageSize + t.Offset[i]))
            return Fail(std::string("slice differs from ") + kPayloadNames[i]);
    }
    const size_t sumAt = ChecksumOffset(setup);
    if (sumAt == 0 || Get32(setup, sumAt) != PeChecksum({&setup}, sumAt)) return Fail("wrong PE checksum");
    std::cout << "payload_check: " << argv[1] << " ok\n";
    return 0;
}
