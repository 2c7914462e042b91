#pragma once
// Timing shared by the benchmarks. The cost of a registry round trip, and
// of memory, drifts with the machine's load, so nothing is timed once and
// nothing always runs first: every contender (the floor, the program, the
// peers) runs once a round, the rounds rotate who goes first, and every
// figure is printed as the minimum and the median of its rounds.
//
// Peers are other programs, started as processes; their figures are also
// given net of their start-up, measured in the same round by a trivial run
// of the same tool.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Seconds taken by f(); negative when f() returns false (a failed run).
template <typename F>
double Time(F&& f) {
    const Clock::time_point start = Clock::now();
    const bool ok = f();
    const double t = Since(start);
    return ok ? t : -1;
}

// A figure as printed: the minimum and the median (negative: failed).
struct Summary {
    double Min = -1, Median = -1;
    bool Failed() const { return Min < 0 || Median < 0; }
};

// The seconds of one contender, one entry a round. A failed run fails the
// whole figure.
class Samples {
public:
    void Add(double seconds) {
        if (seconds < 0)
            FFailed = true;
        else
            FValues.push_back(seconds);
    }
    bool Failed() const { return FFailed || FValues.empty(); }
    double Min() const { return Failed() ? -1 : *std::min_element(FValues.begin(), FValues.end()); }
    double Median() const {
        if (Failed()) return -1;
        std::vector<double> v = FValues;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    bench::Summary Summary() const { return bench::Summary{Min(), Median()}; }
    // Round by round: this run less the other's (a peer less its start-up).
    Samples Less(const Samples& other) const {
        Samples d;
        d.FFailed = Failed() || other.Failed() || FValues.size() != other.FValues.size();
        if (!d.FFailed)
            for (size_t i = 0; i < FValues.size(); ++i) d.FValues.push_back(std::max(FValues[i] - other.FValues[i], 0.0));
        return d;
    }

private:
    std::vector<double> FValues;
    bool FFailed = false;
};

// A run made of parts timed apart (a tree group by group, each group over
// the rounds): the sum of the parts' minimums and of their medians. A
// part's minimum drops what other load on the machine added to it in some
// round, which a minimum of whole runs cannot do when every run met some.
inline Summary SumOfParts(const std::vector<Samples>& parts) {
    Summary sum{0, 0};
    for (const Samples& p : parts) {
        if (p.Failed()) return Summary{};
        sum.Min += p.Min();
        sum.Median += p.Median();
    }
    return sum;
}

// Runs every step once, beginning with step shift (modulo their number).
inline void InTurn(int shift, const std::vector<std::function<void()>>& steps) {
    const int n = static_cast<int>(steps.size());
    for (int i = 0; i < n; ++i) steps[static_cast<size_t>((i + shift) % n)]();
}

// Contenders timed round by round in rotated order. A contender returns
// the seconds of its run (negative when it failed), so that what it must
// prepare untimed (a tree removed before an import) stays out.
class Rotation {
public:
    Samples& Add(const std::string& name, std::function<double()> run) {
        FEntries.push_back(Entry{name, std::move(run), Samples()});
        return FEntries.back().Result;
    }
    void Run(int rounds) {
        for (int round = 0; round < rounds; ++round) {
            std::vector<std::function<void()>> steps;
            for (Entry& e : FEntries) steps.push_back([&e] { e.Result.Add(e.Run()); });
            InTurn(round, steps);
        }
    }
    const Samples& operator[](const std::string& name) const {
        for (const Entry& e : FEntries)
            if (e.Name == name) return e.Result;
        static const Samples none;
        return none;
    }

private:
    struct Entry {
        std::string Name;
        std::function<double()> Run;
        Samples Result;
    };
    std::deque<Entry> FEntries;  // growing keeps the figures handed out in place
};

// "  what    min 1.234 s  median 1.250 s"
inline void PrintSeconds(const char* what, const Summary& s) {
    if (s.Failed())
        std::printf("  %-36s failed\n", what);
    else
        std::printf("  %-36s min %8.3f s  median %8.3f s\n", what, s.Min, s.Median);
}

// The same with the ratio to another figure, minimum to minimum and median
// to median.
inline void PrintSeconds(const char* what, const Summary& s, const char* to, const Summary& base) {
    if (s.Failed() || base.Failed()) {
        PrintSeconds(what, s);
        return;
    }
    std::printf("  %-36s min %8.3f s  median %8.3f s   %s min %5.3f median %5.3f\n", what, s.Min, s.Median, to,
                s.Min / base.Min, s.Median / base.Median);
}

inline void PrintSeconds(const char* what, const Samples& s) { PrintSeconds(what, s.Summary()); }

inline void PrintSeconds(const char* what, const Samples& s, const char* to, const Samples& base) {
    PrintSeconds(what, s.Summary(), to, base.Summary());
}

// The same in milliseconds, for runs too short to read in seconds.
inline void PrintMilliseconds(const char* what, const Samples& s, const char* to = nullptr,
                              const Samples* base = nullptr) {
    const Summary m = s.Summary();
    if (m.Failed()) {
        std::printf("  %-36s failed\n", what);
        return;
    }
    std::printf("  %-36s min %8.3f ms median %8.3f ms", what, m.Min * 1e3, m.Median * 1e3);
    const Summary b = base ? base->Summary() : Summary{};
    if (to && !b.Failed() && b.Min > 0 && b.Median > 0)
        std::printf("   %s min %5.3f median %5.3f", to, m.Min / b.Min, m.Median / b.Median);
    std::printf("\n");
}

// Throughput in MB/s of bytes per run, at the fastest and the median run.
inline void PrintRate(const char* what, const Samples& s, double bytes) {
    const double mb = bytes / (1024.0 * 1024.0);
    if (s.Failed() || s.Min() <= 0 || s.Median() <= 0)
        std::printf("  %-36s failed\n", what);
    else
        std::printf("  %-36s best %9.1f MB/s  median %9.1f MB/s\n", what, mb / s.Min(), mb / s.Median());
}

#ifdef _WIN32
// Starts a program (the full command line, the program by its full path: a
// bare name could find another program first) in folder with its standard
// handles on NUL. False when it could not start.
inline bool StartProgram(std::string commandLine, const std::string& folder, PROCESS_INFORMATION& pi,
                         DWORD flags = CREATE_NO_WINDOW) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE nul = ::CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                               OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nul;
    pi = PROCESS_INFORMATION{};
    const BOOL started = ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, flags, nullptr,
                                          folder.empty() ? nullptr : folder.c_str(), &si, &pi);
    ::CloseHandle(nul);
    return started != FALSE;
}

