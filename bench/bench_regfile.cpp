// Export and import of registry-file text on a tree of 20,000 keys and
// values of mixed types, against
//   - the floor, the calls the same work cannot do without, wide as the
//     program's: for export per key its information read once, then by
//     those counts each value read with its data and each subkey's name
//     read, and each subkey the file can name opened and closed (a name
//     outside the code page is left out, its key not walked); for import
//     per key RegCreateKeyExW, RegSetValueExW for each value the text holds
//     (as the text holds it, strings stored in UTF-16) and RegCloseKey;
//   - Wine's own tools: regedit /e, reg export, regedit /s, reg import, on
//     the same tree (values of every type; every tenth key also holds a
//     value named outside the code page and every group a key named
//     outside it, which our file leaves out and reports; all import our
//     file), net of their start-up.
// Every registry call is a round trip to wineserver, so the floor is what
// any program pays; the aim is to stay within 1.05 times it.
//
// The cost of a round trip changes with the machine's load and with where
// the scheduler puts the two processes, by up to several times within a
// minute. So the writer and the importer are also compared with the floor
// group by group (100 groups of 200 keys, in turn, the first of each pair
// alternating; the figure sums each group's minimum and median over the
// rounds), and every figure is taken over rounds in rotated order.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "Registry.h"
#include "zrvRegFile.h"

namespace {

const int kGroups = 100;
const int kKeysPerGroup = 199;  // 100 groups + 100 * 199 keys = 20,000 keys below the top
const int kValuesPerKey = 5;    // up to 100,000 values
const int kRounds = 5;
const char* const kHeader = "Windows Registry Editor Version 5.00";

using bench::Clock;
using bench::Since;

// The type of value j of key k: of 20, 5 strings, 2 expandable strings,
// 5 DWORDs, 1 big-endian DWORD, 4 binaries, 1 multi-string, 1 QWORD and
// 1 of type none.
DWORD TypeOf(int k, int j) {
    static const DWORD kCycle[20] = {
        REG_SZ,     REG_DWORD, REG_BINARY,           REG_SZ,     REG_EXPAND_SZ, REG_DWORD,     REG_BINARY,
        REG_SZ,     REG_DWORD, REG_MULTI_SZ,         REG_NONE,   REG_QWORD,     REG_DWORD_BIG_ENDIAN,
        REG_BINARY, REG_SZ,    REG_DWORD,            REG_EXPAND_SZ, REG_BINARY, REG_SZ,        REG_DWORD};
    return kCycle[(k * kValuesPerKey + j) % 20];
}

std::string DataOf(int k, int j, DWORD type) {
    std::string d;
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            d = "C:\\Program Files\\Vendor " + std::to_string(k) + "\\\"item\" " + std::to_string(j);
            d += '\0';
            break;
        case REG_MULTI_SZ:
            d = std::string("first\0second\0\0", 14);
            break;
        case REG_DWORD:
        case REG_DWORD_BIG_ENDIAN: {
            const DWORD v = static_cast<DWORD>(k * 7919 + j);
            d.assign(reinterpret_cast<const char*>(&v), 4);
            break;
        }
        case REG_QWORD: {
            const unsigned long long v = 0x0123456789ABCDEFull + static_cast<unsigned long long>(k);
            d.assign(reinterpret_cast<const char*>(&v), 8);
            break;
        }
        default:
            for (int i = 0; i < 16 + (k + j) % 48; ++i) d += static_cast<char>((k * 31 + j * 17 + i * 13) & 0xFF);
    }
    return d;
}

std::string GroupName(int g) {
    char name[32];
    std::snprintf(name, sizeof name, "Group %03d", g);
    return name;
}

std::string KeyName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "Key %03d [x=y]", i);
    return name;
}

// A value name and a key name the code page (1252) cannot hold.
const wchar_t* const kForeignValue = L"\u0417\u043D\u0430\u0447\u0435\u043D\u0438\u0435";
const wchar_t* const kForeignKey = L"\u041A\u043B\u044E\u0447";

// Data as the wide calls store it: strings (ASCII here) in UTF-16.
std::string Stored(DWORD type, const std::string& data) {
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) return data;
    std::string wide;
    for (char c : data) wide += {c, '\0'};
    return wide;
}

