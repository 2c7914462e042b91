#include "Menus.h"

#include <cctype>
#include <deque>
#include <iterator>

#include "Forms.h"

namespace classlib {

namespace {

struct KeyName {
    const char* Name;
    WORD Key;
};

const KeyName kKeyNames[] = {
    {"Del", VK_DELETE}, {"Ins", VK_INSERT},   {"Enter", VK_RETURN}, {"Esc", VK_ESCAPE}, {"Tab", VK_TAB},
    {"Home", VK_HOME},  {"End", VK_END},      {"PgUp", VK_PRIOR},   {"PgDn", VK_NEXT},  {"Space", VK_SPACE},
    {"BkSp", VK_BACK},  {"Left", VK_LEFT},    {"Right", VK_RIGHT},  {"Up", VK_UP},      {"Down", VK_DOWN},
};

// The run-time command numbers: the ones never handed out, then the ones
// given back, in the order they came back.
class TCommandNumbers {
public:
    int Take() {
        if (FNext < kEndRuntimeCommand) return FNext++;
        if (FFree.empty()) throw EMenuFull("Every menu command number is in use");
        const int n = FFree.front();
        FFree.pop_front();
        return n;
    }
    void GiveBack(int n) { FFree.push_back(n); }

private:
    int FNext = kFirstRuntimeCommand;
    std::deque<int> FFree;
};

// Never destroyed: menu items may go after the statics at the program's end.
TCommandNumbers& CommandNumbers() {
    static TCommandNumbers* numbers = new TCommandNumbers;
    return *numbers;
}

}  // namespace

TShortCut TextToShortCut(const std::string& text) {
    TShortCut sc;
    std::string rest = text;
    for (;;) {
        if (rest.compare(0, 5, "Ctrl+") == 0) {
            sc.Ctrl = true;
            rest.erase(0, 5);
        } else if (rest.compare(0, 4, "Alt+") == 0) {
            sc.Alt = true;
            rest.erase(0, 4);
        } else if (rest.compare(0, 6, "Shift+") == 0) {
            sc.Shift = true;
            rest.erase(0, 6);
        } else {
            break;
        }
    }
    if (rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0]))) {
        sc.Key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(rest[0])));
    } else if (rest.size() >= 2 && rest[0] == 'F' && std::isdigit(static_cast<unsigned char>(rest[1]))) {
        const int n = std::atoi(rest.c_str() + 1);
        if (n >= 1 && n <= 24) sc.Key = static_cast<WORD>(VK_F1 + n - 1);
    } else {
        for (const auto& k : kKeyNames)
            if (rest == k.Name) sc.Key = k.Key;
    }
    return sc;
}

// ---- TMenuItem ---------------------------------------------------------------

TMenuItem::~TMenuItem() {
    if (FRuntimeCommand) CommandNumbers().GiveBack(Command);
}

int TMenuItem::Position() const {
    const int n = ::GetMenuItemCount(Menu);
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOA mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_ID | MIIM_SUBMENU;
        if (!::GetMenuItemInfoA(Menu, static_cast<UINT>(i), TRUE, &mi)) continue;
        if (static_cast<int>(mi.wID) == Command && (SubMenu == nullptr || mi.hSubMenu == SubMenu)) return i;
    }
    return -1;
}

std::string TMenuItem::FullText() const {
    const int pos = Position();
    if (pos < 0) return {};
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STRING;
    if (!::GetMenuItemInfoA(Menu, static_cast<UINT>(pos), TRUE, &mi) || mi.cch == 0) return {};
    std::string text(mi.cch + 1, '\0');
    mi.dwTypeData = &text[0];
    mi.cch = static_cast<UINT>(text.size());
    if (!::GetMenuItemInfoA(Menu, static_cast<UINT>(pos), TRUE, &mi)) return {};
    text.resize(mi.cch);
    return text;
}

std::string TMenuItem::Caption() const {
    std::string s = FullText();
    const size_t tab = s.find('\t');
    return tab == std::string::npos ? s : s.substr(0, tab);
}

void TMenuItem::SetCaption(const std::string& caption) {
    const int pos = Position();
    if (pos < 0) return;
    std::string text = caption + ShortCutText;
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STRING;
    mi.dwTypeData = &text[0];
    ::SetMenuItemInfoA(Menu, static_cast<UINT>(pos), TRUE, &mi);
}

