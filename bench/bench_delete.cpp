// Deleting every value of a key from the main window's value list (select
// all, Delete, Yes), 10,000 and 100,000 values, with the list at its top
// (the first item focused and shown) and at its end (the last item focused
// and shown, as after the End key), against the floor: the key opened, then
// RegDeleteValueW by name for each value, last first (the wide call the
// program makes; the server closes the gap behind each deleted value, so
// the last-first order is the cheap one). Filling the key and listing it
// before each run are not timed.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "Program.h"
#include "Registry.h"
#include "Seams.h"
#include "UnitMain.h"

namespace {

struct TSize {
    int Values;
    int Rounds;
};
const TSize kSizes[] = {{10000, 5}, {100000, 3}};

std::wstring ValueName(int i) {
    wchar_t name[32];
    std::swprintf(name, 32, L"Value%06d", i);
    return name;
}

// A fresh key holding count values of mixed types.
bool Fill(const std::wstring& path, int count) {
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, path);
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
        return false;
    const BYTE blob[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    for (int i = 0; i < count; ++i) {
        const std::wstring name = ValueName(i);
        if (i % 3 == 0) {
            const std::wstring s = L"some text for value " + std::to_wstring(i);
            ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(s.c_str()),
                             static_cast<DWORD>((s.size() + 1) * sizeof(wchar_t)));
        } else if (i % 3 == 1) {
            const DWORD d = static_cast<DWORD>(i);
            ::RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&d), 4);
        } else {
            ::RegSetValueExW(key, name.c_str(), 0, REG_BINARY, blob, sizeof blob);
        }
    }
    ::RegCloseKey(key);
    return true;
}

DWORD ValueCount(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key)) return ~0u;
    DWORD count = ~0u;
    ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                       nullptr);
    ::RegCloseKey(key);
    return count;
}

double Floor(const std::wstring& path, int count) {
    if (!Fill(path, count)) return -1;
    const auto start = bench::Clock::now();
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, &key)) return -1;
    for (int i = count - 1; i >= 0; --i) ::RegDeleteValueW(key, ValueName(i).c_str());
    ::RegCloseKey(key);
    const double t = bench::Since(start);
    return ValueCount(path) == 0 ? t : -1;
}

// Select all and Delete with the list at its top or at its end.
double Program(const std::wstring& path, int count, bool atEnd) {
    if (!Fill(path, count)) return -1;
    TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, classlib::ToAnsi(path));
    if (!node) return -1;
    frmMain->ClearValueList();
    frmMain->LoadValues(node);
    classlib::TListView& list = frmMain->lstvwValues;
    if (list.Count() != count) return -1;
    classlib::TListItem at = list.Item(atEnd ? count - 1 : 0);
    at.Focus();
    at.MakeVisible();
    list.SelectAll();
    ::UpdateWindow(frmMain->Handle);
    const auto start = bench::Clock::now();
    frmMain->DeleteValues();
    ::UpdateWindow(frmMain->Handle);
    const double t = bench::Since(start);
    return list.Count() == 0 && ValueCount(path) == 0 ? t : -1;
}

}  // namespace

int main() {
    const std::wstring path = L"Software\\TessmorelBenchDelete_" + std::to_wstring(::GetCurrentProcessId());
    // The question is answered Yes; any other box is printed.
    classlib::Seams().MessageBox = [](HWND, const std::string& text, const std::string&, UINT flags) {
        if ((flags & MB_YESNO) != MB_YESNO) std::printf("box: %s\n", text.c_str());
        return IDYES;
    };
    classlib::Seams().WideMessageBox = [](HWND, const std::wstring& text, const std::wstring&, UINT flags) {
        if ((flags & MB_YESNO) != MB_YESNO) std::printf("box: %s\n", classlib::ToAnsi(text).c_str());
        return IDYES;
    };
    CreateTessmorelForms(::GetModuleHandleA(nullptr));
    frmMain->Show();

    for (const TSize& size : kSizes) {
        const int n = size.Values;
        bench::Rotation rotation;
        const bench::Samples& floor = rotation.Add("floor", [&] { return Floor(path, n); });
        const bench::Samples& top = rotation.Add("top", [&] { return Program(path, n, false); });
        const bench::Samples& end = rotation.Add("end", [&] { return Program(path, n, true); });
        rotation.Run(size.Rounds);
        std::printf("Deleting %d values, all selected (%d rounds in rotated order)\n", n, size.Rounds);
        bench::PrintSeconds("floor (bare RegDeleteValueW loop)", floor);
        bench::PrintSeconds("Delete, list at its top", top, "ratio", floor);
        bench::PrintSeconds("Delete, list at its end", end, "ratio", floor);
        std::fflush(stdout);
    }
    std::printf("  target: the same at the top and at the end; ratio alike for both sizes\n");

    classlib::Application().DestroyForms();
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, path);
    return 0;
}
