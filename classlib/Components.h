#pragma once
// Components: the named parts of a form. A component answers to its name at
// run time (the language loader sets captions and hints by name), carries a
// Tag, and forwards the Windows notifications of its control to the events
// that the form binds to its handlers.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Exceptions.h"

namespace classlib {

class TForm;
class TControl;
class TPopupMenu;
class TImageList;

class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

// An event handler bound to a member function of a form.
template <class Form, class Base>
TNotifyEvent Handler(Form* form, void (Base::*method)(TObject*)) {
    return [form, method](TObject* sender) { (form->*method)(sender); };
}

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TComponent : public TObject {
public:
    std::string Name;
    int Tag = 0;
    TForm* Owner = nullptr;

    // Sets a published text property by name ("Caption", "Hint"); false when
    // the component has no such property.
    virtual bool SetTextProperty(const std::string& prop, const std::string& value);
    virtual std::string GetTextProperty(const std::string& prop) const;
    // The text of an item by its position (a column, a tab, a radio item);
    // false when the component has no such item.
    virtual bool SetItemText(int index, const std::string& text);
    virtual std::string GetItemText(int index) const;
};

class TControl : public TComponent {
public:
    TControl() = default;
    // A control that dies before its window hands the window back to its
    // own procedure, so no message reaches the destroyed object.
    ~TControl() override;
    HWND Handle = nullptr;
    TAlign Align = TAlign::alNone;
    TControl* Parent = nullptr;   // for layout; nullptr means the form
    TPopupMenu* PopupMenu = nullptr;
    std::string Hint;
    TNotifyEvent OnClick;
    TNotifyEvent OnResize;

    std::string Caption() const;
    void SetCaption(const std::string& text);
    // The text by its real (wide) characters, which the code page may not
    // hold; Caption is the same text in the code page.
    std::wstring WideCaption() const;
    void SetWideCaption(const std::wstring& text);
    bool Visible() const { return Handle && ::IsWindowVisible(Handle); }
    void SetVisible(bool visible);
    bool Enabled() const { return Handle && ::IsWindowEnabled(Handle); }
    void SetEnabled(bool enabled);
    void SetFocus();
    bool Focused() const { return Handle && ::GetFocus() == Handle; }
    RECT BoundsRect() const;  // in the parent's client co-ordinates
    void SetBounds(int left, int top, int width, int height);
    int Width() const;
    int Height() const;
    // Lays out the aligned children of this control (or of the form).
    void Realign();
    std::vector<TControl*> Children;

    bool SetTextProperty(const std::string& prop, const std::string& value) override;
    std::string GetTextProperty(const std::string& prop) const override;

    // Hooks from the form's message dispatch.
    virtual void HandleCommand(WORD /*code*/) {}
    virtual LRESULT HandleNotify(NMHDR* /*hdr*/, bool& /*handled*/) { return 0; }
    // Places the control; combo boxes keep their own height.
    virtual void PlaceAt(int left, int top, int width, int height);

    // Attaches to a window and subclasses it for keyboard and mouse events.
    // Every window of the program is made by the wide functions and takes
    // wide messages, so what is typed arrives as typed.
    void Subclass();
    // Restores the window's own procedure and clears its user-data slot.
    void Unhook();
    virtual bool HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // False once the destructor has run.
    bool Alive() const { return FCanary == kAlive; }
    // Messages that found a destroyed control and were turned away: a
    // lifetime fault somewhere (the tests keep it at zero).
    static int DeadMessages();

protected:
    WNDPROC FOldProc = nullptr;
    // The window's own procedure, with wide messages.
    LRESULT CallOldProc(UINT msg, WPARAM wp, LPARAM lp);
    // Runs a key-press handler on a WM_CHAR: true when the handler dropped
    // or changed the character (the message is then dealt with, result set).
    bool RaiseKeyPress(const std::function<void(TObject*, wchar_t&)>& handler, WPARAM wp, LPARAM lp,
                       LRESULT& result);
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static void CountDeadMessage();

private:
    static constexpr unsigned kAlive = 0x4C697665u, kDead = 0xDEADC0DEu;
    unsigned FCanary = kAlive;
};

// A window's text read by the wide functions.
std::wstring WindowTextW(HWND window);

// The shift state of the keyboard as the MK_ flags of the key events.
UINT KeyboardShiftState();

// Key events: virtual-key code (changeable) and shift state (MK_ flags).
using TKeyEvent = std::function<void(TObject* sender, WORD& key, UINT shift)>;
// A typed character (a UTF-16 unit, as typed); a handler that sets it to 0
// drops it, one that changes it has the new one typed instead.
using TKeyPressEvent = std::function<void(TObject* sender, wchar_t& key)>;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, UINT shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, UINT shift, int x, int y)>;

enum class TBevelCut { bvNone, bvLowered, bvRaised };

// Paints over a control's background: device context and client area.
using TPaintEvent = std::function<void(TObject* sender, HDC dc, const RECT& client)>;

