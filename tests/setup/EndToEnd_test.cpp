// Installs with the built setup.exe and removes it again with the installed
// UnInstall.exe, driving their windows from outside as a user would.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <thread>

#include "../TestSupport.h"
#include "Payload.h"
#include "SetupResource.h"

namespace {

using Files = std::map<std::string, long long>;

std::string ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string BinDir() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\'));
}

void Walk(const std::string& dir, const std::string& rel, Files& files, int depth = 0) {
    if (depth > 24) return;
    WIN32_FIND_DATAA d;
    HANDLE h = ::FindFirstFileA((dir + "\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = d.cFileName;
        if (name == "." || name == "..") continue;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files[rel + name + "\\"] = -1;
            if (!(d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                Walk(dir + "\\" + name, rel + name + "\\", files, depth + 1);
        } else {
            files[rel + name] = (static_cast<long long>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
        }
    } while (::FindNextFileA(h, &d));
    ::FindClose(h);
}

// What the machine holds: files of drive C: and the registry's software
// keys, without what other tests and Wine itself change meanwhile.
struct Snapshot {
    Files Disk, Home;
    TreeImage Machine, User;
};

bool Volatile(const std::string& path) {
    // Temporary folders, Wine's logs, and the editor's favourites file, which
    // the editor writes at every close (here and in the tests beside this).
    static const char* const kSkip[] = {"windows\\temp\\", "users\\root\\temp\\", "users\\root\\appdata\\local\\temp\\",
                                        "windows\\logs\\", "windows\\inf\\", "windows\\tessmorel_favorites.ini"};
    std::string lower = path;
    for (char& c : lower) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    for (const char* s : kSkip)
        if (lower.compare(0, strlen(s), s) == 0) return true;
    return false;
}

Snapshot Take() {
    Snapshot s;
    Files all;
    Walk("C:", "", all);
    for (const auto& f : all)
        if (!Volatile(f.first)) s.Disk.insert(f);
    char home[MAX_PATH] = {};
    if (::GetEnvironmentVariableA("HOME", home, MAX_PATH)) {
        std::string unix = home, path = "Z:";
        for (char c : unix) path += c == '/' ? '\\' : c;
        Walk(path, "", s.Home);
    }
    s.Machine = Image(HKEY_LOCAL_MACHINE, "Software");
    s.User = Image(HKEY_CURRENT_USER, "Software");
    // Scratch keys of tests running beside this one.
    for (TreeImage* t : {&s.User}) {
        for (auto it = t->Keys.begin(); it != t->Keys.end();)
            it = it->first.rfind(L"\\TessmorelTest_", 0) == 0 ? t->Keys.erase(it) : std::next(it);
        for (auto it = t->Values.begin(); it != t->Values.end();)
            it = it->first.rfind(L"\\TessmorelTest_", 0) == 0 ? t->Values.erase(it) : std::next(it);
    }
    return s;
}

template <class Map>
std::vector<std::string> Diff(const Map& a, const Map& b) {
    std::vector<std::string> out;
    auto name = [](const auto& k) { return std::string(k.begin(), k.end()); };
    for (const auto& e : a)
        if (!b.count(e.first)) out.push_back("- " + name(e.first));
        else if (!(b.at(e.first) == e.second)) out.push_back("~ " + name(e.first));
    for (const auto& e : b)
        if (!a.count(e.first)) out.push_back("+ " + name(e.first));
    return out;
}

bool WaitFor(const std::function<bool()>& done, int ms = 20000) {
    for (int t = 0; t < ms; t += 50) {
        if (done()) return true;
        ::Sleep(50);
    }
    return done();
}

HWND WaitWindow(const char* title, const char* cls = nullptr) {
    HWND found = nullptr;
    WaitFor([&] {
        found = ::FindWindowA(cls, title);
        return found && ::IsWindowVisible(found);
    });
    return found;
}

void Click(HWND window, int id) {
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
}

// Answers the next message box with the given button; returns its text.
std::string Answer(const char* title, int button) {
    HWND box = WaitWindow(title, "#32770");
    if (!box) return "(no box)";
    char text[512] = {};
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    Click(box, button);
    WaitFor([&] { return !::IsWindow(box); });
    return text;
}

struct Process {
    PROCESS_INFORMATION Info{};
    explicit Process(const std::string& exe, const std::string& dir = std::string()) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        std::string cmd = "\"" + exe + "\"";
        ::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.empty() ? nullptr : dir.c_str(),
                         &si, &Info);
    }
    ~Process() {
        if (Info.hProcess && ::WaitForSingleObject(Info.hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(Info.hProcess, 1);
        if (Info.hProcess) ::CloseHandle(Info.hProcess);
        if (Info.hThread) ::CloseHandle(Info.hThread);
    }
    bool Started() const { return Info.hProcess != nullptr; }
    bool Ended(int ms = 20000) const { return ::WaitForSingleObject(Info.hProcess, ms) == WAIT_OBJECT_0; }
};

std::string RunAndRead(const std::string& command) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    ::CreatePipe(&read, &write, &sa, 0);
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = write;
    PROCESS_INFORMATION pi{};
    std::string cmd = command, out;
    if (::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
        ::CloseHandle(write);
        char buf[4096];
        DWORD got = 0;
        while (::ReadFile(read, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
        ::WaitForSingleObject(pi.hProcess, 20000);
        ::CloseHandle(pi.hProcess);
        ::CloseHandle(pi.hThread);
    } else {
        ::CloseHandle(write);
    }
    ::CloseHandle(read);
    return out;
}

std::string LinkTarget(const std::string& link) {
    IShellLinkA* sl = nullptr;
    IPersistFile* pf = nullptr;
    std::string target;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                     reinterpret_cast<void**>(&sl))) &&
        SUCCEEDED(sl->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf))) &&
        SUCCEEDED(pf->Load(W(link).c_str(), STGM_READ))) {
        char path[MAX_PATH] = {};
        if (SUCCEEDED(sl->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH))) target = path;
    }
    if (pf) pf->Release();
    if (sl) sl->Release();
    return target;
}

