// mkbmp: turns the text art of the main image list into a 24-bit Windows BMP
// strip that the resource script embeds as a BITMAP.
//
//   mkbmp <input.txt> <output.bmp>
//
// Input layout (see README.md next to this file):
//   - blank lines and lines starting with ';' are comments (outside images);
//   - palette lines "<char> <RRGGBB> [; comment]" come before the first image;
//     '.' is predefined as transparent and is written as the mask colour;
//   - each image is a header "# <index> <name>" followed by exactly 16 rows
//     of exactly 16 palette characters; indices run 0, 1, 2, ... in order.
//
// Anything else is rejected with "<file>:<line>: <message>" on stderr and
// exit code 1; no output file is left behind in that case.
//
// The output is byte-for-byte determined by the input: no time stamps, fixed
// resolution fields. Host-only tool: standard C++17, no platform headers.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kImageCount = 36;
constexpr int kSide = 16;
constexpr int kWidth = kImageCount * kSide;  // 576
constexpr int kHeight = kSide;
constexpr std::uint32_t kMaskColour = 0xFF00FF;  // magenta
constexpr char kTransparent = '.';

struct Error {
    int line;  // 0: no particular line
    std::string message;
};

[[noreturn]] void fail(int line, const std::string &message) {
    throw Error{line, message};
}

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isBlank(const std::string &s) {
    return s.find_first_not_of(" \t") == std::string::npos;
}

bool isComment(const std::string &s) {
    return isBlank(s) || s[0] == ';';
}

std::string quoteChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x21 && u < 0x7f) return std::string("'") + c + "'";
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", u);
    return buf;
}

std::string toString(int v) {
    return std::to_string(v);
}

struct Image {
    int index;
    std::string name;
    std::vector<std::uint32_t> pixels;  // row-major from the top, 0xRRGGBB
};

class Parser {
  public:
    explicit Parser(std::vector<std::string> lines) : lines_(std::move(lines)) {
        palette_[kTransparent] = kMaskColour;
    }

    std::vector<Image> parse() {
        std::size_t i = 0;
        // Palette section: everything up to the first image header.
        for (; i < lines_.size(); ++i) {
            const std::string &s = lines_[i];
            if (isComment(s)) continue;
            if (s[0] == '#') break;
            parsePaletteLine(s, lineNo(i));
        }
        if (palette_.size() < 2) fail(i < lines_.size() ? lineNo(i) : 0, "no palette entries before the first image");

        std::vector<Image> images;
        while (i < lines_.size()) {
            const std::string &s = lines_[i];
            if (isComment(s)) {
                ++i;
                continue;
            }
            if (s[0] != '#') fail(lineNo(i), "expected an image header \"# <index> <name>\"");
            Image img = parseHeader(s, lineNo(i));
            const int expected = static_cast<int>(images.size());
            if (img.index >= kImageCount)
                fail(lineNo(i), "image index " + toString(img.index) + " out of range (at most " + toString(kImageCount - 1) +
                                    ")");
            if (img.index < expected) fail(lineNo(i), "duplicate or out-of-order image index " + toString(img.index));
            if (img.index > expected)
                fail(lineNo(i), "image index " + toString(img.index) + " where " + toString(expected) + " was expected (missing index)");
            const int headerLine = lineNo(i);
            ++i;
            for (int row = 0; row < kSide; ++row, ++i) {
                if (i >= lines_.size())
                    fail(headerLine, "image " + toString(img.index) + " has only " + toString(row) + " rows, expected " +
                                         toString(kSide));
                parseRow(lines_[i], lineNo(i), img);
            }
            images.push_back(std::move(img));
        }
        if (static_cast<int>(images.size()) != kImageCount)
            fail(static_cast<int>(lines_.size()), "found " + toString(static_cast<int>(images.size())) + " images, expected " +
                                            toString(kImageCount));
        return images;
    }

  private:
    static int lineNo(std::size_t i) { return static_cast<int>(i) + 1; }

