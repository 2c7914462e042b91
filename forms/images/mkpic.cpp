// mkpic: turns one picture drawn as text into a 24-bit Windows BMP.
//
//   mkpic <input.txt> <output.bmp>
//
// Input: palette lines "<char> <RRGGBB> [; comment]", then "size <W> <H>",
// then exactly H rows of exactly W palette characters. Blank lines and
// lines starting with ';' are skipped. On any error it names the line,
// writes nothing and exits with 1. Host-only tool: standard C++17.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

int Fail(const std::string& file, int line, const std::string& message) {
    std::cerr << file << ":" << line << ": " << message << "\n";
    return 1;
}

void Put32(std::vector<unsigned char>& out, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: mkpic <input.txt> <output.bmp>\n";
        return 1;
    }
    const std::string file = argv[1];
    std::ifstream in(file);
    if (!in) return Fail(file, 0, "cannot open");
    std::map<char, std::uint32_t> palette;
    int width = 0, height = 0, lineNo = 0;
    std::vector<std::string> rows;
    std::string line;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (width == 0) {
            if (line.empty() || line[0] == ';') continue;
            std::istringstream s(line);
            std::string a, b;
            s >> a >> b;
            if (a == "size") {
                s >> height;
                width = std::atoi(b.c_str());
                if (width <= 0 || height <= 0 || width > 1024 || height > 1024)
                    return Fail(file, lineNo, "bad size");
                continue;
            }
            if (a.size() != 1 || b.size() != 6 || b.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                return Fail(file, lineNo, "bad palette line");
            if (palette.count(a[0])) return Fail(file, lineNo, "colour defined twice");
            palette[a[0]] = static_cast<std::uint32_t>(std::stoul(b, nullptr, 16));
            continue;
        }
        if (static_cast<int>(rows.size()) == height) {
            if (line.empty() || line[0] == ';') continue;
            return Fail(file, lineNo, "more rows than the size says");
        }
        if (static_cast<int>(line.size()) != width) return Fail(file, lineNo, "row of the wrong width");
        for (char c : line)
            if (!palette.count(c)) return Fail(file, lineNo, std::string("colour not in the palette: ") + c);
        rows.push_back(line);
    }
    if (width == 0) return Fail(file, lineNo, "no size line");
    if (static_cast<int>(rows.size()) != height) return Fail(file, lineNo, "fewer rows than the size says");

    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
    std::vector<unsigned char> out(54 + stride * height, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(out.size()));
    Put32(out, 10, 54);
    Put32(out, 14, 40);
    Put32(out, 18, static_cast<std::uint32_t>(width));
    Put32(out, 22, static_cast<std::uint32_t>(height));
    out[26] = 1;
    out[28] = 24;
    Put32(out, 34, static_cast<std::uint32_t>(stride * height));
    Put32(out, 38, 2835);
    Put32(out, 42, 2835);
    for (int y = 0; y < height; ++y) {
        unsigned char* row = &out[54 + stride * (height - 1 - y)];
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = palette[rows[y][x]];
            row[3 * x] = c & 0xFF;
            row[3 * x + 1] = (c >> 8) & 0xFF;
            row[3 * x + 2] = (c >> 16) & 0xFF;
        }
    }
    std::FILE* f = std::fopen(argv[2], "wb");
    if (!f) return Fail(argv[2], 0, "cannot write");
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    if (std::fclose(f) != 0 || !ok) {
        std::remove(argv[2]);
        return Fail(argv[2], 0, "cannot write");
    }
    return 0;
}
