// The main window's ways to a key by its address: the address bar with its
// history, Root and Go panels, the Go To dialog, Go To Last, and the
// Current Key dialog.
#include "UnitCurrentKey.h"
#include "UnitGoTo.h"
#include "UnitMain.h"
#include "zrvDialog.h"
#include "zrvRegistry.h"
#include "zrvString.h"

using namespace classlib;

namespace {

// Whether a point of a panel lies strictly inside its inset rectangle.
bool InsideInset(const TPanel& panel, int x, int y, int left, int right) {
    return x > left && x < panel.Width() - right && y > 5 && y < panel.Height() - 10;
}

// Only blanks, or nothing.
bool Blank(const std::wstring& text) { return text.find_first_not_of(L" \t\r\n") == std::wstring::npos; }

// A path without the separators at its ends.
std::wstring StripSlashes(const std::wstring& path) {
    const size_t first = path.find_first_not_of(L'\\');
    if (first == std::wstring::npos) return {};
    return path.substr(first, path.find_last_not_of(L'\\') - first + 1);
}

// Raised while the pointer is inside the inset, no bevel elsewhere.
void TrackBevel(TPanel& panel, bool pressed, int x, int y, int left, int right) {
    if (pressed) return;
    panel.SetBevel(InsideInset(panel, x, y, left, right) ? TBevelCut::bvRaised : TBevelCut::bvNone);
}

}  // namespace

void TfrmMain::BindAddressCommands() {
    cmbbxAddress.WatchKeys();
    cmbbxAddress.OnClick = Handler(this, &TfrmMain::cmbbxAddressClick);
    cmbbxAddress.OnKeyDown = [this](TObject* s, WORD& k, UINT sh) { cmbbxAddressKeyDown(s, k, sh); };
    cmbbxAddress.OnDropDown = Handler(this, &TfrmMain::cmbbxAddressDropDown);
    pnlGo.OnMouseMove = [this](TObject* s, UINT sh, int x, int y) { pnlGoMouseMove(s, sh, x, y); };
    pnlGo.OnMouseDown = [this](TObject* s, TMouseButton b, UINT sh, int x, int y) { pnlGoMouseDown(s, b, sh, x, y); };
    pnlGo.OnMouseUp = [this](TObject* s, TMouseButton b, UINT sh, int x, int y) { pnlGoMouseUp(s, b, sh, x, y); };
    pnlRoot.OnMouseMove = [this](TObject* s, UINT sh, int x, int y) { pnlRootMouseMove(s, sh, x, y); };
    pnlRoot.OnMouseDown = [this](TObject* s, TMouseButton b, UINT sh, int x, int y) {
        pnlRootMouseDown(s, b, sh, x, y);
    };
    pnlRoot.OnMouseUp = [this](TObject* s, TMouseButton b, UINT sh, int x, int y) { pnlRootMouseUp(s, b, sh, x, y); };
    mnitmGoTo->OnClick = Handler(this, &TfrmMain::mnitmGoToClick);
    mnitmGoToLast->OnClick = Handler(this, &TfrmMain::mnitmGoToLastClick);
    mnitmKeyCurrent->OnClick = pppmnitmKeyCurrent->OnClick = Handler(this, &TfrmMain::pppmnitmKeyCurrentClick);
}

bool TfrmMain::GoToKey(HKEY rootKey, const std::string& keyPath) { return GoToKey(rootKey, ToWide(keyPath)); }

bool TfrmMain::GoToKey(HKEY rootKey, const std::wstring& keyPath) {
    TTreeNode node;
    try {
        node = FindKeyNode(rootKey, keyPath);
        if (!node && KeyIsThere(rootKey, keyPath)) {
            // A level on the way was listed before the key came: list it again.
            TTreeNode deepest = DeepestKeyNode(rootKey, keyPath);
            TTreeData* data = NodeData(deepest);
            if (data && data->Loaded) {
                RefreshNode(deepest);
                node = FindKeyNode(rootKey, keyPath);
            }
        }
    } catch (...) {
        node = TTreeNode();
    }
    return ShowKeyNode(node, rootKey, keyPath);
}

