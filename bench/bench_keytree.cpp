// Copy, move and delete of a key tree of 10,000 keys and 50,000 values of
// mixed types, against the system's own command-line registry tool
// (reg copy /s /f, reg delete /f) on the same tree in the same run.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchTree.h"
#include "zrvRegistry.h"

namespace {

using namespace bench;

template <typename F>
double Time(F f, bool& ok) {
    const auto start = std::chrono::steady_clock::now();
    ok = f() && ok;
    return Seconds(start);
}

// The best of the rounds for each operation: other work on the machine
// only ever adds time.
struct Best {
    double Ours = 1e9, Reg = 1e9;
    void Add(double ours, double reg) {
        Ours = std::min(Ours, ours);
        Reg = std::min(Reg, reg);
    }
};

void Row(const char* what, const Best& b) {
    std::printf("  %-8s ours %7.3f s   reg %7.3f s   ours/reg %5.2f\n", what, b.Ours, b.Reg, b.Ours / b.Reg);
}

}  // namespace

int main() {
    const std::string base = "Software\\TessmorelBench_" + std::to_string(::GetCurrentProcessId());
    const std::string src = base + "\\src";
    RegDeleteKeyTree(HKEY_CURRENT_USER, base);

    const auto start = std::chrono::steady_clock::now();
    BuildTree(src);
    const double build = Seconds(start);
    const Summary original = Summarize(src);
    std::printf("Key tree: %ld keys, %ld values, built in %.3f s\n", original.Keys - 1, original.Values, build);

    const auto ours = [&](const std::string& name) { return base + "\\ours" + name; };
    const auto reg = [&](const std::string& name) { return base + "\\reg" + name; };
    const auto arg = [&](const std::string& path) { return "\"HKEY_CURRENT_USER\\" + path + "\""; };
    const auto copyKey = [&](const std::string& from, const std::string& to, bool move) {
        return RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, from, to, move);
    };

    // The tool's own start-up, to read its figures against.
    bool found = true;
    const double startup = Time([&] { return RunReg("query " + arg(base)); }, found);

    Best copy, move, del;
    bool oursOk = true, regOk = true, same = true;
    for (int round = 0; round < kRounds; ++round) {
        const double oc = Time([&] { return copyKey(src, ours("A"), false); }, oursOk);
        const double rc = Time([&] { return RunReg("copy " + arg(src) + " " + arg(reg("A")) + " /s /f"); }, regOk);
        copy.Add(oc, rc);
        same = same && Summarize(ours("A")) == original && Summarize(reg("A")) == original;

        // A move to another parent: copy, then delete.
        const double om = Time([&] { return copyKey(ours("A"), ours("B\\moved"), true); }, oursOk);
        const double rm = Time(
            [&] {
                return RunReg("copy " + arg(reg("A")) + " " + arg(reg("B\\moved")) + " /s /f") &&
                       RunReg("delete " + arg(reg("A")) + " /f");
            },
            regOk);
        move.Add(om, rm);
        same = same && Summarize(ours("B\\moved")) == original && Summarize(reg("B\\moved")) == original &&
               Summarize(ours("A")).Keys == 0 && Summarize(reg("A")).Keys == 0;

        const double od = Time([&] { return RegDeleteKeyTree(HKEY_CURRENT_USER, ours("B")); }, oursOk);
        const double rd = Time([&] { return RunReg("delete " + arg(reg("B")) + " /f"); }, regOk);
        del.Add(od, rd);
        same = same && Summarize(ours("B")).Keys == 0 && Summarize(reg("B")).Keys == 0;
    }
    if (!oursOk || !regOk || !same)
        std::printf("RESULTS DIFFER: ours %s, reg %s, trees %s\n", oursOk ? "ok" : "failed", regOk ? "ok" : "failed",
                    same ? "equal" : "different");

    std::printf("Best of %d rounds. reg runs as one process a command (its start-up alone: %.3f s);\n"
                "its move is reg copy, then reg delete.\n",
                kRounds, startup);
    Row("copy", copy);
    Row("move", move);
    Row("delete", del);

    RegDeleteKeyTree(HKEY_CURRENT_USER, base);
    return 0;
}
