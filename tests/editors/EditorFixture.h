#pragma once
// The whole program started for one test, with helpers that type into the
// editors' controls the way Windows delivers keys.
#include <functional>

#include "../browser/BrowserFixture.h"
#include "UnitBin.h"
#include "UnitDword.h"
#include "UnitStr.h"

class EditorTest : public BrowserTest {
protected:
    void SetUp() override { StartProgram(); }

    // Typed characters, as WM_CHAR.
    static void Type(HWND h, const std::string& keys) {
        for (char k : keys) ::SendMessageA(h, WM_CHAR, static_cast<unsigned char>(k), 1);
    }
    // One key pressed and released, with Ctrl and Shift as given.
    static void Press(HWND h, WORD key, bool ctrl = false, bool shift = false) {
        HoldKeys(ctrl, shift);
        ::SendMessageA(h, WM_KEYDOWN, key, 1);
        ::SendMessageA(h, WM_KEYUP, key, 0xC0000001);
        HoldKeys(false, false);
    }
    static void HoldKeys(bool ctrl, bool shift) {
        BYTE state[256] = {};
        ::GetKeyboardState(state);
        state[VK_CONTROL] = state[VK_LCONTROL] = ctrl ? 0x80 : 0;
        state[VK_SHIFT] = state[VK_LSHIFT] = shift ? 0x80 : 0;
        ::SetKeyboardState(state);
    }
    // A click on a button, delivered to its dialog as the button sends it.
    static void Click(classlib::TButton& button) {
        ::SendMessageA(::GetParent(button.Handle), WM_COMMAND,
                       MAKEWPARAM(::GetDlgCtrlID(button.Handle), BN_CLICKED), reinterpret_cast<LPARAM>(button.Handle));
    }
    static void Select(HWND h, int start, int length) { ::SendMessageA(h, EM_SETSEL, start, start + length); }
    static std::pair<int, int> Selection(HWND h) {
        DWORD s = 0, e = 0;
        ::SendMessageA(h, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
        return {static_cast<int>(s), static_cast<int>(e - s)};
    }
    // String data as the registry stores it: UTF-16 units, nothing added.
    static std::vector<BYTE> Utf16(const std::wstring& s) {
        const auto* p = reinterpret_cast<const BYTE*>(s.data());
        return std::vector<BYTE>(p, p + s.size() * sizeof(wchar_t));
    }
    static std::vector<BYTE> Utf16(const std::string& s) { return Utf16(classlib::ToWide(s)); }
    static void Pump() {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
};

// The binary editor on the rich-edit hex column (NT family, true) or the memo
// (Windows 95 family, false).
class BinEditorFixture : public EditorTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        if (!GetParam()) PretendWindows(VER_PLATFORM_WIN32_WINDOWS, 4, 10);
        StartProgram();
    }
    HWND Hex() { return frmBin->HexColumn().Handle; }
    HWND Chars() { return frmBin->mmValueString.Handle; }
};