bool TMenuItem::Enabled() const {
    const int pos = Position();
    if (pos < 0) return false;
    return (::GetMenuState(Menu, static_cast<UINT>(pos), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) == 0;
}

void TMenuItem::SetEnabled(bool enabled) {
    const int pos = Position();
    if (pos >= 0) ::EnableMenuItem(Menu, static_cast<UINT>(pos), MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool TMenuItem::Checked() const {
    const int pos = Position();
    return pos >= 0 && (::GetMenuState(Menu, static_cast<UINT>(pos), MF_BYPOSITION) & MF_CHECKED);
}

void TMenuItem::SetChecked(bool checked) {
    const int pos = Position();
    if (pos >= 0) ::CheckMenuItem(Menu, static_cast<UINT>(pos), MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void TMenuItem::Click() {
    if (OnClick) OnClick(this);
}

TMenuItem* TMenuItem::Add(const std::string& caption, int tag, TNotifyEvent onClick) {
    return AddItem(caption, tag, std::move(onClick), caption == "-");
}

TMenuItem* TMenuItem::AddNamed(const std::string& name, int tag, TNotifyEvent onClick) {
    std::string caption;
    caption.reserve(name.size());
    for (char c : name) {
        if (c == '&') caption += '&';
        caption += c;
    }
    return AddItem(caption, tag, std::move(onClick), false);
}

TMenuItem* TMenuItem::AddItem(const std::string& caption, int tag, TNotifyEvent onClick, bool separator) {
    if (!SubMenu) throw EInvalidOperation("Menu item has no sub-menu");
    auto item = std::make_unique<TMenuItem>();
    item->Parent = this;
    item->Menu = SubMenu;
    item->Tag = tag;
    item->OwnerMenu = OwnerMenu;
    item->OnClick = std::move(onClick);
    if (separator) {
        item->Command = 0;
        ::AppendMenuA(SubMenu, MF_SEPARATOR, 0, nullptr);
    } else {
        item->Command = CommandNumbers().Take();
        item->FRuntimeCommand = true;  // given back when the item goes, whatever follows
        ::AppendMenuA(SubMenu, MF_STRING, static_cast<UINT_PTR>(item->Command), caption.c_str());
    }
    TMenuItem* raw = item.get();
    Items.push_back(raw);
    OwnerMenu->AllItems.push_back(std::move(item));
    return raw;
}

void TMenuItem::DeleteAt(int index) {
    TMenuItem* item = Items.at(static_cast<size_t>(index));
    ::DeleteMenu(SubMenu, static_cast<UINT>(index), MF_BYPOSITION);
    Items.erase(Items.begin() + index);
    // Items made at run time lie at the end: look from there.
    auto& all = OwnerMenu->AllItems;
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (it->get() == item) {
            all.erase(std::next(it).base());
            break;
        }
}

void TMenuItem::DeleteFrom(int index) {
    while (Count() > index && index >= 0) DeleteAt(Count() - 1);
}

void TMenuItem::Remove(TMenuItem* item) {
    for (int i = Count() - 1; i >= 0; --i)
        if (Items[static_cast<size_t>(i)] == item) {
            DeleteAt(i);
            return;
        }
}

bool TMenuItem::SetTextProperty(const std::string& prop, const std::string& value) {
    if (prop == "Caption") {
        SetCaption(value);
        return true;
    }
    return false;
}

std::string TMenuItem::GetTextProperty(const std::string& prop) const { return prop == "Caption" ? Caption() : ""; }

// ---- TMenu -------------------------------------------------------------------

TMenu::~TMenu() {
    // A main menu belongs to its window; a pop-up menu is ours.
    if (Handle && IsPopup) ::DestroyMenu(Handle);
}

void TMenu::Walk(HMENU menu, TMenuItem& parent) {
    parent.SubMenu = menu;
    const int n = ::GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        char buf[512] = {};
        MENUITEMINFOA mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        mi.dwTypeData = buf;
        mi.cch = sizeof buf - 1;
        if (!::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mi)) continue;
        auto item = std::make_unique<TMenuItem>();
        item->Parent = &parent;
        item->Menu = menu;
        item->Command = static_cast<int>(mi.wID);
        item->OwnerMenu = this;
        item->Owner = Form;
        const std::string text = buf;
        const size_t tab = text.find('\t');
        if (tab != std::string::npos) {
            item->ShortCut = TextToShortCut(text.substr(tab + 1));
            item->ShortCutText = text.substr(tab);
        }
        TMenuItem* raw = item.get();
        parent.Items.push_back(raw);
        AllItems.push_back(std::move(item));
        if (mi.hSubMenu) Walk(mi.hSubMenu, *raw);
    }
}

void TMenu::Load(TForm& form, int resourceId, bool popup) {
    Form = &form;
    Owner = &form;
    IsPopup = popup;
    Root.OwnerMenu = this;
    Handle = ::LoadMenuA(Application().Instance, MAKEINTRESOURCEA(resourceId));
    if (!Handle) throw EInvalidOperation("Menu resource " + std::to_string(resourceId) + " not found");
    if (popup && !::GetSubMenu(Handle, 0)) {
        // A pop-up menu whose items are all made at run time.
        while (::GetMenuItemCount(Handle) > 0) ::DeleteMenu(Handle, 0, MF_BYPOSITION);
        ::AppendMenuA(Handle, MF_POPUP, reinterpret_cast<UINT_PTR>(::CreatePopupMenu()), "");
    }
    Walk(popup ? ::GetSubMenu(Handle, 0) : Handle, Root);
}

TMenuItem* TMenu::FindByCommand(int id) {
    if (id == 0) return nullptr;
    for (auto& item : AllItems)
        if (item->Command == id) return item.get();
    return nullptr;
}

TMenuItem* TMenu::FindByMenu(HMENU submenu) {
    for (auto& item : AllItems)
        if (item->SubMenu == submenu) return item.get();
    return nullptr;
}

TMenuItem* TMenu::FindShortCut(WORD key, bool ctrl, bool alt, bool shift) {
    for (auto& item : AllItems)
        if (item->ShortCut.Matches(key, ctrl, alt, shift)) return item.get();
    return nullptr;
}

TMenuItem* TMenu::Bind(int id, const std::string& name, int tag) {
    TMenuItem* item = FindByCommand(id);
    if (!item) throw EInvalidOperation("Menu item " + name + " is missing from its menu");
    item->Tag = tag;
    if (Form) Form->Register(*item, name);
    return item;
}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup(this);
    HWND owner = Form ? Form->Handle : nullptr;
    const UINT cmd = static_cast<UINT>(::TrackPopupMenu(::GetSubMenu(Handle, 0), TPM_RETURNCMD | TPM_RIGHTBUTTON, x,
                                                        y, 0, owner, nullptr));
    if (cmd != 0)
        if (TMenuItem* item = FindByCommand(static_cast<int>(cmd))) item->Click();
}

}  // namespace classlib
