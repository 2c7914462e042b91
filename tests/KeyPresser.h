#pragma once
// Keys pressed from outside the process: key_presser.sh types, under the X
// server, into the window a test case names, and says when it is done.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "Forms.h"
#include "Text.h"

namespace keypresser {

// The request file the presser watches; empty when no presser runs.
inline std::string& RequestFile() {
    static std::string file = std::getenv("TESSMOREL_TYPE_REQUEST") ? std::getenv("TESSMOREL_TYPE_REQUEST") : "";
    return file;
}

inline void LetMessagesRun(DWORD ms) {
    const DWORD until = ::GetTickCount() + ms;
    while (static_cast<LONG>(until - ::GetTickCount()) > 0) {
        classlib::Application().ProcessMessages();
        ::Sleep(10);
    }
}

// Lets messages run until no key has come for a while: the keys pressed
// from outside may still be on their way when the presser is done.
inline void LetKeysArrive() {
    const DWORD start = ::GetTickCount();
    DWORD quiet = ::GetTickCount();
    while (::GetTickCount() - quiet < 400 && ::GetTickCount() - start < 5000) {
        if (HIWORD(::GetQueueStatus(QS_KEY))) quiet = ::GetTickCount();
        classlib::Application().ProcessMessages();
        ::Sleep(10);
    }
}

// Asks the presser to put the keyboard on the X window of top (when it is
// elsewhere), then to type text and press keys (xdotool names, "-" for
// none), and lets messages run until it is done.
inline void Request(HWND top, const std::wstring& text, const std::string& keys) {
    static int number = 0;
    const std::string& file = RequestFile();
    const auto window = reinterpret_cast<UINT_PTR>(::GetPropA(top, "__wine_x11_whole_window"));
    ASSERT_NE(window, 0u) << "no X window";
    const int n = ++number;
    {
        std::ofstream out(file + ".new", std::ios::binary | std::ios::trunc);
        out << n << "\n" << window << "\n" << classlib::ToUtf8(text) << "\n" << keys << "\n";
    }
    ::MoveFileExA((file + ".new").c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
    const std::string done = file.substr(0, file.rfind('\\') + 1) + "done-" + std::to_string(n);
    const DWORD start = ::GetTickCount();
    while (::GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES && ::GetTickCount() - start < 60000)
        LetMessagesRun(20);
    ASSERT_NE(::GetFileAttributesA(done.c_str()), INVALID_FILE_ATTRIBUTES) << "the presser did not answer";
    LetKeysArrive();
}

// The keyboard on the window that holds the focus, as a click would put it.
inline void FocusReal() {
    HWND top = ::GetAncestor(::GetFocus(), GA_ROOT);
    ASSERT_NE(top, nullptr);
    if (::GetForegroundWindow() != top) ::SetForegroundWindow(top);
    Request(top, L"", "-");
}

}  // namespace keypresser