TTreeNode TfrmMain::ChildNamed(TTreeNode parent, const std::wstring& name) {
    for (TTreeNode c = parent.FirstChild(); c; c = c.NextSibling()) {
        TTreeData* data = NodeData(c);
        if (data && ::lstrcmpiW(data->WideName.c_str(), name.c_str()) == 0) return c;
    }
    return TTreeNode();
}

// Walks keyPath down the tree from its root node as far as it goes, loading
// each level first when asked; whole tells whether every part was found.
TTreeNode TfrmMain::WalkKeyNodes(HKEY rootKey, const std::wstring& keyPath, bool load, bool& whole) {
    const int index = RootKeyIndex(rootKey);
    TTreeNode node = index < 0 ? TTreeNode() : FRootNodes.at(static_cast<size_t>(index));
    whole = bool(node);
    for (size_t start = 0; node && start < keyPath.size();) {
        size_t end = keyPath.find(L'\\', start);
        if (end == std::wstring::npos) end = keyPath.size();
        const std::wstring part = keyPath.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        if (load) EnsureSubKeysLoaded(node);
        const TTreeNode found = ChildNamed(node, part);
        if (!found) {
            whole = false;
            break;
        }
        node = found;
    }
    return node;
}

TTreeNode TfrmMain::FindKeyNode(HKEY rootKey, const std::wstring& keyPath) {
    bool whole = false;
    const TTreeNode node = WalkKeyNodes(rootKey, keyPath, true, whole);
    return whole ? node : TTreeNode();
}

TTreeNode TfrmMain::DeepestKeyNode(HKEY rootKey, const std::wstring& keyPath) {
    bool whole = false;
    return WalkKeyNodes(rootKey, keyPath, false, whole);
}

bool TfrmMain::KeyIsThere(HKEY rootKey, const std::wstring& keyPath) {
    // A key that this user may not read is there all the same.
    TRegKey key;
    const LONG opened = key.Open(rootKey, StripSlashes(keyPath), KEY_QUERY_VALUE);
    return opened == ERROR_SUCCESS || opened == ERROR_ACCESS_DENIED;
}

bool TfrmMain::ShowKeyNode(TTreeNode node, HKEY rootKey, const std::wstring& keyPath) {
    try {
        // The tree may still hold a key that another program has deleted;
        // one that exists but may not be read is selected with no values.
        TRegKey key;
        const LONG opened =
            node && NodeData(node) ? key.Open(rootKey, GetNodeKeyPath(node), KEY_READ) : ERROR_FILE_NOT_FOUND;
        if (opened == ERROR_SUCCESS || opened == ERROR_ACCESS_DENIED) {
            TTreeNode parent = node.Parent();
            (parent ? parent : node).Expand(false);
            trvwKeys.SetSelected(node);
            ClearValueList();
            LoadValues(node);
            frmGoTo->GoToDone = true;
            ShowNodeLongName(node);
            AddAddressHistory(ToWide(RootKeyToName(NodeData(node)->RootKey)) + L":" + GetNodeKeyPath(node), true);
            return true;
        }
    } catch (...) {
        // Reported below like a key that is not there.
    }
    frmGoTo->GoToDone = false;
    const std::string root = RootKeyToName(rootKey);
    const std::string path = ShownName(keyPath);
    const std::string longName = path.empty() ? "[" + root + "]" : "[" + root + "\\" + path + "]";
    // LF, then CR: the message puts the key on a line of its own. A key
    // that is there but out of this user's reach is not called missing.
    bool there = false;
    try {
        there = KeyIsThere(rootKey, keyPath);
    } catch (...) {
    }
    NotifyError((there ? msgKeyAccessDenied : msgWithoutKey) + "\n\r" + longName);
    return false;
}

void TfrmMain::GoToAddress(const std::string& address) { GoToAddress(ToWide(address)); }

void TfrmMain::GoToAddress(const std::wstring& address) {
    const size_t colon = address.find(L':');
    if (colon == std::wstring::npos) return;
    const HKEY root = NameToRootKey(UpperCaseAscii(ToAnsi(address.substr(0, colon))));
    if (!root) return;
    GoToKey(root, address.substr(colon + 1));
}

void TfrmMain::AddAddressHistory(const std::string& address, bool show) { AddAddressHistory(ToWide(address), show); }

