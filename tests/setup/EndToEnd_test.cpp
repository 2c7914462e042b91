// Installs with the built setup.exe and removes it again with the installed
// UnInstall.exe, driving their windows from outside as a user would.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include "../TestSupport.h"
#include "Payload.h"
#include "SetupResource.h"

namespace {

// Files by their real (wide) names: the install folder is one the code page
// cannot name.
using Files = std::map<std::wstring, long long>;

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring BinDir() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s = path;
    return s.substr(0, s.find_last_of(L'\\'));
}

void Walk(const std::wstring& dir, const std::wstring& rel, Files& files, int depth = 0) {
    if (depth > 24) return;
    WIN32_FIND_DATAW d;
    HANDLE h = ::FindFirstFileW((dir + L"\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = d.cFileName;
        if (name == L"." || name == L"..") continue;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files[rel + name + L"\\"] = -1;
            if (!(d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                Walk(dir + L"\\" + name, rel + name + L"\\", files, depth + 1);
        } else {
            files[rel + name] = (static_cast<long long>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
        }
    } while (::FindNextFileW(h, &d));
    ::FindClose(h);
}

// What the machine holds: files of drive C: and the registry's software
// keys, without what other tests and Wine itself change meanwhile.
struct Snapshot {
    Files Disk, Home;
    TreeImage Machine, User;
};

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(::towlower(c));
    return s;
}

bool Volatile(const std::wstring& path) {
    // Temporary folders, Wine's logs, and the editor's favourites file, which
    // the editor writes at every close (here and in the tests beside this).
    static const wchar_t* const kSkip[] = {L"windows\\temp\\", L"users\\root\\temp\\",
                                           L"users\\root\\appdata\\local\\temp\\", L"windows\\logs\\",
                                           L"windows\\inf\\", L"windows\\tessmorel_favorites.ini"};
    const std::wstring lower = Lower(path);
    for (const wchar_t* s : kSkip)
        if (lower.compare(0, wcslen(s), s) == 0) return true;
    return false;
}

Snapshot Take() {
    Snapshot s;
    Files all;
    Walk(L"C:", L"", all);
    for (const auto& f : all)
        if (!Volatile(f.first)) s.Disk.insert(f);
    wchar_t home[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"HOME", home, MAX_PATH)) {
        std::wstring unix = home, path = L"Z:";
        for (wchar_t c : unix) path += c == L'/' ? L'\\' : c;
        Walk(path, L"", s.Home);
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
    auto name = [](const auto& k) { return classlib::ToAnsi(std::wstring(k.begin(), k.end())); };
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

BOOL CALLBACK FindEdit(HWND child, LPARAM found) {
    wchar_t cls[16] = {};
    ::GetClassNameW(child, cls, 16);
    if (lstrcmpiW(cls, L"Edit") != 0 || !::IsWindowVisible(child)) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

struct Process {
    PROCESS_INFORMATION Info{};
    explicit Process(const std::wstring& exe, const std::wstring& dir = std::wstring()) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        std::wstring cmd = L"\"" + exe + L"\"";
        ::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.empty() ? nullptr : dir.c_str(),
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

// Where a shortcut points, by the wide interface.
std::wstring LinkTarget(const std::wstring& link) {
    IShellLinkW* sl = nullptr;
    IPersistFile* pf = nullptr;
    std::wstring target;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&sl))) &&
        SUCCEEDED(sl->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf))) &&
        SUCCEEDED(pf->Load(link.c_str(), STGM_READ))) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(sl->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH))) target = path;
    }
    if (pf) pf->Release();
    if (sl) sl->Release();
    return target;
}

