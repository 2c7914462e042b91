// Reading a section of an INI file from disk: the file in chunks, Unicode
// files with a byte-order mark converted to the ANSI code page on the way.
#include "zrvIniFile.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <memory>
#include <new>
#include <vector>

namespace {

constexpr DWORD kChunk = 64 * 1024;

enum class TEncoding { Undecided, Ansi, Utf8, Utf16Le, Utf16Be };

struct THandleCloser {
    void operator()(void* h) const { ::CloseHandle(h); }
};

// Turns the file's bytes into ANSI text for the reader, chunk by chunk; a
// character cut by a chunk's end waits for the next chunk.
class TDecoder {
public:
    explicit TDecoder(TIniSectionReader& reader) : FReader(reader) {}

    // False once the reader needs no more.
    bool Feed(const char* data, std::size_t size) {
        if (FEncoding == TEncoding::Undecided) {
            FHead.append(data, size);
            if (FHead.size() < 3) return true;
            return Decide();
        }
        return Pass(data, size);
    }

    void Finish() {
        if (FEncoding == TEncoding::Undecided) Decide();
        // What is left: a lone UTF-16 byte is dropped, a cut character
        // becomes the code page's default character.
        if (FEncoding == TEncoding::Utf8 && !FCarry.empty())
            ToAnsiFromUtf8(FCarry.data(), FCarry.size());
        else if ((FEncoding == TEncoding::Utf16Le || FEncoding == TEncoding::Utf16Be) && FCarry.size() >= 2)
            ToAnsiFromUtf16(FCarry.data(), 2);
        FReader.Finish();
    }

private:
    bool Decide() {
        const std::string head = std::move(FHead);
        std::size_t skip = 0;
        if (head.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            FEncoding = TEncoding::Utf8;
            skip = 3;
        } else if (head.compare(0, 2, "\xFF\xFE") == 0) {
            FEncoding = TEncoding::Utf16Le;
            skip = 2;
        } else if (head.compare(0, 2, "\xFE\xFF") == 0) {
            FEncoding = TEncoding::Utf16Be;
            skip = 2;
        } else {
            FEncoding = TEncoding::Ansi;
        }
        return Pass(head.data() + skip, head.size() - skip);
    }

    bool Pass(const char* data, std::size_t size) {
        switch (FEncoding) {
        case TEncoding::Utf8: {
            FCarry.append(data, size);
            const std::size_t whole = WholeUtf8(FCarry);
            const bool more = ToAnsiFromUtf8(FCarry.data(), whole);
            FCarry.erase(0, whole);
            return more;
        }
        case TEncoding::Utf16Le:
        case TEncoding::Utf16Be: {
            FCarry.append(data, size);
            std::size_t whole = FCarry.size() & ~std::size_t(1);
            // A high surrogate waits for its partner.
            if (whole >= 2) {
                const unsigned last = Unit(FCarry.data() + whole - 2);
                if (last >= 0xD800 && last <= 0xDBFF) whole -= 2;
            }
            const bool more = ToAnsiFromUtf16(FCarry.data(), whole);
            FCarry.erase(0, whole);
            return more;
        }
        default:
            return FReader.Feed(data, size);
        }
    }

    unsigned Unit(const char* p) const {
        const unsigned a = static_cast<unsigned char>(p[0]), b = static_cast<unsigned char>(p[1]);
        return FEncoding == TEncoding::Utf16Le ? a | b << 8 : a << 8 | b;
    }

    // The length of text without a UTF-8 sequence cut at its end.
    static std::size_t WholeUtf8(const std::string& text) {
        const std::size_t n = text.size();
        for (std::size_t back = 1; back <= 4 && back <= n; ++back) {
            const unsigned char c = static_cast<unsigned char>(text[n - back]);
            if ((c & 0xC0) == 0x80) continue;
            const std::size_t need = c >= 0xF8 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            return need > back ? n - back : n;
        }
        return n;
    }

    bool ToAnsiFromUtf8(const char* data, std::size_t size) {
        if (size == 0) return true;
        const int units = ::MultiByteToWideChar(CP_UTF8, 0, data, static_cast<int>(size), nullptr, 0);
        FWide.resize(static_cast<std::size_t>(units));
        if (units > 0) ::MultiByteToWideChar(CP_UTF8, 0, data, static_cast<int>(size), FWide.data(), units);
        return ToAnsi();
    }

    bool ToAnsiFromUtf16(const char* data, std::size_t size) {
        FWide.resize(size / 2);
        for (std::size_t i = 0; i < FWide.size(); ++i) FWide[i] = static_cast<wchar_t>(Unit(data + 2 * i));
        return ToAnsi();
    }

    bool ToAnsi() {
        if (FWide.empty()) return true;
        const int units = static_cast<int>(FWide.size());
        const int bytes = ::WideCharToMultiByte(CP_ACP, 0, FWide.data(), units, nullptr, 0, nullptr, nullptr);
        FAnsi.resize(static_cast<std::size_t>(bytes));
        if (bytes > 0) ::WideCharToMultiByte(CP_ACP, 0, FWide.data(), units, &FAnsi[0], bytes, nullptr, nullptr);
        return FReader.Feed(FAnsi.data(), FAnsi.size());
    }

    TIniSectionReader& FReader;
    TEncoding FEncoding = TEncoding::Undecided;
    std::string FHead;   // the first bytes, until the encoding is known
    std::string FCarry;  // bytes of a character not yet whole
    std::vector<wchar_t> FWide;
    std::string FAnsi;
};

}  // namespace

bool ReadIniSection(const std::wstring& fileName, const std::string& section, TIniSection& out) {
    out.Clear();
    try {
        if (fileName.empty()) return false;
        HANDLE file = ::CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        const std::unique_ptr<void, THandleCloser> closer(file);
        // A pipe or a device could wait for ever.
        if (::GetFileType(file) != FILE_TYPE_DISK) return false;

        TIniSectionReader reader(section, out);
        TDecoder decoder(reader);
        std::vector<char> buffer(kChunk);
        for (;;) {
            DWORD got = 0;
            if (!::ReadFile(file, buffer.data(), kChunk, &got, nullptr)) {
                out.Clear();
                return false;
            }
            if (got == 0 || !decoder.Feed(buffer.data(), got)) break;
        }
        decoder.Finish();
        return true;
    } catch (...) {
        out.Clear();
        return false;
    }
}
