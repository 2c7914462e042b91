// Export and import of registry-file text on a tree of 20,000 keys and
// 100,000 values of mixed types, against
//   - the floor: a bare walk (RegOpenKeyEx, RegEnumKeyEx, RegEnumValue with
//     data) for export, bare creation (RegCreateKeyEx, RegSetValueEx) of
//     what the file holds for import;
//   - Wine's own tools: regedit /e, reg export, regedit /s, reg import.
// Every registry call is a round trip to wineserver, so the floor is what
// any program pays; the aim is to stay within 1.05 times it.
//
// The cost of a round trip changes with the machine's load and with where
// the scheduler puts the two processes, by up to several times within a
// minute. So the writer and the importer are compared with the floor group
// by group (100 groups of 200 keys, alternating), and every whole-tree run
// is compared with the floor runs right before and after it.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Registry.h"
#include "zrvRegFile.h"

namespace {

const int kGroups = 100;
const int kKeysPerGroup = 199;  // 100 groups + 100 * 199 keys = 20,000 keys below the top
const int kValuesPerKey = 5;    // 100,000 values
const char* const kHeader = "Windows Registry Editor Version 5.00";

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The type of value j of key k: of 20, 6 strings, 2 expandable strings,
// 5 DWORDs, 1 big-endian DWORD, 5 binaries and 1 multi-string.
DWORD TypeOf(int k, int j) {
    static const DWORD kCycle[20] = {
        REG_SZ,     REG_DWORD, REG_BINARY,           REG_SZ,     REG_EXPAND_SZ, REG_DWORD,     REG_BINARY,
        REG_SZ,     REG_DWORD, REG_MULTI_SZ,         REG_BINARY, REG_SZ,        REG_DWORD_BIG_ENDIAN,
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
        default:
            for (int i = 0; i < 16 + (k + j) % 48; ++i) d += static_cast<char>((k * 31 + j * 17 + i * 13) & 0xFF);
    }
    return d;
}

bool Exportable(DWORD type) { return type != REG_MULTI_SZ; }

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

void Fill(HKEY key, int k, bool exportableOnly) {
    for (int j = 0; j < kValuesPerKey; ++j) {
        DWORD type = TypeOf(k, j);
        if (exportableOnly && !Exportable(type)) continue;
        const std::string data = DataOf(k, j, type);
        if (exportableOnly && type == REG_EXPAND_SZ) type = REG_SZ;
        if (exportableOnly && type == REG_DWORD_BIG_ENDIAN) type = REG_DWORD;
        const std::string name = "Value " + std::to_string(j);
        ::RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                         static_cast<DWORD>(data.size()));
    }
}

// Creates one group; with exportableOnly just what the text carries, as the
// text carries it (the floor for import).
double CreateGroup(const std::string& top, int g, bool exportableOnly) {
    const auto start = Clock::now();
    HKEY group = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, (top + "\\" + GroupName(g)).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &group, nullptr);
    int k = g * (1 + kKeysPerGroup);
    Fill(group, k++, exportableOnly);
    for (int i = 0; i < kKeysPerGroup; ++i) {
        HKEY key = nullptr;
        ::RegCreateKeyExA(group, KeyName(i).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        Fill(key, k++, exportableOnly);
        ::RegCloseKey(key);
    }
    ::RegCloseKey(group);
    return Since(start);
}

double CreateTree(const std::string& top, bool exportableOnly) {
    const auto start = Clock::now();
    HKEY root = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, top.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr);
    ::RegCloseKey(root);
    for (int g = 0; g < kGroups; ++g) CreateGroup(top, g, exportableOnly);
    return Since(start);
}

struct Counts {
    long Keys = 0, Values = 0;
};

