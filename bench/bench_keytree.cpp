// Copy, move and delete of a key tree of 10,000 keys and 50,000 values of
// mixed types, against
//   - the floor, the calls the same work cannot do without: for a copy per
//     key its information read once, then by those counts each value read
//     with its data and written, and each subkey's name read, the subkey
//     opened, created at the destination and both closed; for a delete per
//     key an open, a delete by handle (refused while the key has subkeys:
//     then its information, the subkeys' names and their deletes first)
//     and a close; a move is a copy and a delete;
//   - the system's own command-line registry tool (reg copy /s /f, reg
//     delete /f) on the same tree in the same rounds, net of its start-up
//     (the same command on an empty key).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "BenchTree.h"
#include "zrvRegistry.h"

namespace {

const int kRounds = 5;
using bench::BuildTree;
using bench::kSubKeys;
using bench::kTopKeys;
using bench::Summarize;
using Summary = bench::TreeSummary;


// ---- The floor ----------------------------------------------------------------

bool FloorCopy(const std::string& from, const std::string& to) {
    return bench::FloorCopy(bench::Wide(from), bench::Wide(to));
}

using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);

NtDeleteKeyFn NtDeleteKey() {
    static const NtDeleteKeyFn fn = reinterpret_cast<NtDeleteKeyFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    return fn;
}

bool FloorDelete(HKEY parent, const WCHAR* path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(parent, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
    bool gone = NtDeleteKey()(key) == 0;
    if (!gone) {
        DWORD subKeys = 0, maxLen = 0;
        ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &maxLen, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr);
        std::vector<WCHAR> name(maxLen + 1);
        for (DWORD i = subKeys; i-- > 0;) {
            DWORD len = static_cast<DWORD>(name.size());
            if (::RegEnumKeyExW(key, i, name.data(), &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
                FloorDelete(key, name.data());
        }
        gone = NtDeleteKey()(key) == 0;
    }
    ::RegCloseKey(key);
    return gone;
}

bool FloorDelete(const std::string& path) { return FloorDelete(HKEY_CURRENT_USER, bench::Wide(path).c_str()); }

// ---- The peer -------------------------------------------------------------------

using bench::RunReg;

template <typename F>
double Time(F f, bool& ok) {
    const auto start = bench::Clock::now();
    ok = f() && ok;
    return bench::Since(start);
}

// One operation's figures.
struct Figures {
    bench::Samples Floor, Ours, Reg, RegStart;
};

void Print(const char* what, const Figures& f) {
    std::printf("%s\n", what);
    bench::PrintSeconds("floor", f.Floor);
    bench::PrintSeconds("ours", f.Ours, "to floor", f.Floor);
    bench::PrintPeer("reg", f.Reg, f.RegStart, "to floor", f.Floor);
    bench::PrintSeconds("ours", f.Ours, "to reg net", f.Reg.Less(f.RegStart));
}

}  // namespace

int main() {
    const std::string base = "Software\\TessmorelBench_" + std::to_string(::GetCurrentProcessId());
    const std::string src = base + "\\src";
    RegDeleteKeyTree(HKEY_CURRENT_USER, base);

    const auto start = bench::Clock::now();
    BuildTree(src);
    const double build = bench::Since(start);
    const Summary original = Summarize(src);
    std::printf("Key tree: %ld keys, %ld values, built in %.3f s\n", original.Keys - 1, original.Values, build);

    const auto ours = [&](const std::string& name) { return base + "\\ours" + name; };
    const auto reg = [&](const std::string& name) { return base + "\\reg" + name; };
    const auto arg = [&](const std::string& path) { return "\"HKEY_CURRENT_USER\\" + path + "\""; };
    const auto copyKey = [&](const std::string& from, const std::string& to, bool move) {
        return RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, from, to, move);
    };

    // The tool's start-up: the same commands on an empty key.
    const std::string empty = base + "\\empty", emptyCopy = base + "\\emptycopy";
    HKEY e = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, empty.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &e, nullptr);
    ::RegCloseKey(e);
    const auto trivialCopy = [&] { return RunReg("copy " + arg(empty) + " " + arg(emptyCopy) + " /s /f"); };
    const auto trivialDelete = [&] { return RunReg("delete " + arg(emptyCopy) + " /f"); };
    const auto floor = [&](const std::string& name) { return base + "\\floor" + name; };

    Figures copy, move, del;
    bool floorOk = true, oursOk = true, regOk = true, same = true;
    for (int round = 0; round < kRounds; ++round) {
        bench::InTurn(round, {
            [&] { copy.Floor.Add(Time([&] { return FloorCopy(src, floor("A")); }, floorOk)); },
            [&] { copy.Ours.Add(Time([&] { return copyKey(src, ours("A"), false); }, oursOk)); },
            [&] { copy.Reg.Add(Time([&] { return RunReg("copy " + arg(src) + " " + arg(reg("A")) + " /s /f"); }, regOk)); },
            [&] { copy.RegStart.Add(Time(trivialCopy, regOk)); },
        });
        same = same && Summarize(floor("A")) == original && Summarize(ours("A")) == original &&
               Summarize(reg("A")) == original;

        // A move to another parent: copy, then delete.
        bench::InTurn(round, {
            [&] {
                move.Floor.Add(Time([&] { return FloorCopy(floor("A"), floor("B\\moved")) && FloorDelete(floor("A")); },
                                    floorOk));
            },
            [&] { move.Ours.Add(Time([&] { return copyKey(ours("A"), ours("B\\moved"), true); }, oursOk)); },
            [&] {
                move.Reg.Add(Time(
                    [&] {
                        return RunReg("copy " + arg(reg("A")) + " " + arg(reg("B\\moved")) + " /s /f") &&
                               RunReg("delete " + arg(reg("A")) + " /f");
                    },
                    regOk));
            },
            [&] { move.RegStart.Add(Time([&] { return trivialCopy() && trivialDelete(); }, regOk)); },
        });
        for (const std::string& place : {floor(""), ours(""), reg("")})
            same = same && Summarize(place + "B\\moved") == original && Summarize(place + "A").Keys == 0;

        bench::InTurn(round, {
            [&] { del.Floor.Add(Time([&] { return FloorDelete(floor("B")); }, floorOk)); },
            [&] { del.Ours.Add(Time([&] { return RegDeleteKeyTree(HKEY_CURRENT_USER, ours("B")); }, oursOk)); },
            [&] { del.Reg.Add(Time([&] { return RunReg("delete " + arg(reg("B")) + " /f"); }, regOk)); },
            [&] {
                HKEY k = nullptr;
                ::RegCreateKeyExA(HKEY_CURRENT_USER, emptyCopy.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                                  nullptr);
                ::RegCloseKey(k);
                del.RegStart.Add(Time(trivialDelete, regOk));
            },
        });
        for (const std::string& place : {floor(""), ours(""), reg("")}) same = same && Summarize(place + "B").Keys == 0;
    }
    if (!floorOk || !oursOk || !regOk || !same)
        std::printf("RESULTS DIFFER: floor %s, ours %s, reg %s, trees %s\n", floorOk ? "ok" : "failed",
                    oursOk ? "ok" : "failed", regOk ? "ok" : "failed", same ? "equal" : "different");

    std::printf("%d rounds in rotated order. reg runs as one process a command; its move is reg copy, then\n"
                "reg delete; its start-up is the same commands on an empty key.\n",
                kRounds);
    Print("copy", copy);
    Print("move", move);
    Print("delete", del);

    RegDeleteKeyTree(HKEY_CURRENT_USER, base);
    return 0;
}