// The values of key k; with exportableOnly only what the text carries.
void Fill(HKEY key, int k, bool exportableOnly) {
    for (int j = 0; j < kValuesPerKey; ++j) {
        const DWORD type = TypeOf(k, j);
        const std::string data = Stored(type, DataOf(k, j, type));
        const std::wstring name = L"Value " + std::to_wstring(j);
        ::RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                         static_cast<DWORD>(data.size()));
    }
    if (k % 10 == 0 && !exportableOnly) {
        const DWORD v = static_cast<DWORD>(k);
        ::RegSetValueExW(key, kForeignValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    }
}

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// Creates one group; with exportableOnly as the text carries it (the floor
// for import).
double CreateGroup(const std::string& top, int g, bool exportableOnly) {
    const auto start = Clock::now();
    HKEY group = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, Wide(top + "\\" + GroupName(g)).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &group, nullptr);
    int k = g * (1 + kKeysPerGroup);
    Fill(group, k++, exportableOnly);
    for (int i = 0; i < kKeysPerGroup; ++i) {
        HKEY key = nullptr;
        ::RegCreateKeyExW(group, Wide(KeyName(i)).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        Fill(key, k++, exportableOnly);
        ::RegCloseKey(key);
    }
    if (!exportableOnly) {
        HKEY foreign = nullptr;
        ::RegCreateKeyExW(group, kForeignKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &foreign, nullptr);
        Fill(foreign, g, false);
        ::RegCloseKey(foreign);
    }
    ::RegCloseKey(group);
    return Since(start);
}

double CreateTree(const std::string& top, bool exportableOnly) {
    const auto start = Clock::now();
    HKEY root = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, Wide(top).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr);
    ::RegCloseKey(root);
    for (int g = 0; g < kGroups; ++g) CreateGroup(top, g, exportableOnly);
    return Since(start);
}

struct Counts {
    long Keys = 0, Values = 0;
};

// Whether the file can name a key: a name the code page holds, without a
// line break.
bool Nameable(const wchar_t* name) {
    BOOL lost = FALSE;
    const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, -1, nullptr, 0, nullptr, &lost);
    return n > 0 && !lost && !std::wcspbrk(name, L"\r\n");
}

void Walk(HKEY key, std::vector<wchar_t>& name, std::vector<BYTE>& data, Counts& counts) {
    ++counts.Keys;
    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxData = 0;
    FILETIME written{};
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values, &maxValueName,
                           &maxData, nullptr, &written) != ERROR_SUCCESS)
        return;
    if (name.size() < std::max(maxSubKey, maxValueName) + 1) name.resize(std::max(maxSubKey, maxValueName) + 1);
    if (data.size() < maxData + 1) data.resize(maxData + 1);
    for (DWORD i = 0; i < values; ++i) {
        DWORD nameLen = static_cast<DWORD>(name.size()), dataLen = static_cast<DWORD>(data.size()), type = 0;
        if (::RegEnumValueW(key, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen) == ERROR_SUCCESS)
            ++counts.Values;
    }
    for (DWORD i = 0; i < subKeys; ++i) {
        DWORD len = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExW(key, i, name.data(), &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) continue;
        if (!Nameable(name.data())) continue;
        HKEY sub = nullptr;
        if (::RegOpenKeyExW(key, name.data(), 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
        Walk(sub, name, data, counts);
        ::RegCloseKey(sub);
    }
}

// The floor for export: every key the file names opened, every value read
// with its data.
double BareWalk(const std::string& path, Counts& counts) {
    const auto start = Clock::now();
    std::vector<wchar_t> name(256);
    std::vector<BYTE> data(256);
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, Wide(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    Walk(key, name, data, counts);
    ::RegCloseKey(key);
    return Since(start);
}

double BareWalk(const std::string& path) {
    Counts counts;
    return BareWalk(path, counts);
}

DWORD ValuesInTheLastKey() { return kValuesPerKey; }

// A cheap check that an import produced the whole tree: the number of
// groups, of keys in the last group and of values in its last key.
bool TreeLooksImported(const std::string& top) {
    HKEY root = nullptr, group = nullptr, last = nullptr;
    DWORD groups = 0, keys = 0, values = 0;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, top.c_str(), 0, KEY_READ, &root) == ERROR_SUCCESS) {
        ::RegQueryInfoKeyA(root, nullptr, nullptr, nullptr, &groups, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr);
        if (::RegOpenKeyExA(root, GroupName(kGroups - 1).c_str(), 0, KEY_READ, &group) == ERROR_SUCCESS) {
            ::RegQueryInfoKeyA(group, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr);
            if (::RegOpenKeyExA(group, KeyName(kKeysPerGroup - 1).c_str(), 0, KEY_READ, &last) == ERROR_SUCCESS) {
                ::RegQueryInfoKeyA(last, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                                   nullptr, nullptr, nullptr);
                ::RegCloseKey(last);
            }
            ::RegCloseKey(group);
        }
        ::RegCloseKey(root);
    }
    return groups == kGroups && keys == kKeysPerGroup && values == ValuesInTheLastKey();
}

long FileSize(const std::string& name) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    return ::GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &a) ? static_cast<long>(a.nFileSizeLow) : -1;
}