void Walk(HKEY key, std::vector<char>& name, std::vector<BYTE>& data, Counts& counts) {
    ++counts.Keys;
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = static_cast<DWORD>(name.size()), dataLen = static_cast<DWORD>(data.size()), type = 0;
        if (::RegEnumValueA(key, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen) != ERROR_SUCCESS)
            break;
        ++counts.Values;
    }
    for (DWORD i = 0;; ++i) {
        DWORD len = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExA(key, i, name.data(), &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY sub = nullptr;
        if (::RegOpenKeyExA(key, name.data(), 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
        Walk(sub, name, data, counts);
        ::RegCloseKey(sub);
    }
}

// The bare walk: every key opened, every value read with its data.
double BareWalk(const std::string& path, Counts& counts) {
    const auto start = Clock::now();
    std::vector<char> name(16384);
    std::vector<BYTE> data(65536);
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        Walk(key, name, data, counts);
        ::RegCloseKey(key);
    }
    return Since(start);
}

double BareWalk(const std::string& path) {
    Counts counts;
    return BareWalk(path, counts);
}

// Runs one of Wine's programs from a neutral folder and waits for it.
double RunTool(const std::string& commandLine, const std::string& folder) {
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const auto start = Clock::now();
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return -1;
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    const double t = Since(start);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(pi.hProcess, &exitCode);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return exitCode == 0 ? t : -1;
}

DWORD ValuesInTheLastKey() {
    const int k = kGroups * (1 + kKeysPerGroup) - 1;
    DWORD n = 0;
    for (int j = 0; j < kValuesPerKey; ++j) n += Exportable(TypeOf(k, j)) ? 1 : 0;
    return n;
}

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

void Row(const char* what, double seconds, double floor) {
    if (seconds < 0)
        std::printf("  %-34s   failed\n", what);
    else
        std::printf("  %-34s %7.2f s  floor %7.2f s  ratio %5.3f\n", what, seconds, floor, seconds / floor);
}

class Bench {
public:
    Bench() {
        Top = "Software\\TessmorelBench_regfile_" + std::to_string(::GetCurrentProcessId());
        Full = "HKEY_CURRENT_USER\\" + Top;
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        Folder = std::string(temp) + "TessmorelBench_" + std::to_string(::GetCurrentProcessId());
        ::CreateDirectoryA(Folder.c_str(), nullptr);
        Ours = Folder + "\\ours.reg";
        char windir[MAX_PATH];
        ::GetWindowsDirectoryA(windir, MAX_PATH);
        Regedit = std::string(windir) + "\\regedit.exe";
        Reg = std::string(windir) + "\\system32\\reg.exe";
    }
    ~Bench() {
        classlib::DeleteRegistryTree(HKEY_CURRENT_USER, Top);
        for (const char* f : {"\\ours.reg", "\\regedit.reg", "\\reg.reg"}) ::DeleteFileA((Folder + f).c_str());
        ::RemoveDirectoryA(Folder.c_str());
    }

    void Export() {
        // Group by group, alternating with the floor.
        TStringList list;
        double bare = 0, mine = 0;
        for (int g = 0; g < kGroups; ++g) {
            const std::string group = Top + "\\" + GroupName(g);
            bare += BareWalk(group);
            const auto start = Clock::now();
            ExportKey(HKEY_CURRENT_USER, group, list);
            mine += Since(start);
        }
        Counts counts;
        const double first = BareWalk(Top, counts);
        std::printf("Export (a walk of %ld keys and %ld values)\n", counts.Keys, counts.Values);
        Row("ExportKey, group by group", mine, bare);

        // Whole runs, each between two floor runs.
        const auto start = Clock::now();
        const bool ok = ExportKeyToFile(HKEY_CURRENT_USER, Top, Ours, kHeader);
        const double whole = ok ? Since(start) : -1;
        const double second = BareWalk(Top);
        Row("ExportKeyToFile, whole tree", whole, (first + second) / 2);
        // The same without the file: what saving safely (written beside
        // the target, flushed, renamed over it) adds.
        TStringList text;
        const auto listStart = Clock::now();
        ExportKey(HKEY_CURRENT_USER, Top, text);
        const double inMemory = Since(listStart);
        const double secondAndAHalf = BareWalk(Top);
        Row("ExportKey, whole tree, no file", inMemory, (second + secondAndAHalf) / 2);
        const double regedit = RunTool(Quote(Regedit) + " /e " + Quote(Folder + "\\regedit.reg") + " " + Quote(Full),
                                       Folder);
        const double third = BareWalk(Top);
        Row("wine regedit /e", regedit, (secondAndAHalf + third) / 2);
        const double reg = RunTool(Quote(Reg) + " export " + Quote(Full) + " " + Quote(Folder + "\\reg.reg") + " /y",
                                   Folder);
        const double fourth = BareWalk(Top);
        Row("wine reg export", reg, (third + fourth) / 2);
        std::printf("  files: ours %ld bytes (ANSI), regedit %ld, reg %ld (UTF-16)\n", FileSize(Ours),
                    FileSize(Folder + "\\regedit.reg"), FileSize(Folder + "\\reg.reg"));
        ExportRatio = mine / bare;
    }

    void Import() {
        // Our file, cut into its groups; each group imported and created
        // bare in turn.
        TStringList all;
        all.LoadFromFile(Ours);
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
        bool imported = true;
        double bare = 0, mine = 0;
        for (g = 0; g < kGroups; ++g) {
            const std::string group = Top + "\\" + GroupName(g);
            classlib::DeleteRegistryTree(HKEY_CURRENT_USER, group);
            const auto start = Clock::now();
            imported = ImportRegLines(groups[g]) == rirDone && imported;
            mine += Since(start);
            classlib::DeleteRegistryTree(HKEY_CURRENT_USER, group);
            bare += CreateGroup(Top, g, true);
        }
        std::printf("Import of our file\n");
        Row("ImportRegLines, group by group", imported ? mine : -1, bare);
        ImportRatio = mine / bare;

        const double first = Recreate();
        classlib::DeleteRegistryTree(HKEY_CURRENT_USER, Top);
        const auto start = Clock::now();
        const int rc = ImportRegFile(Ours);
        const double whole = Since(start);
        imported = rc == rirDone && TreeLooksImported(Top);
        const double second = Recreate();
        Row("ImportRegFile, whole tree", imported ? whole : -1, (first + second) / 2);

        classlib::DeleteRegistryTree(HKEY_CURRENT_USER, Top);
        double regedit = RunTool(Quote(Regedit) + " /s " + Quote(Ours), Folder);
        if (!TreeLooksImported(Top)) regedit = -1;
        const double third = Recreate();
        Row("wine regedit /s", regedit, (second + third) / 2);

        classlib::DeleteRegistryTree(HKEY_CURRENT_USER, Top);
        double reg = RunTool(Quote(Reg) + " import " + Quote(Ours), Folder);
        if (!TreeLooksImported(Top)) reg = -1;
        const double fourth = Recreate();
        Row("wine reg import", reg, (third + fourth) / 2);
    }

    std::string Top, Full, Folder, Ours, Regedit, Reg;
    double ExportRatio = 0, ImportRatio = 0;

private:
    static std::string Quote(const std::string& s) { return "\"" + s + "\""; }

    // The floor for import: the tree removed and created bare.
    double Recreate() {
        classlib::DeleteRegistryTree(HKEY_CURRENT_USER, Top);
        return CreateTree(Top, true);
    }

    using TStringList = classlib::TStringList;
};

}  // namespace

int main() {
    Bench bench;
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, bench.Top);
    std::printf("Registry-file text: %d keys and %d values of mixed types below one key\n",
                kGroups * (1 + kKeysPerGroup), kGroups * (1 + kKeysPerGroup) * kValuesPerKey);
    CreateTree(bench.Top, false);
    bench.Export();
    bench.Import();
    std::printf("Ratios to the floor, group by group (aim: at most 1.05): export %.3f, import %.3f\n",
                bench.ExportRatio, bench.ImportRatio);
    return 0;
}
