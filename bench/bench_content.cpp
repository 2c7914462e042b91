// Opening the key content editor on a key with one binary value of 64 KB,
// 256 KB, 1 MB and 4 MB (one long line each), as the menu command does until
// the window stands painted, beside a floor that puts the same text into a
// plain EDIT control of the editor's size, shown and painted; in seconds and
// seconds per MB of the value. Then filling it with a key of 20,000 values
// of mixed types. The cases take turns over the rounds, in rotated order.
// Then a small key shown after a 5 MB file, Cancel in the string editor on a
// 1 MB string, and Replace All.
//
// Each measurement runs in a process of its own (this program started
// again with the case to measure), on an editor that never held text:
// emptying a rich edit that holds a very long line takes Wine minutes,
// which would be paid for nothing between the rounds. A run that takes
// longer than kCap seconds is stopped and counted as that; the value sizes
// above it are not run again.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "Program.h"
#include "Registry.h"
#include "Seams.h"
#include "UnitKeyContent.h"
#include "UnitMain.h"
#include "UnitStr.h"
#include "zrvRegFile.h"

namespace {

const int kRounds = 3;
const DWORD kCap = 120;  // seconds a measurement may take

struct Case {
    Case(const char* what, const char* key) : What(what), Key(key) {}
    const char* What;
    const char* Key;  // below the benchmark's key
    double Characters = 0;
    bench::Samples Export, Fill, Show;
};

// What one measurement leaves for the starting process: export, filling,
// showing (seconds) and the number of characters.
const char* const kResult = "result";

// In the started process: hands the figures to the first process through
// the registry and ends at once.
int StoreFiguresAndExit(const std::string& base, const double (&figures)[4]) {
    HKEY k = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, base.c_str(), 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return 1;
    ::RegSetValueExA(k, kResult, 0, REG_BINARY, reinterpret_cast<const BYTE*>(figures), sizeof figures);
    ::RegCloseKey(k);
    std::fflush(stdout);
    ::ExitProcess(0);
}

// In the started process: measures the case and stores the figures.
int MeasureOne(const std::string& base, const std::string& key) {
    CreateTessmorelForms(::GetModuleHandleA(nullptr));
    double figures[4] = {-1, -1, -1, 0};
    classlib::TStringList list;
    figures[0] = bench::Time([&] { return ExportKey(HKEY_CURRENT_USER, base + "\\" + key, list); });
    const std::string text = list.Text();
    figures[3] = static_cast<double>(text.size());
    figures[1] = bench::Time([&] {
        frmKeyContent->rchedtContent.SetText(text);
        return true;
    });
    figures[2] = bench::Time([&] {
        frmKeyContent->FormShow(nullptr);
        return true;
    });
    // The editor is left as it stands: tearing it down is no part of the figures.
    return StoreFiguresAndExit(base, figures);
}

// In the started process: opens the key content editor on the key (program)
// or puts the key's text into a plain EDIT (floor); stores the seconds and
// the number of characters shown.
int MeasureOpen(const std::string& base, const std::string& key, bool floor) {
    CreateTessmorelForms(::GetModuleHandleA(nullptr));
    double figures[4] = {-1, -1, -1, 0};
    if (floor) {
        classlib::TStringList list;
        ExportKey(HKEY_CURRENT_USER, base + "\\" + key, list);
        const std::wstring text = classlib::ToWide(list.Text());
        RECT r{};
        ::GetWindowRect(frmKeyContent->rchedtContent.Handle, &r);
        HWND top = ::CreateWindowExW(0, L"STATIC", L"floor", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                                     nullptr, nullptr);
        HWND edit = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                          ES_AUTOHSCROLL | ES_NOHIDESEL | ES_WANTRETURN,
                                      0, 0, r.right - r.left, r.bottom - r.top, top, nullptr, nullptr, nullptr);
        ::SendMessageW(edit, WM_SETFONT, ::SendMessageW(frmKeyContent->rchedtContent.Handle, WM_GETFONT, 0, 0), 0);
        ::SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
        figures[0] = bench::Time([&] {
            ::SetWindowTextW(edit, text.c_str());
            ::ShowWindow(top, SW_SHOW);
            ::UpdateWindow(top);
            classlib::Application().ProcessMessages();
            return true;
        });
        figures[3] = ::GetWindowTextLengthW(edit);
    } else {
        TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, base + "\\" + key);
        node.MakeVisible();
        frmMain->trvwKeys.SetSelected(node);
        classlib::Seams().ShowModal = [&](classlib::TForm& form) {
            ::ShowWindow(form.Handle, SW_SHOW);
            ::UpdateWindow(form.Handle);
            classlib::Application().ProcessMessages();
            figures[3] = frmKeyContent->rchedtContent.TextLength();
            return classlib::mrOk;
        };
        figures[0] = bench::Time([&] {
            frmMain->pppmnitmKeyContentClick(nullptr);
            return true;
        });
    }
    return StoreFiguresAndExit(base, figures);
}