// A plain panel: optional caption, colour and bevel, forwards the commands
// and notifications of its children to its parent, and reports clicks,
// double clicks, the focus and the mouse (a button pressed on the panel
// reports its release wherever the pointer is then). A double click without
// a handler counts as a second press.
class TPanel : public TControl {
public:
    static void RegisterClass(HINSTANCE instance);
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnEnter;  // the panel got the focus
    // Draws between the background and the bevel, into a buffer that is
    // shown in one piece (no flicker while it changes often).
    TPaintEvent OnPaint;
    COLORREF Color = CLR_INVALID;  // the background; CLR_INVALID: the face colour
    TBevelCut Bevel() const { return FBevel; }
    void SetBevel(TBevelCut bevel);
    bool HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool MouseMessage(UINT msg, WPARAM wp, LPARAM lp);
    void Paint(HDC dc, const RECT& client);
    TBevelCut FBevel = TBevelCut::bvNone;
};

// The splitter between two aligned controls: dragging it changes the width
// of the control before it.
class TSplitter : public TControl {
public:
    static void RegisterClass(HINSTANCE instance);
    TControl* Control = nullptr;  // the control whose width it changes
    int MinSize = 30;
    bool HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool FDragging = false;
    int FStartX = 0, FStartWidth = 0;
};

class TButton : public TControl {
public:
    int ModalResult = 0;
    void HandleCommand(WORD code) override;
};

class TEdit : public TControl {
public:
    TNotifyEvent OnChange;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyDown;  // a handler that sets the key to 0 keeps it from the control
    TKeyEvent OnKeyUp;
    void HandleCommand(WORD code) override;
    bool HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    std::string Text() const { return Caption(); }
    void SetText(const std::string& s) { SetCaption(s); }
    // The text as typed, by its real characters.
    std::wstring WideText() const;
    void SetWideText(const std::wstring& s);
};

// A drop-down combo box. OnClick: an entry was chosen from the list (by
// mouse, or by the arrow keys in the closed box), and the box already shows
// it; OnDropDown: the list opens; OnKeyDown: a key went down in the edit
// part (Enter included).
class TComboBox : public TControl {
public:
    ~TComboBox() override;
    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;
    TKeyEvent OnKeyDown;
    // Starts reporting the keys of the edit part.
    void WatchKeys();
    std::string Text() const { return Caption(); }
    void SetText(const std::string& s) { SetCaption(s); }
    int ItemCount() const;
    std::string Item(int index) const;
    void AddItem(const std::string& s);
    // Text and entries by their real characters.
    std::wstring WideText() const;
    void SetWideText(const std::wstring& s);
    std::wstring WideItem(int index) const;
    void AddItem(const std::wstring& s);
    // The edit part (nullptr before WatchKeys).
    HWND EditWindow() const { return FEdit; }
    void InsertItem(int index, const std::string& s);
    void DeleteItem(int index);
    void ClearItems();
    int IndexOf(const std::string& s) const;  // exact, case-insensitive
    void HandleCommand(WORD code) override;
    void PlaceAt(int left, int top, int width, int height) override;

private:
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
    HWND FEdit = nullptr;
};

// The image list with the program's 16x16 images.
class TImageList : public TComponent {
public:
    HIMAGELIST Handle = nullptr;
    ~TImageList() override;
    // Loads a horizontal strip of 16x16 images; magenta is transparent.
    void LoadStrip(HINSTANCE instance, int bitmapId);
    int Count() const { return Handle ? ImageList_GetImageCount(Handle) : 0; }
};

// Owned RAII handle for a GDI object.
class TGdiObject {
public:
    explicit TGdiObject(HGDIOBJ h = nullptr) : FHandle(h) {}
    ~TGdiObject() { if (FHandle) ::DeleteObject(FHandle); }
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;
    HGDIOBJ Get() const { return FHandle; }
    HGDIOBJ Release() { HGDIOBJ h = FHandle; FHandle = nullptr; return h; }

private:
    HGDIOBJ FHandle;
};

// Selects a GDI object into a device context for its lifetime and puts the
// one it replaced back.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) : FDC(dc), FOld(object ? ::SelectObject(dc, object) : nullptr) {}
    ~TSelectObject() { if (FOld) ::SelectObject(FDC, FOld); }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC FDC;
    HGDIOBJ FOld;
};

// A window's device context for its lifetime, with a font selected: the
// given one, or the window's own.
class TWindowDC {
public:
    explicit TWindowDC(HWND window, HGDIOBJ font = nullptr)
        : FDC{window, ::GetDC(window)},
          FFont(FDC.DC, font ? font : reinterpret_cast<HGDIOBJ>(::SendMessageA(window, WM_GETFONT, 0, 0))) {}
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC Get() const { return FDC.DC; }

private:
    struct TReleased {
        HWND Window;
        HDC DC;
        ~TReleased() { ::ReleaseDC(Window, DC); }
    };
    TReleased FDC;        // released last,
    TSelectObject FFont;  // after the font is put back
};

// Shows the hourglass cursor for its lifetime (nests).
class THourGlass {
public:
    THourGlass();
    ~THourGlass();
    THourGlass(const THourGlass&) = delete;
    THourGlass& operator=(const THourGlass&) = delete;
    static bool Active();
};

}  // namespace classlib
