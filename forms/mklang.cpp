// Writes the shipped language file from the program's own text table. The
// Chinese texts are UTF-8 in the table and GB2312 bytes in the file; a text
// that GB2312 cannot hold stops the build.
#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <exception>

#include "LanguageTexts.h"

namespace {

class TGb2312 {
public:
    TGb2312() : FConv(iconv_open("GB2312", "UTF-8")) {}
    ~TGb2312() {
        if (Ready()) iconv_close(FConv);
    }
    TGb2312(const TGb2312&) = delete;
    TGb2312& operator=(const TGb2312&) = delete;
    bool Ready() const { return FConv != reinterpret_cast<iconv_t>(-1); }

    // Strict: no transliteration, no character dropped.
    bool Convert(const std::string& utf8, std::string& out) {
        iconv(FConv, nullptr, nullptr, nullptr, nullptr);
        out.assign(utf8.size() * 2 + 4, '\0');
        char* in = const_cast<char*>(utf8.data());
        std::size_t inLeft = utf8.size();
        char* dst = &out[0];
        std::size_t outLeft = out.size();
        if (iconv(FConv, &in, &inLeft, &dst, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) return false;
        if (iconv(FConv, nullptr, nullptr, &dst, &outLeft) == static_cast<std::size_t>(-1)) return false;
        out.resize(out.size() - outLeft);
        return true;
    }

private:
    iconv_t FConv;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mklang <LANGUAGE.INI>\n");
        return 2;
    }
    TGb2312 gb2312;
    if (!gb2312.Ready()) {
        std::perror("mklang: no UTF-8 to GB2312 conversion");
        return 1;
    }
    std::string text;
    try {
        text = ShippedLanguageFile(
            [&gb2312](const std::string& utf8, std::string& out) { return gb2312.Convert(utf8, out); });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mklang: %s\n", e.what());
        return 1;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (std::fclose(out) != 0 || !written) {
        std::perror(argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