// One binary value's key, opened by the program and by the floor.
struct OpenCase {
    OpenCase(size_t bytes, const char* key) : Bytes(bytes), Key(key) {}
    size_t Bytes;
    std::string Key;
    double Characters = 0;
    bool OverCap = false;  // the program was stopped at kCap
    bench::Samples Program, Floor;
};

// Runs this program on a case; the figures it stored, or none when it did
// not end within kCap seconds (it is stopped then).
bool RunChild(const std::string& commandLine, const std::string& base, double (&figures)[4]) {
    HKEY k = nullptr;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, base.c_str(), 0, KEY_ALL_ACCESS, &k);
    ::RegDeleteValueA(k, kResult);
    PROCESS_INFORMATION pi;
    bool ended = false;
    if (bench::StartProgram(commandLine, std::string(), pi)) {
        ended = ::WaitForSingleObject(pi.hProcess, kCap * 1000) == WAIT_OBJECT_0;
        if (!ended) ::TerminateProcess(pi.hProcess, 1);
        bench::EndOfProgram(pi);
    }
    DWORD size = sizeof figures;
    if (ended) ::RegQueryValueExA(k, kResult, nullptr, nullptr, reinterpret_cast<BYTE*>(figures), &size);
    ::RegCloseKey(k);
    return ended;
}

void MeasureOpenCase(const std::string& self, const std::string& base, OpenCase& c, bool floor) {
    if (!floor && c.OverCap) return;
    double figures[4] = {-1, -1, -1, 0};
    const bool ended =
        RunChild(bench::Quote(self) + " " + bench::Quote(base) + " " + c.Key + (floor ? " floor" : " open"), base, figures);
    if (!floor && !ended) {
        c.OverCap = true;
        return;
    }
    (floor ? c.Floor : c.Program).Add(figures[0]);
    if (!floor) c.Characters = figures[3];
}

void PrintOpenCase(const OpenCase& c) {
    const double mb = static_cast<double>(c.Bytes) / (1024.0 * 1024.0);
    std::printf("one binary value of %zu KB (%.0f characters shown)\n", c.Bytes / 1024, c.Characters);
    bench::PrintSeconds("plain EDIT (floor)", c.Floor);
    if (c.OverCap)
        std::printf("  %-36s over %u s (stopped)\n", "opening the editor", static_cast<unsigned>(kCap));
    else
        bench::PrintSeconds("opening the editor", c.Program, "to floor", c.Floor);
    const bench::Summary f = c.Floor.Summary(), p = c.Program.Summary();
    if (!f.Failed()) std::printf("  %-36s min %8.3f s  median %8.3f s\n", "floor per MB", f.Min / mb, f.Median / mb);
    if (c.OverCap)
        std::printf("  %-36s over %.1f s\n", "editor per MB", kCap / mb);
    else if (!p.Failed())
        std::printf("  %-36s min %8.3f s  median %8.3f s\n", "editor per MB", p.Min / mb, p.Median / mb);
}

void Measure(const std::string& self, const std::string& base, Case& c) {
    double figures[4] = {-1, -1, -1, 0};
    HKEY k = nullptr;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, base.c_str(), 0, KEY_ALL_ACCESS, &k);
    ::RegDeleteValueA(k, kResult);
    if (bench::RunProgram(bench::Quote(self) + " " + bench::Quote(base) + " " + c.Key, std::string()) >= 0) {
        DWORD size = sizeof figures;
        ::RegQueryValueExA(k, kResult, nullptr, nullptr, reinterpret_cast<BYTE*>(figures), &size);
    }
    ::RegCloseKey(k);
    c.Export.Add(figures[0]);
    c.Fill.Add(figures[1]);
    c.Show.Add(figures[2]);
    c.Characters = figures[3];
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void SelectKey(const std::string& path) {
    TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, path);
    node.MakeVisible();
    frmMain->trvwKeys.SetSelected(node);
    frmMain->trvwKeysClick(nullptr);
}

// Key Content on the selected key, closed at once; the time until it stood.
double ShowKeyContent() {
    const auto start = Clock::now();
    frmMain->pppmnitmKeyContentClick(nullptr);
    return Seconds(start);
}

