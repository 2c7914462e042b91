#pragma once
// Menus built from menu resources: every item with an id becomes a named
// component; shortcuts are read from the text after the tab of a caption.
#include "Components.h"

namespace classlib {

struct TShortCut {
    WORD Key = 0;        // virtual-key code, 0 for none
    bool Ctrl = false, Alt = false, Shift = false;
    bool Matches(WORD key, bool ctrl, bool alt, bool shift) const {
        return Key != 0 && Key == key && Ctrl == ctrl && Alt == alt && Shift == shift;
    }
};

TShortCut TextToShortCut(const std::string& text);

class TMenuItem : public TComponent {
public:
    ~TMenuItem() override;
    TMenuItem* Parent = nullptr;
    std::vector<TMenuItem*> Items;      // children, in menu order
    TNotifyEvent OnClick;
    TShortCut ShortCut;
    std::string ShortCutText;           // the caption's tail from its tab on ("\tCtrl+C")
    int Command = 0;                    // command id
    HMENU Menu = nullptr;               // the menu this item lies in
    HMENU SubMenu = nullptr;            // its own pop-up, if any
    class TMenu* OwnerMenu = nullptr;

    std::string Caption() const;        // without the shortcut text
    // Sets the text before the shortcut; the shortcut text stays.
    void SetCaption(const std::string& caption);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Checked() const;
    void SetChecked(bool checked);
    void SetImageIndex(int index) { FImageIndex = index; }
    int ImageIndex() const { return FImageIndex; }
    void Click();

    // Adds an item at the end of this item's sub-menu; a caption of "-"
    // makes a separator. The menu owns it. Throws EMenuFull when no command
    // number is free.
    TMenuItem* Add(const std::string& caption, int tag, TNotifyEvent onClick);
    // Adds an item that shows exactly the name: an "&" stays a character,
    // a "-" is an item like any other.
    TMenuItem* AddNamed(const std::string& name, int tag, TNotifyEvent onClick);
    // Removes the run-time items from index on.
    void DeleteFrom(int index);
    // Removes one item of this item's sub-menu (looked for from the last).
    void Remove(TMenuItem* item);
    int Count() const { return static_cast<int>(Items.size()); }

    bool SetTextProperty(const std::string& prop, const std::string& value) override;
    std::string GetTextProperty(const std::string& prop) const override;

private:
    int FImageIndex = -1;
    bool FRuntimeCommand = false;  // Command was taken from the run-time numbers
    int Position() const;
    std::string FullText() const;
    void DeleteAt(int index);
    TMenuItem* AddItem(const std::string& caption, int tag, TNotifyEvent onClick, bool separator);
};

class TMenu : public TComponent {
public:
    HMENU Handle = nullptr;
    TMenuItem Root;  // its Items are the top-level items
    ~TMenu() override;
    // Loads a menu resource; items are bound by their ids.
    void Load(TForm& form, int resourceId, bool popup);
    TMenuItem* FindByCommand(int id);
    TMenuItem* FindByMenu(HMENU submenu);
    TMenuItem* FindShortCut(WORD key, bool ctrl, bool alt, bool shift);
    // Names a loaded item (found by command id) and gives it its Tag.
    TMenuItem* Bind(int id, const std::string& name, int tag = 0);
    bool IsPopup = false;
    TForm* Form = nullptr;
    std::vector<std::unique_ptr<TMenuItem>> AllItems;  // the menu owns every item

private:
    void Walk(HMENU menu, TMenuItem& parent);
};

class TMainMenu : public TMenu {};

class TPopupMenu : public TMenu {
public:
    TNotifyEvent OnPopup;
    void Popup(int x, int y);
};

// Command ids for items made at run time: from kFirstRuntimeCommand (above
// every id of the menu and dialog resources) up to, not including,
// kEndRuntimeCommand (where the system commands begin). Each live item holds
// a number of its own; a removed item's number is taken again only when
// every number has been handed out once, the longest-free first.
constexpr int kFirstRuntimeCommand = 0x3000;
constexpr int kEndRuntimeCommand = 0xF000;

// No command number is free: every one belongs to a live item.
class EMenuFull : public EInvalidOperation {
public:
    using EInvalidOperation::EInvalidOperation;
};

}  // namespace classlib