    void parsePaletteLine(const std::string &s, int line) {
        // "<char> <RRGGBB>", any run of blanks between, optionally followed
        // by a "; comment".
        const char c = s[0];
        std::size_t p = 1;
        if (p >= s.size() || (s[p] != ' ' && s[p] != '\t')) fail(line, "palette entry must be \"<char> <RRGGBB>\"");
        while (p < s.size() && (s[p] == ' ' || s[p] == '\t')) ++p;
        std::string hex = s.substr(p, s.find(';', p) - p);
        while (!hex.empty() && (hex.back() == ' ' || hex.back() == '\t')) hex.pop_back();
        if (hex.size() != 6) fail(line, "palette colour must be six hex digits RRGGBB");
        for (char h : hex)
            if (!isHex(h)) fail(line, "palette colour must be six hex digits RRGGBB");
        if (c == kTransparent) fail(line, "'.' is reserved for transparent and cannot be redefined");
        if (c == ' ' || c == '\t' || c == '#' || c == ';' || static_cast<unsigned char>(c) >= 0x7f)
            fail(line, "character " + quoteChar(c) + " cannot be used in the palette");
        if (palette_.count(c)) fail(line, "palette character " + quoteChar(c) + " defined twice");
        const std::uint32_t rgb = static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16));
        if (rgb == kMaskColour) fail(line, "colour FF00FF is the mask colour; use '.' for transparent");
        palette_[c] = rgb;
    }

    static Image parseHeader(const std::string &s, int line) {
        // "# <index> <name>"
        std::istringstream in(s.substr(1));
        std::string indexText, name, extra;
        in >> indexText >> name;
        if (indexText.empty() || name.empty() || (in >> extra))
            fail(line, "image header must be \"# <index> <name>\"");
        for (char d : indexText)
            if (d < '0' || d > '9') fail(line, "image index \"" + indexText + "\" is not a number");
        if (indexText.size() > 4) fail(line, "image index \"" + indexText + "\" out of range");
        for (char n : name) {
            const bool ok = (n >= 'a' && n <= 'z') || (n >= 'A' && n <= 'Z') || (n >= '0' && n <= '9') || n == '_' || n == '-';
            if (!ok) fail(line, "image name \"" + name + "\" may only use letters, digits, '_' and '-'");
        }
        Image img;
        img.index = std::stoi(indexText);
        img.name = name;
        img.pixels.reserve(kSide * kSide);
        return img;
    }

    void parseRow(const std::string &s, int line, Image &img) const {
        if (s.size() != static_cast<std::size_t>(kSide))
            fail(line, "row of image " + toString(img.index) + " has " + toString(static_cast<int>(s.size())) +
                           " characters, expected " + toString(kSide));
        for (std::size_t x = 0; x < s.size(); ++x) {
            auto it = palette_.find(s[x]);
            if (it == palette_.end())
                fail(line, "unknown palette character " + quoteChar(s[x]) + " in column " + toString(static_cast<int>(x) + 1));
            img.pixels.push_back(it->second);
        }
    }

    std::vector<std::string> lines_;
    std::map<char, std::uint32_t> palette_;
};

void put16(std::vector<unsigned char> &out, std::uint16_t v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void put32(std::vector<unsigned char> &out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFF));
}

std::vector<unsigned char> encodeBmp(const std::vector<Image> &images) {
    const std::uint32_t rowBytes = (kWidth * 3 + 3) & ~3u;
    const std::uint32_t imageBytes = rowBytes * kHeight;
    const std::uint32_t headerBytes = 14 + 40;

    std::vector<unsigned char> out;
    out.reserve(headerBytes + imageBytes);
    // BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    put32(out, headerBytes + imageBytes);  // bfSize
    put16(out, 0);                         // bfReserved1
    put16(out, 0);                         // bfReserved2
    put32(out, headerBytes);               // bfOffBits
    // BITMAPINFOHEADER
    put32(out, 40);          // biSize
    put32(out, kWidth);      // biWidth
    put32(out, kHeight);     // biHeight, positive: bottom-up
    put16(out, 1);           // biPlanes
    put16(out, 24);          // biBitCount
    put32(out, 0);           // biCompression = BI_RGB
    put32(out, imageBytes);  // biSizeImage
    put32(out, 2835);        // biXPelsPerMeter (72 dpi)
    put32(out, 2835);        // biYPelsPerMeter
    put32(out, 0);           // biClrUsed
    put32(out, 0);           // biClrImportant

    for (int y = kHeight - 1; y >= 0; --y) {
        std::uint32_t written = 0;
        for (const Image &img : images) {
            for (int x = 0; x < kSide; ++x) {
                const std::uint32_t rgb = img.pixels[static_cast<std::size_t>(y * kSide + x)];
                out.push_back(static_cast<unsigned char>(rgb & 0xFF));          // blue
                out.push_back(static_cast<unsigned char>((rgb >> 8) & 0xFF));   // green
                out.push_back(static_cast<unsigned char>((rgb >> 16) & 0xFF));  // red
                written += 3;
            }
        }
        for (; written < rowBytes; ++written) out.push_back(0);
    }
    return out;
}

std::vector<std::string> readLines(std::istream &in) {
    std::vector<std::string> lines;
    std::string s;
    while (std::getline(in, s)) {
        if (!s.empty() && s.back() == '\r') s.pop_back();
        lines.push_back(s);
    }
    return lines;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::cerr << "usage: mkbmp <input.txt> <output.bmp>\n";
        return 1;
    }
    const std::string inPath = argv[1];
    const std::string outPath = argv[2];

    std::ifstream in(inPath, std::ios::binary);
    if (!in) {
        std::cerr << inPath << ": cannot open for reading\n";
        return 1;
    }

    std::vector<unsigned char> bmp;
    try {
        Parser parser(readLines(in));
        bmp = encodeBmp(parser.parse());
    } catch (const Error &e) {
        std::cerr << inPath;
        if (e.line > 0) std::cerr << ':' << e.line;
        std::cerr << ": " << e.message << '\n';
        return 1;
    }

    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    if (out) out.write(reinterpret_cast<const char *>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
    if (out) out.close();
    if (!out) {
        std::cerr << outPath << ": cannot write\n";
        std::remove(outPath.c_str());
        return 1;
    }
    return 0;
}