// A one-value key in the key content editor: as the first thing shown, and
// after the editor held a 5 MB file.
void SmallKeyAfterLargeText(const std::string& base) {
    char dir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, dir);
    const std::string file = std::string(dir) + "tessmorel_bench_" + std::to_string(::GetCurrentProcessId()) + ".reg";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\TessmorelBenchLarge]\r\n";
        char line[128];
        for (size_t size = 0, i = 0; size < 5u * 1024 * 1024; ++i) {
            const int n = std::snprintf(line, sizeof line, "\"Value%06zu\"=hex:0a,1b,2c,3d,4e,5f,60,71,82,93,a4,b5,c6\r\n", i);
            out.write(line, n);
            size += static_cast<size_t>(n);
        }
    }
    classlib::Seams().OpenFileName = [&](OPENFILENAMEW& ofn) {
        lstrcpynW(ofn.lpstrFile, classlib::ToWide(file).c_str(), static_cast<int>(ofn.nMaxFile));
        return true;
    };
    classlib::Seams().ShowModal = [](classlib::TForm&) { return classlib::mrOk; };

    SelectKey(base + "\\one");
    frmKeyContent->ClearContent();
    const double bare = ShowKeyContent();
    const auto t0 = Clock::now();
    frmMain->mnitmEditRegFileClick(nullptr);
    const double large = Seconds(t0);
    const int largeLength = frmKeyContent->rchedtContent.TextLength();
    const double after = ShowKeyContent();
    // The dropped control goes when the program is next idle.
    const auto t1 = Clock::now();
    ::Sleep(20);
    classlib::Application().ProcessMessages();
    const double idle = Seconds(t1) - 0.020;
    const bool right = frmKeyContent->rchedtContent.Text().find("\"only\"=\"value\"") != std::string::npos &&
                       frmKeyContent->rchedtContent.LineCount() < 5;
    std::printf("a one-value key: %.3f s as the first text, %.3f s after a file of %d characters (%.3f s to show it); "
                "%+.3f s against the bare fill (target: within 1 s)%s; then %.3f s of idle time to free the file\n",
                bare, after, largeLength, large, after - bare, right ? "" : "   (WRONG RESULT)", idle);
    ::DeleteFileA(file.c_str());
    classlib::ResetSeams();
}

// Cancel in the string editor: the time from the closed dialog to the end of
// the command, on a short and on a 1 MB string.
void CancelOnLongString(const std::string& base) {
    SelectKey(base + "\\str");
    Clock::time_point closed;
    classlib::Seams().ShowModal = [&](classlib::TForm&) {
        closed = Clock::now();
        return classlib::mrCancel;
    };
    double times[2] = {};
    const char* names[2] = {"short", "long"};
    for (int i = 0; i < 2; ++i) {
        classlib::TListView& list = frmMain->lstvwValues;
        for (int j = 0; j < list.Count(); ++j) list.Item(j).SetSelected(list.Item(j).Caption() == names[i]);
        frmMain->lstvwValuesDblClick(nullptr);
        times[i] = Seconds(closed);
    }
    std::printf("string editor, Cancel: %.3f s on a short string, %.3f s on a 1 MB string%s\n", times[0], times[1],
                frmStr->mmValue.TextLength() == 0 ? "" : "   (WRONG RESULT)");
    classlib::ResetSeams();
}