void TfrmMain::AddAddressHistory(const std::wstring& address, bool show) {
    bool known = false;
    for (int i = 0; i < cmbbxAddress.ItemCount() && !known; ++i)
        known = ::lstrcmpiW(cmbbxAddress.WideItem(i).c_str(), address.c_str()) == 0;
    if (!known) cmbbxAddress.AddItem(address);
    if (show) cmbbxAddress.SetWideText(address);
}

void TfrmMain::AddRootKeyMenuItem(const std::string& rootName) {
    pppmnRootKey.Root.Add(rootName, 0, Handler(this, &TfrmMain::RootKeyAdd));
}

void TfrmMain::RootKeyAdd(TObject* sender) {
    if (auto* item = dynamic_cast<TMenuItem*>(sender)) cmbbxAddress.SetText(item->Caption() + ":");
}

void TfrmMain::cmbbxAddressClick(TObject*) {
    const std::wstring text = cmbbxAddress.WideText();
    if (Blank(text)) return;
    try {
        GoToAddress(text);
    } catch (...) {
        NotifyError(msgWithoutKey + ":" + ShownName(text));
    }
}

void TfrmMain::cmbbxAddressKeyDown(TObject* sender, WORD& key, UINT) {
    // Moving through the closed list with the arrow keys only changes the
    // text; opening the list lets a choice go to its key again.
    cmbbxAddress.OnClick = nullptr;
    if (key != VK_RETURN) return;
    key = 0;
    cmbbxAddressClick(sender);
}

void TfrmMain::cmbbxAddressDropDown(TObject*) { cmbbxAddress.OnClick = Handler(this, &TfrmMain::cmbbxAddressClick); }

void TfrmMain::pnlGoMouseMove(TObject*, UINT, int x, int y) { TrackBevel(pnlGo, FGoPressed, x, y, 8, 16); }

void TfrmMain::pnlGoMouseDown(TObject*, TMouseButton, UINT, int, int) {
    FGoPressed = true;
    pnlGo.SetBevel(TBevelCut::bvLowered);
}

void TfrmMain::pnlGoMouseUp(TObject*, TMouseButton, UINT, int, int) {
    pnlGo.SetBevel(TBevelCut::bvNone);
    const std::wstring text = cmbbxAddress.WideText();
    if (!Blank(text)) {
        try {
            GoToAddress(text);
        } catch (...) {
            NotifyError("Key:" + ShownName(text) + " not exists!");
        }
    }
    FGoPressed = false;
}

void TfrmMain::pnlRootMouseMove(TObject*, UINT, int x, int y) { TrackBevel(pnlRoot, FRootPressed, x, y, 5, 10); }

void TfrmMain::pnlRootMouseDown(TObject*, TMouseButton, UINT, int, int) {
    pnlRoot.SetBevel(TBevelCut::bvLowered);
    FRootPressed = true;
}

void TfrmMain::pnlRootMouseUp(TObject*, TMouseButton, UINT, int, int) {
    POINT at{};
    ::GetCursorPos(&at);
    pnlRoot.SetBevel(TBevelCut::bvNone);
    FRootPressed = false;
    pppmnRootKey.Popup(at.x, at.y);
}

void TfrmMain::mnitmGoToClick(TObject*) {
    if (frmGoTo->ShowModal() != mrOk) return;
    THourGlass wait;
    GoToKey(frmGoTo->RootKey, frmGoTo->edtKey.WideText());
}

void TfrmMain::mnitmGoToLastClick(TObject* sender) {
    if (!frmGoTo->GoToDone) return mnitmGoToClick(sender);
    THourGlass wait;
    GoToKey(frmGoTo->RootKey, frmGoTo->edtKey.WideText());
}

void TfrmMain::pppmnitmKeyCurrentClick(TObject*) {
    TTreeNode node = trvwKeys.Selected();
    TTreeData* data = NodeData(node);
    if (!node || !data) {
        NotifyInfo(msgNoneCurrentKey);
        return;
    }
    // The key's real names, which the code page may not hold.
    frmCurrentKey->edtShortName.SetWideText(GetNodeKeyPath(node));
    frmCurrentKey->edtLongName.SetWideText(GetNodeKeyLongName(node));
    frmCurrentKey->ShowModal();
}