std::string ShellFolder(const char* name) {
    classlib::TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (!reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", false)) return "";
    return reg.ReadString(name);
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

TEST(EndToEnd, InstallThenUninstall) {
    ::CoInitialize(nullptr);
    const std::string bin = BinDir(), payload = bin + "\\..\\payload";
    const std::string dir = "C:\\Inst\\Zarvo\\Tessmorel";
    const std::string programs = ShellFolder("Programs"), desktop = ShellFolder("Desktop");
    ASSERT_FALSE(Exists("C:\\Inst")) << "left over from an earlier run";
    classlib::DeleteRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Zarvo");
    const Snapshot before = Take();

    {
        Process setup(bin + "\\setup.exe");
        ASSERT_TRUE(setup.Started());
        HWND page = WaitWindow("Welcome");
        ASSERT_TRUE(page);
        Click(page, IDC_NEXT);
        ASSERT_TRUE(page = WaitWindow("Software License Agreement"));
        Click(page, IDC_NEXT);
        ASSERT_TRUE(page = WaitWindow("User Information"));
        ::SendDlgItemMessageA(page, IDC_EDTNAME, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Ann User"));
        ::SendDlgItemMessageA(page, IDC_EDTCOMPANY, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Firm"));
        Click(page, IDC_NEXT);
        ASSERT_TRUE(page = WaitWindow("Choose Destination Location"));
        ::SendDlgItemMessageA(page, IDC_EDTDIR, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("C:\\Inst\\"));
        Click(page, IDC_NEXT);
        EXPECT_EQ(Answer("System Query", IDYES), "Direcotry not exists,will you create it?");
        ASSERT_TRUE(page = WaitWindow("Setup Complete"));
        Click(page, IDC_NEXT);  // Finish, with "None"
        EXPECT_TRUE(setup.Ended());
    }

    // Every file is its input; the temporary file is the setup's tail.
    for (const char* name : kPayloadNames)
        EXPECT_TRUE(ReadAll(dir + "\\" + name) == ReadAll(payload + "\\" + name)) << name;
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string temp = std::string(windows) + "\\TEMP\\ZARVOTS_TMP~";
    const std::string setupBytes = ReadAll(bin + "\\setup.exe"), tempBytes = ReadAll(temp);
    ASSERT_LT(tempBytes.size(), setupBytes.size());
    EXPECT_TRUE(setupBytes.compare(setupBytes.size() - tempBytes.size(), tempBytes.size(), tempBytes) == 0);

    const std::string group = programs + "\\Tessmorel\\";
    EXPECT_EQ(Lower(LinkTarget(group + "Tessmorel.lnk")), Lower(dir + "\\Tessmorel.exe"));
    EXPECT_EQ(Lower(LinkTarget(group + "Readme.lnk")), Lower(dir + "\\Readme.txt"));
    EXPECT_EQ(Lower(LinkTarget(group + "License.lnk")), Lower(dir + "\\License.txt"));
    EXPECT_EQ(Lower(LinkTarget(group + "Help.lnk")), Lower(dir + "\\Tessmorel.hlp"));
    EXPECT_EQ(Lower(LinkTarget(group + "UnInstall.lnk")), Lower(dir + "\\UnInstall.exe"));
    EXPECT_EQ(Lower(LinkTarget(desktop + "\\Tessmorel.lnk")), Lower(dir + "\\Tessmorel.exe"));

    classlib::TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("Software\\Zarvo\\Tessmorel", false));
    EXPECT_EQ(reg.ReadString("PATH"), dir);
    EXPECT_EQ(reg.ReadString("UserName"), "Ann User");
    EXPECT_EQ(reg.ReadString("Company"), "Firm");
    ASSERT_TRUE(reg.OpenKey("SOFTWARE\\Microsoft\\Windows\\Help", false));
    EXPECT_EQ(reg.ReadString("Tessmorel.hlp"), dir);
    ASSERT_TRUE(reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessmorel", false));
    EXPECT_EQ(reg.ReadString("DisplayName"), "Zarvo Tessmorel");
    EXPECT_EQ(reg.ReadString("UninstallString"), "\"" + dir + "\\UnInstall.exe\"");
    reg.CloseKey();
    EXPECT_NE(RunAndRead("uninstaller.exe --list").find("Tessmorel|||Zarvo Tessmorel"), std::string::npos);
    // A note of the user's own in the Start-menu group.
    std::ofstream(group + "note.txt") << "the user's own";

    {
        // While the installed editor runs, UnInstall fails and changes nothing.
        Process editor(dir + "\\Tessmorel.exe", dir);
        HWND main = WaitWindow("Zarvo Tessmorel");
        ASSERT_TRUE(main);
        const Snapshot installed = Take();
        Process uninstall(dir + "\\UnInstall.exe", dir);
        HWND window = WaitWindow("UnInstall");
        ASSERT_TRUE(window);
        Click(window, IDC_BUTTON1);
        EXPECT_EQ(Answer("System Query", IDYES), "Sure to UnInstall Zarvo Tessmorel Now?");
        EXPECT_EQ(Answer("System Notify", IDOK), "Delete file failed.Close All Tessmorel then try again.");
        // Nothing was removed, so no line says so.
        for (int id : {IDC_LBLAPP, IDC_LBLREADME, IDC_LBLLICENSE, IDC_LBLHELP, IDC_LBLLANGUAGE})
            EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(window, id))) << id;
        Click(window, IDC_BTNOK);
        EXPECT_TRUE(uninstall.Ended());
        const Snapshot after = Take();
        EXPECT_EQ(Diff(installed.Disk, after.Disk), std::vector<std::string>{});
        EXPECT_EQ(Diff(installed.Machine.Values, after.Machine.Values), std::vector<std::string>{});
        ::PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(editor.Ended());
    }

    {
        std::ofstream(dir + "\\mine.txt") << "the user's own";
        Process uninstall(dir + "\\UnInstall.exe", dir);
        HWND window = WaitWindow("UnInstall");
        ASSERT_TRUE(window);
        Click(window, IDC_BUTTON1);
        EXPECT_EQ(Answer("System Query", IDYES), "Sure to UnInstall Zarvo Tessmorel Now?");
        ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(::GetDlgItem(window, IDC_BTNOK)) != FALSE; }));
        Click(window, IDC_BTNOK);
        EXPECT_TRUE(uninstall.Ended());
        EXPECT_TRUE(WaitFor([&] { return !Exists(dir + "\\ZARVO_TESSMOREL~.BAT"); }, 60000));
    }
    EXPECT_EQ(ReadAll(dir + "\\mine.txt"), "the user's own");
    EXPECT_FALSE(Exists(dir + "\\UnInstall.exe"));
    // The group keeps the user's note, and so stays; the shortcuts are gone.
    EXPECT_EQ(ReadAll(group + "note.txt"), "the user's own");
    for (const char* name : {"Tessmorel", "Readme", "License", "Help", "UnInstall"})
        EXPECT_FALSE(Exists(group + name + ".lnk")) << name;
    EXPECT_FALSE(Exists(desktop + "\\Tessmorel.lnk"));

    ::DeleteFileA((group + "note.txt").c_str());
    ::RemoveDirectoryA((programs + "\\Tessmorel").c_str());
    ::DeleteFileA((dir + "\\mine.txt").c_str());
    ::RemoveDirectoryA(dir.c_str());
    ::RemoveDirectoryA("C:\\Inst\\Zarvo");
    ::RemoveDirectoryA("C:\\Inst");
    const Snapshot end = Take();
    EXPECT_EQ(Diff(before.Disk, end.Disk), std::vector<std::string>{});
    EXPECT_EQ(Diff(before.Home, end.Home), std::vector<std::string>{});
    // Keys the setup made are gone again; keys that were there stay.
    EXPECT_EQ(Diff(before.Machine.Keys, end.Machine.Keys), std::vector<std::string>{});
    EXPECT_EQ(Diff(before.Machine.Values, end.Machine.Values), std::vector<std::string>{});
    EXPECT_EQ(Diff(before.User.Values, end.User.Values), std::vector<std::string>{});
    classlib::DeleteRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Zarvo");
    ::CoUninitialize();
}