// A string value read back through the wide functions.
std::wstring WideValue(HKEY root, const char* key, const wchar_t* name) {
    HKEY k = nullptr;
    if (::RegOpenKeyExW(root, W(key).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return L"(no key)";
    wchar_t data[1024] = {};
    DWORD size = sizeof data - sizeof(wchar_t), type = 0;
    const LONG rc = ::RegQueryValueExW(k, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(k);
    return rc == ERROR_SUCCESS && type == REG_SZ ? std::wstring(data) : L"(no value)";
}

std::wstring ShellFolder(const wchar_t* name) {
    return WideValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", name);
}

}  // namespace

// The destination is chosen in the Browse dialog as a folder the code page
// cannot name ("\u03A9" is not in code page 1252), with its best-fit twin
// beside it holding an installation of its own: every file, shortcut and
// registry value goes to the real folder, by its real name, and the twin
// stays as it was.
TEST(EndToEnd, InstallThenUninstall) {
    ::CoInitialize(nullptr);
    const std::wstring bin = BinDir(), payload = bin + L"\\..\\payload";
    const std::wstring top = L"C:\\\u03A9mega Apps", twin = L"C:\\Omega Apps";
    const std::wstring dir = top + L"\\Zarvo\\Tessmorel", twinDir = twin + L"\\Zarvo\\Tessmorel";
    const std::wstring programs = ShellFolder(L"Programs"), desktop = ShellFolder(L"Desktop");
    ASSERT_FALSE(Exists(top)) << "left over from an earlier run";
    ASSERT_FALSE(Exists(twin)) << "left over from an earlier run";
    classlib::DeleteRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Zarvo");
    for (const std::wstring& level : {twin, twin + L"\\Zarvo", twinDir}) ::CreateDirectoryW(level.c_str(), nullptr);
    for (const char* name : {"Tessmorel.exe", "UnInstall.exe", "Readme.txt"})
        WriteBytesTo(twinDir + L"\\" + W(name), "the twin's own");
    const Snapshot before = Take();

    std::wstring notMade;
    {
        Process setup(bin + L"\\setup.exe");
        ASSERT_TRUE(setup.Started());
        HWND page = WaitWindow("Welcome");
        ASSERT_TRUE(page);
        Click(page, IDC_NEXT);
        ASSERT_TRUE(page = WaitWindow("Software License Agreement"));
        Click(page, IDC_NEXT);
        ASSERT_TRUE(page = WaitWindow("User Information"));
        ::SendDlgItemMessageW(page, IDC_EDTNAME, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Ann \u03A9"));
        ::SendDlgItemMessageW(page, IDC_EDTCOMPANY, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"\u4E2D Firm"));
        Click(page, IDC_NEXT);
        ASSERT_TRUE(page = WaitWindow("Choose Destination Location"));
        // Browse, type the new folder's full name, OK, and let it be made.
        Click(page, IDC_SPEEDBUTTON1);
        HWND browse = WaitWindow("Browse for Folder", "#32770");
        ASSERT_TRUE(browse);
        HWND edit = nullptr;
        ASSERT_TRUE(
            WaitFor([&] { return !::EnumChildWindows(browse, FindEdit, reinterpret_cast<LPARAM>(&edit)) && edit; }));
        ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(top.c_str()));
        Click(browse, IDOK);
        EXPECT_EQ(Answer("System Query", IDYES), "Direcotry not exists,will you create it?");
        EXPECT_TRUE(WaitFor([&] { return Exists(top); }));
        Click(page, IDC_NEXT);
        EXPECT_EQ(Answer("System Query", IDYES), "Direcotry not exists,will you create it?");
        // Wine's shell stores a shortcut's target in the code page: every
        // shortcut it would turn towards the twin is reported, not made.
        const HWND box = WaitWindow("System Notify", "#32770");
        if (box) {
            wchar_t text[4096] = {};
            ::GetDlgItemTextW(box, 0xFFFF, text, 4096);
            notMade = text;
            Click(box, IDOK);
        }
        ASSERT_TRUE(page = WaitWindow("Setup Complete"));
        Click(page, IDC_NEXT);  // Finish, with "None"
        EXPECT_TRUE(setup.Ended());
    }

    // Every file is its input; the temporary file is the setup's tail.
    for (const char* name : kPayloadNames)
        EXPECT_TRUE(ReadBytesOf(dir + L"\\" + W(name)) == ReadBytesOf(payload + L"\\" + W(name))) << name;
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring temp = std::wstring(windows) + L"\\TEMP\\ZARVOTS_TMP~";
    const std::string setupBytes = ReadBytesOf(bin + L"\\setup.exe"), tempBytes = ReadBytesOf(temp);
    ASSERT_LT(tempBytes.size(), setupBytes.size());
    EXPECT_TRUE(setupBytes.compare(setupBytes.size() - tempBytes.size(), tempBytes.size(), tempBytes) == 0);

    // Each shortcut opens the real file, or was not made and is named in the
    // setup's report.
    const std::wstring group = programs + L"\\Tessmorel\\";
    const std::pair<std::wstring, const wchar_t*> links[] = {
        {group + L"Tessmorel.lnk", L"Tessmorel.exe"}, {group + L"Readme.lnk", L"Readme.txt"},
        {group + L"License.lnk", L"License.txt"},     {group + L"Help.lnk", L"Tessmorel.hlp"},
        {group + L"UnInstall.lnk", L"UnInstall.exe"}, {desktop + L"\\Tessmorel.lnk", L"Tessmorel.exe"}};
    for (const auto& link : links) {
        if (Exists(link.first))
            EXPECT_EQ(Lower(LinkTarget(link.first)), Lower(dir + L"\\" + link.second));
        else
            EXPECT_NE(notMade.find(L"\"" + link.first + L"\""), std::wstring::npos) << notMade;
    }

    const char kProduct[] = "Software\\Zarvo\\Tessmorel";
    const char kEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessmorel";
    EXPECT_EQ(WideValue(HKEY_LOCAL_MACHINE, kProduct, L"PATH"), dir);
    EXPECT_EQ(WideValue(HKEY_LOCAL_MACHINE, kProduct, L"UserName"), L"Ann \u03A9");
    EXPECT_EQ(WideValue(HKEY_LOCAL_MACHINE, kProduct, L"Company"), L"\u4E2D Firm");
    EXPECT_EQ(WideValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\Help", L"Tessmorel.hlp"), dir);
    EXPECT_EQ(WideValue(HKEY_LOCAL_MACHINE, kEntry, L"DisplayName"), L"Zarvo Tessmorel");
    EXPECT_EQ(WideValue(HKEY_LOCAL_MACHINE, kEntry, L"UninstallString"), L"\"" + dir + L"\\UnInstall.exe\"");
    EXPECT_NE(RunAndRead("uninstaller.exe --list").find("Tessmorel|||Zarvo Tessmorel"), std::string::npos);
    // A note of the user's own in the Start-menu group.
    WriteBytesTo(group + L"note.txt", "the user's own");

    {
        // While the installed editor runs, UnInstall fails and changes nothing.
        Process editor(dir + L"\\Tessmorel.exe", dir);
        HWND main = WaitWindow("Zarvo Tessmorel");
        ASSERT_TRUE(main);
        const Snapshot installed = Take();
        Process uninstall(dir + L"\\UnInstall.exe", dir);
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
        WriteBytesTo(dir + L"\\mine.txt", "the user's own");
        Process uninstall(dir + L"\\UnInstall.exe", dir);
        HWND window = WaitWindow("UnInstall");
        ASSERT_TRUE(window);
        Click(window, IDC_BUTTON1);
        EXPECT_EQ(Answer("System Query", IDYES), "Sure to UnInstall Zarvo Tessmorel Now?");
        ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(::GetDlgItem(window, IDC_BTNOK)) != FALSE; }));
        Click(window, IDC_BTNOK);
        EXPECT_TRUE(uninstall.Ended());
        EXPECT_TRUE(WaitFor([&] { return !Exists(dir + L"\\ZARVO_TESSMOREL~.BAT"); }, 60000));
    }
    EXPECT_EQ(ReadBytesOf(dir + L"\\mine.txt"), "the user's own");
    EXPECT_FALSE(Exists(dir + L"\\UnInstall.exe"));
    // The group keeps the user's note, and so stays; the shortcuts are gone.
    EXPECT_EQ(ReadBytesOf(group + L"note.txt"), "the user's own");
    for (const wchar_t* name : {L"Tessmorel", L"Readme", L"License", L"Help", L"UnInstall"})
        EXPECT_FALSE(Exists(group + name + L".lnk")) << name;
    EXPECT_FALSE(Exists(desktop + L"\\Tessmorel.lnk"));

    ::DeleteFileW((group + L"note.txt").c_str());
    ::RemoveDirectoryW((programs + L"\\Tessmorel").c_str());
    ::DeleteFileW((dir + L"\\mine.txt").c_str());
    for (const std::wstring& level : {dir, top + L"\\Zarvo", top}) ::RemoveDirectoryW(level.c_str());
    // Only now is the twin taken away: till here it is part of every
    // snapshot, and so untouched.
    const Snapshot end = Take();
    EXPECT_EQ(Diff(before.Disk, end.Disk), std::vector<std::string>{});
    EXPECT_EQ(Diff(before.Home, end.Home), std::vector<std::string>{});
    // Keys the setup made are gone again; keys that were there stay.
    EXPECT_EQ(Diff(before.Machine.Keys, end.Machine.Keys), std::vector<std::string>{});
    EXPECT_EQ(Diff(before.Machine.Values, end.Machine.Values), std::vector<std::string>{});
    EXPECT_EQ(Diff(before.User.Values, end.User.Values), std::vector<std::string>{});
    for (const char* name : {"Tessmorel.exe", "UnInstall.exe", "Readme.txt"})
        ::DeleteFileW((twinDir + L"\\" + W(name)).c_str());
    for (const std::wstring& level : {twinDir, twin + L"\\Zarvo", twin}) ::RemoveDirectoryW(level.c_str());
    classlib::DeleteRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Zarvo");
    ::CoUninitialize();
}