class Bench {
public:
    Bench() {
        const std::string pid = std::to_string(::GetCurrentProcessId());
        Top = "Software\\TessmorelBench_regfile_" + pid;
        Empty = Top + "_empty";
        Full = "HKEY_CURRENT_USER\\" + Top;
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        Folder = std::string(temp) + "TessmorelBench_" + pid;
        ::CreateDirectoryA(Folder.c_str(), nullptr);
        Ours = Folder + "\\ours.reg";
        Tiny = Folder + "\\tiny.reg";
        char windir[MAX_PATH];
        ::GetWindowsDirectoryA(windir, MAX_PATH);
        Regedit = bench::Quote(std::string(windir) + "\\regedit.exe");
        Reg = bench::Quote(std::string(windir) + "\\system32\\reg.exe");
        // The peers' trivial runs work on an empty key and a file naming it.
        HKEY key = nullptr;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, Empty.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        ::RegCloseKey(key);
        ExportKeyToFile(HKEY_CURRENT_USER, Empty, classlib::ToWide(Tiny), kHeader);
    }
    ~Bench() {
        classlib::DeleteRegistryTree(HKEY_CURRENT_USER, Top);
        classlib::DeleteRegistryTree(HKEY_CURRENT_USER, Empty);
        for (const char* f : {"ours.reg", "tiny.reg", "regedit.reg", "reg.reg", "trivial.reg"})
            ::DeleteFileA((Folder + "\\" + f).c_str());
        ::RemoveDirectoryA(Folder.c_str());
    }

    void Export() {
        Counts counts;
        BareWalk(Top, counts);
        std::printf("Export (a walk of %ld keys and %ld values), %d rounds in rotated order\n", counts.Keys,
                    counts.Values, kRounds);

        // Group by group, in turn with the floor.
        TStringList list;
        std::vector<bench::Samples> bare(kGroups), mine(kGroups);
        for (int round = 0; round < kRounds; ++round)
            for (int g = 0; g < kGroups; ++g) {
                const std::string group = Top + "\\" + GroupName(g);
                bench::InTurn(round + g, {[&] { bare[g].Add(BareWalk(group)); },
                                          [&] {
                                              list.Clear();
                                              mine[g].Add(bench::Time(
                                                  [&] { return ExportKey(HKEY_CURRENT_USER, group, list); }));
                                          }});
            }
        ExportBare = bench::SumOfParts(bare);
        ExportMine = bench::SumOfParts(mine);
        bench::PrintSeconds("floor, group by group", ExportBare);
        bench::PrintSeconds("ExportKey, group by group", ExportMine, "to floor", ExportBare);

        // Whole trees.
        const std::string trivial = Folder + "\\trivial.reg";
        bench::Rotation r;
        const bench::Samples& floor = r.Add("floor", [&] { return BareWalk(Top); });
        const bench::Samples& file = r.Add("file", [&] {
            return bench::Time([&] { return ExportKeyToFile(HKEY_CURRENT_USER, Top, classlib::ToWide(Ours), kHeader); });
        });
        // Without the file: what saving safely (written beside the target,
        // flushed, renamed over it) adds.
        const bench::Samples& memory = r.Add("memory", [&] {
            TStringList text;
            return bench::Time([&] { return ExportKey(HKEY_CURRENT_USER, Top, text); });
        });
        const bench::Samples& regedit = r.Add("regedit", [&] {
            return bench::RunProgram(Regedit + " /e " + bench::Quote(Folder + "\\regedit.reg") + " " +
                                         bench::Quote(Full), Folder);
        });
        const bench::Samples& regeditStart = r.Add("regedit start", [&] {
            return bench::RunProgram(Regedit + " /e " + bench::Quote(trivial) + " " +
                                         bench::Quote("HKEY_CURRENT_USER\\" + Empty), Folder);
        });
        const bench::Samples& reg = r.Add("reg", [&] {
            return bench::RunProgram(Reg + " export " + bench::Quote(Full) + " " +
                                         bench::Quote(Folder + "\\reg.reg") + " /y", Folder);
        });
        const bench::Samples& regStart = r.Add("reg start", [&] {
            return bench::RunProgram(Reg + " export " + bench::Quote("HKEY_CURRENT_USER\\" + Empty) + " " +
                                         bench::Quote(trivial) + " /y", Folder);
        });
        r.Run(kRounds);
        bench::PrintSeconds("floor, whole tree", floor);
        bench::PrintSeconds("ExportKeyToFile, whole tree", file, "to floor", floor);
        bench::PrintSeconds("ExportKey, whole tree, no file", memory, "to floor", floor);
        bench::PrintPeer("wine regedit /e", regedit, regeditStart, "to floor", floor);
        bench::PrintPeer("wine reg export", reg, regStart, "to floor", floor);
        std::printf("  files: ours %ld bytes (ANSI), regedit %ld, reg %ld (UTF-16)\n", FileSize(Ours),
                    FileSize(Folder + "\\regedit.reg"), FileSize(Folder + "\\reg.reg"));
    }