// Replace All over the 20,000 value names in the editor, against a plain
// replace of the same text in a string, and against that plain replace and
// one fill of the edit with its outcome; in rotated rounds, the editor given
// its text again before each Replace All (not timed).
void ReplaceAllValues() {
    const std::string text = frmKeyContent->rchedtContent.Text();
    std::string plain;
    size_t hits = 0;
    classlib::Seams().MessageBox = [](HWND, const std::string&, const std::string&, UINT) { return IDOK; };
    frmKeyContent->rplcdlgContent.FindText = L"Value";
    frmKeyContent->rplcdlgContent.ReplaceText = L"Entry";
    frmKeyContent->rplcdlgContent.MatchCase = false;
    bool right = true, first = true;
    bench::Rotation rotation;
    const bench::Samples& bare = rotation.Add("plain", [&] {
        return bench::Time([&] {
            plain.clear();
            hits = 0;
            size_t copied = 0;
            for (size_t at = text.find("Value"); at != std::string::npos; at = text.find("Value", copied)) {
                plain.append(text, copied, at - copied).append("Entry");
                copied = at + 5;
                ++hits;
            }
            plain.append(text, copied, std::string::npos);
            return true;
        });
    });
    const bench::Samples& all = rotation.Add("replace all", [&] {
        if (!first) frmKeyContent->rchedtContent.SetText(text);
        first = false;
        frmKeyContent->rchedtContent.SetSelection(0, 0);
        const double t = bench::Time([&] {
            frmKeyContent->rplcdlgContentReplaceAll(nullptr);
            return true;
        });
        right = right && frmKeyContent->rchedtContent.Text() == plain;
        return t;
    });
    // Most of it is the one fill of the edit.
    const bench::Samples& fill = rotation.Add("fill", [&] {
        frmKeyContent->rchedtContent.SetText("");
        return bench::Time([&] {
            frmKeyContent->rchedtContent.SetText(plain);
            return true;
        });
    });
    // The first round begins with the plain replace: the others use its outcome.
    rotation.Run(3);
    std::printf("Replace All, %zu hits in %zu characters, 3 rounds in rotated order%s\n", hits, text.size(),
                right ? "" : "   (WRONG RESULT)");
    bench::PrintMilliseconds("a plain string replace", bare);
    bench::PrintMilliseconds("the edit filled with the outcome", fill);
    bench::PrintMilliseconds("Replace All", all, "to plain replace", &bare);
    bench::PrintMilliseconds("Replace All", all, "to the fill", &fill);
    classlib::ResetSeams();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3) return MeasureOne(argv[1], argv[2]);
    if (argc == 4) return MeasureOpen(argv[1], argv[2], std::string(argv[3]) == "floor");

    const std::string base = "Software\\TessmorelBenchContent_" + std::to_string(::GetCurrentProcessId());
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, (base + "\\many").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
    std::vector<BYTE> small(64);
    for (int i = 0; i < 20000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Value%05d", i);
        if (i % 3 == 0) {
            const std::string s = "text " + std::to_string(i);
            ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(s.c_str()),
                             static_cast<DWORD>(s.size() + 1));
        } else if (i % 3 == 1) {
            const DWORD d = static_cast<DWORD>(i);
            ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&d), 4);
        } else {
            ::RegSetValueExA(key, name, 0, REG_BINARY, small.data(), static_cast<DWORD>(small.size()));
        }
    }
    ::RegCloseKey(key);
    // Bytes of every value, so the line holds letters, digits and commas.
    std::vector<OpenCase> opens = {{64 * 1024, "b64k"}, {256 * 1024, "b256k"}, {1024 * 1024, "b1m"}, {4096 * 1024, "b4m"}};
    for (OpenCase& c : opens) {
        std::vector<BYTE> blob(c.Bytes);
        for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<BYTE>(i * 37 + 11);
        ::RegCreateKeyExA(HKEY_CURRENT_USER, (base + "\\" + c.Key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &key, nullptr);
        ::RegSetValueExA(key, "blob", 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()));
        ::RegCloseKey(key);
    }

    char self[MAX_PATH];
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::function<void()>> steps;
        for (OpenCase& c : opens) {
            steps.push_back([&] { MeasureOpenCase(self, base, c, false); });
            steps.push_back([&] { MeasureOpenCase(self, base, c, true); });
        }
        bench::InTurn(round, steps);
    }
    std::printf("Opening the key content editor, %d rounds in rotated order, each in a new process\n", kRounds);
    for (const OpenCase& c : opens) PrintOpenCase(c);
    std::fflush(stdout);

    std::vector<Case> cases = {{"20,000 values", "many"}};
    for (int round = 0; round < kRounds; ++round)
        for (Case& c : cases) Measure(self, base, c);
    std::printf("Key content editor, %d rounds, each in a new process\n", kRounds);
    for (const Case& c : cases) {
        std::printf("%s: %.0f characters\n", c.What, c.Characters);
        bench::PrintSeconds("export", c.Export);
        bench::PrintSeconds("filling the editor", c.Fill);
        bench::PrintSeconds("showing", c.Show);
    }

    // The editors in this process: a small key after a large text, Cancel
    // on a long string, Replace All over 20,000 names.
    ::RegCreateKeyExA(HKEY_CURRENT_USER, (base + "\\one").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
    ::RegSetValueExA(key, "only", 0, REG_SZ, reinterpret_cast<const BYTE*>("value"), 6);
    ::RegCloseKey(key);
    ::RegCreateKeyExA(HKEY_CURRENT_USER, (base + "\\str").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
    std::string data;
    while (data.size() < 1024 * 1024) data += "a line of text in a long string value\r\n";
    ::RegSetValueExA(key, "long", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                     static_cast<DWORD>(data.size() + 1));
    ::RegSetValueExA(key, "short", 0, REG_SZ, reinterpret_cast<const BYTE*>("short"), 6);
    ::RegCloseKey(key);
    CreateTessmorelForms(::GetModuleHandleA(nullptr));
    SmallKeyAfterLargeText(base);
    CancelOnLongString(base);
    classlib::TStringList many;
    ExportKey(HKEY_CURRENT_USER, base + "\\many", many);
    frmKeyContent->rchedtContent.SetText(many.Text());
    ReplaceAllValues();
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, base);
    std::fflush(stdout);
    ::ExitProcess(0);  // tearing the editors down is no part of the figures
}