// Waits for a started program and closes its handles; true when it ended
// with exit code 0.
inline bool EndOfProgram(PROCESS_INFORMATION& pi) {
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    pi = PROCESS_INFORMATION{};
    return code == 0;
}

// Runs a program as StartProgram starts it and waits for it. The seconds it
// took, negative when it could not start or ended with an exit code other
// than 0.
inline double RunProgram(std::string commandLine, const std::string& folder) {
    PROCESS_INFORMATION pi;
    const Clock::time_point start = Clock::now();
    if (!StartProgram(std::move(commandLine), folder, pi)) return -1;
    const bool ok = EndOfProgram(pi);
    const double t = Since(start);
    return ok ? t : -1;
}

inline std::string Quote(const std::string& s) { return "\"" + s + "\""; }

// A peer's runs, its start-up (a trivial run of the same tool in the same
// rounds) and the runs net of it, with that figure's ratio to base. A peer
// timed without its start-up names the overhead it is given net of.
inline void PrintPeer(const char* what, const Samples& runs, const Samples& startup, const char* to,
                      const Samples& base, const char* overhead = "its start-up (trivial run)",
                      const char* net = "net of start-up") {
    PrintSeconds(what, runs.Summary());
    PrintSeconds((std::string("  ") + overhead).c_str(), startup.Summary());
    PrintSeconds((std::string("  ") + net).c_str(), runs.Less(startup).Summary(), to, base.Summary());
}
#endif

}  // namespace bench