    void Import() {
        std::printf("Import of our file, %d rounds in rotated order\n", kRounds);
        // Our file, cut into its groups; each group imported and created
        // bare in turn.
        TStringList all;
        all.LoadFromFile(classlib::ToWide(Ours));
        std::vector<TStringList> groups(kGroups);
        int g = -1;
        for (int i = 1; i < all.Count(); ++i) {
            const std::string& line = all[i];
            if (line.rfind("[" + Full + "\\Group ", 0) == 0 && line.find('\\', Full.size() + 2) == std::string::npos)
                ++g;
            if (g < 0) continue;
            if (groups[g].Count() == 0) groups[g].Add(kHeader);
            groups[g].Add(line);
        }
        std::vector<bench::Samples> bare(kGroups), mine(kGroups);
        for (int round = 0; round < kRounds; ++round)
            for (g = 0; g < kGroups; ++g) {
                const std::string group = Top + "\\" + GroupName(g);
                bench::InTurn(round + g, {[&] {
                                              classlib::DeleteRegistryTree(HKEY_CURRENT_USER, group);
                                              bare[g].Add(CreateGroup(Top, g, true));
                                          },
                                          [&] {
                                              classlib::DeleteRegistryTree(HKEY_CURRENT_USER, group);
                                              mine[g].Add(bench::Time([&] { return ImportRegLines(groups[g]) == rirDone; }));
                                          }});
            }
        ImportBare = bench::SumOfParts(bare);
        ImportMine = bench::SumOfParts(mine);
        bench::PrintSeconds("floor, group by group", ImportBare);
        bench::PrintSeconds("ImportRegLines, group by group", ImportMine, "to floor", ImportBare);

        // Whole trees, each into an empty place.
        const auto fresh = [&] { classlib::DeleteRegistryTree(HKEY_CURRENT_USER, Top); };
        const auto checked = [&](double seconds) { return TreeLooksImported(Top) ? seconds : -1; };
        bench::Rotation r;
        const bench::Samples& floor = r.Add("floor", [&] {
            fresh();
            return CreateTree(Top, true);
        });
        const bench::Samples& file = r.Add("file", [&] {
            fresh();
            return checked(bench::Time([&] { return ImportRegFile(classlib::ToWide(Ours)) == rirDone; }));
        });
        const bench::Samples& regedit = r.Add("regedit", [&] {
            fresh();
            return checked(bench::RunProgram(Regedit + " /s " + bench::Quote(Ours), Folder));
        });
        const bench::Samples& regeditStart =
            r.Add("regedit start", [&] { return bench::RunProgram(Regedit + " /s " + bench::Quote(Tiny), Folder); });
        const bench::Samples& reg = r.Add("reg", [&] {
            fresh();
            return checked(bench::RunProgram(Reg + " import " + bench::Quote(Ours), Folder));
        });
        const bench::Samples& regStart =
            r.Add("reg start", [&] { return bench::RunProgram(Reg + " import " + bench::Quote(Tiny), Folder); });
        r.Run(kRounds);
        bench::PrintSeconds("floor, whole tree", floor);
        bench::PrintSeconds("ImportRegFile, whole tree", file, "to floor", floor);
        bench::PrintPeer("wine regedit /s", regedit, regeditStart, "to floor", floor);
        bench::PrintPeer("wine reg import", reg, regStart, "to floor", floor);
    }

    std::string Top, Empty, Full, Folder, Ours, Tiny, Regedit, Reg;
    bench::Summary ExportBare, ExportMine, ImportBare, ImportMine;

private:
    using TStringList = classlib::TStringList;
};

}  // namespace

int main() {
    Bench bench;
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, bench.Top);
    std::printf("Registry-file text: %d keys with values of mixed types below one key\n",
                kGroups * (1 + kKeysPerGroup));
    CreateTree(bench.Top, false);
    bench.Export();
    bench.Import();
    const auto ratio = [](const bench::Summary& a, const bench::Summary& b, bool median) {
        return a.Failed() || b.Failed() ? -1.0 : median ? a.Median / b.Median : a.Min / b.Min;
    };
    std::printf("Ratios to the floor, group by group (aim: at most 1.05): export min %.3f median %.3f, import "
                "min %.3f median %.3f\n",
                ratio(bench.ExportMine, bench.ExportBare, false), ratio(bench.ExportMine, bench.ExportBare, true),
                ratio(bench.ImportMine, bench.ImportBare, false), ratio(bench.ImportMine, bench.ImportBare, true));
    return 0;
}
