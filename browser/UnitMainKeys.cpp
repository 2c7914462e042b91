// The main window's commands that create, rename and delete keys and values.
#include "UnitMain.h"
#include "zrvDialog.h"
#include "zrvKeyTree.h"
#include "zrvRegistry.h"

using namespace classlib;

namespace {

int TagOf(TObject* sender) {
    auto* c = dynamic_cast<TComponent*>(sender);
    return c ? c->Tag : -1;
}

// The registry's limits on names; Wine takes longer ones that Windows refuses.
const size_t kMaxKeyName = 255;
const size_t kMaxValueName = 16383;

std::wstring JoinPath(const std::wstring& parent, const std::wstring& name) {
    return parent.empty() ? name : parent + L"\\" + name;
}

}  // namespace

void TfrmMain::BindKeyCommands() {
    mnitmNewKey->OnClick = pppmnitmKeyNewKey->OnClick = Handler(this, &TfrmMain::pppmnitmKeyNewKeyClick);
    for (TMenuItem* item : {mnitmNewDwordValue, mnitmNewStringValue, mnitmNewBinaryValue, pppmnitmKeyNewDwordValue,
                            pppmnitmKeyNewStringValue, pppmnitmKeyNewBinaryValue, pppmnitmValueNewDwordValue,
                            pppmnitmValueNewStringValue, pppmnitmValueNewBinaryValue})
        item->OnClick = Handler(this, &TfrmMain::pppmnitmKeyNewStringValueClick);
    for (TMenuItem* item : {mnitmKeyRename, pppmnitmKeyRename, mnitmValueRename, pppmnitmValueRename})
        item->OnClick = Handler(this, &TfrmMain::pppmnitmKeyRenameClick);
    for (TMenuItem* item : {mnitmKeyDel, pppmnitmKeyDel, mnitmValueDel, pppmnitmValueDel})
        item->OnClick = Handler(this, &TfrmMain::pppmnitmKeyDelClick);
    trvwKeys.OnEdited = [this](TObject* s, TTreeNode n, std::wstring& t) { trvwKeysEdited(s, n, t); };
    lstvwValues.OnEdited = [this](TObject* s, TListItem i, std::wstring& t) { lstvwValuesEdited(s, i, t); };
}

// ---- New key and new values ------------------------------------------------------

void TfrmMain::pppmnitmKeyNewKeyClick(TObject*) {
    TTreeNode parent = trvwKeys.Selected();
    TTreeData* parentData = NodeData(parent);
    if (!parent || !parentData) return;
    TTreeNode node;
    try {
        const std::wstring parentPath = GetNodeKeyPath(parent);
        const std::string name = NewKeyName(parentData->RootKey, parentPath);
        EnsureSubKeysLoaded(parent);
        node = trvwKeys.AddChild(parent, name, nullptr, 0, 1, TNodeSort::Sorted);
        parent.Expand(false);
        // Created only inside a parent that still exists: a key that another
        // program deleted meanwhile is not made again.
        TRegKey parentKey, created;
        if (parentKey.Open(parentData->RootKey, parentPath, KEY_CREATE_SUB_KEY) != ERROR_SUCCESS ||
            ::RegCreateKeyExW(parentKey.Get(), ToWide(name).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ,
                              nullptr, created.Put(), nullptr) != ERROR_SUCCESS) {
            created.Release();
            node.Delete();
            NotifyError(msgCreatekeyFailed);
            if (!parentKey) RefreshNode(parent);
            return;
        }
        auto* data = new TTreeData();
        data->RootKey = parentData->RootKey;
        data->KeyName = UpperCaseAscii(name);
        data->WideName = ToWide(name);
        TVITEMA item{};
        item.mask = TVIF_PARAM | TVIF_HANDLE;
        item.hItem = node.ItemId();
        item.lParam = reinterpret_cast<LPARAM>(data);
        ::SendMessageA(trvwKeys.Handle, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        trvwKeys.SetFocus();
        node.Select();
        node.EditText();
    } catch (...) {
        if (node) node.Delete();
        NotifyError(msgCreatekeyFailed);
    }
}

void TfrmMain::pppmnitmKeyNewStringValueClick(TObject* sender) {
    const int kind = TagOf(sender);
    TTreeNode node = trvwKeys.Selected();
    TTreeData* nodeData = NodeData(node);
    if (!node || !nodeData || kind < mtNewBinary || kind > mtNewString) return;
    TListItem added;
    try {
        const std::wstring path = GetNodeKeyPath(node);
        FRegistry.SetRootKey(nodeData->RootKey);
        if (!FRegistry.OpenKey(path, false)) {
            NotifyError(msgCreateValueFailed);
            return;
        }
        FRegistry.CloseKey();
        const std::string name = NewValueName(nodeData->RootKey, path);
        if (!FRegistry.OpenKey(path, false)) throw ERegistryException("The key is gone");
        if (kind == mtNewBinary)
            FRegistry.WriteBinaryData(name, nullptr, 0);
        else if (kind == mtNewDword)
            FRegistry.WriteInteger(name, 0);
        else
            FRegistry.WriteString(name, "");
        FRegistry.CloseKey();

        auto* view = new TViewData();
        view->RootKey = nodeData->RootKey;
        view->KeyPath = UpperCaseAscii(ToAnsi(path));
        view->ValueName = name;
        view->WideKeyPath = path;
        view->WideName = ToWide(name);
        TListItemSpec spec;
        spec.Caption = name;
        spec.Data = view;
        if (kind == mtNewBinary) {
            view->DataType = vkBinary;
            spec.ImageIndex = iiBinary;
            spec.SubItems = {"0", ""};
        } else if (kind == mtNewDword) {
            view->DataType = vkDword;
            view->DataText = "0";
            spec.ImageIndex = iiDword;
            spec.SubItems = {"4", "0x00000000(0)"};
        } else {
            view->DataType = vkString;
            spec.ImageIndex = iiString;
            spec.SubItems = {"0", "\"\""};
        }
        added = lstvwValues.Add(std::move(spec));
        lstvwValues.SetFocus();
        for (int i = 0; i < lstvwValues.Count(); ++i) lstvwValues.Item(i).SetSelected(false);
        added.SetSelected(true);
        added.Focus();
        added.MakeVisible();
        added.EditCaption();
    } catch (...) {
        FRegistry.CloseKey();
        if (added) added.Delete();
        NotifyError(msgCreateValueFailed);
    }
}

// ---- Rename ----------------------------------------------------------------------

void TfrmMain::pppmnitmKeyRenameClick(TObject* sender) {
    const int tag = TagOf(sender);
    if (tag == mtKey)
        BeginRenameKey();
    else if (tag == mtValue)
        BeginRenameValue();
}

void TfrmMain::BeginRenameKey() {
    TTreeNode node = trvwKeys.Selected();
    TTreeData* data = NodeData(node);
    if (node && data && !data->KeyName.empty()) node.EditText();
}

void TfrmMain::BeginRenameValue() {
    TListItem item = lstvwValues.Selected();
    if (item && ItemData(item)) item.EditCaption();
}

bool TfrmMain::RenameKey(HKEY rootKey, const std::wstring& oldPath, const std::wstring& newPath) {
    const size_t slash = newPath.rfind(L'\\');
    if ((slash == std::wstring::npos ? newPath.size() : newPath.size() - slash - 1) > kMaxKeyName) return false;
    try {
        FRegistry.SetRootKey(rootKey);
        if (!FRegistry.KeyExists(oldPath) || FRegistry.KeyExists(newPath)) return false;
        return FRegistry.MoveKey(oldPath, newPath, true);
    } catch (...) {
        return false;
    }
}

void TfrmMain::trvwKeysEdited(TObject*, TTreeNode node, std::wstring& text) {
    TTreeData* data = NodeData(node);
    if (!data) {
        node.Delete();
        return;
    }
    TTreeNode parent = node.Parent();
    const std::wstring oldPath = GetNodeKeyPath(node);
    const std::wstring newPath = JoinPath(GetNodeKeyPath(parent), text);
    // Where the name goes back, the node shows its own name in capitals.
    const std::wstring oldName = UpperCaseAscii(data->WideName);
    FRegistry.SetRootKey(data->RootKey);
    if (text.empty() || text.find(L'\\') != std::wstring::npos) {
        NotifyError(msgInvalidKeyName);
        text = oldName;
        return;
    }
    if (SameNameIgnoringCase(text, data->WideName)) return;
    if (FRegistry.KeyExists(newPath)) {
        NotifyError(ToWide(msgHaveSubkeyInSameName) + UpperCaseAscii(text));
        text = oldName;
        return;
    }
    if (RenameKey(data->RootKey, oldPath, newPath)) {
        data->KeyName = UpperCaseAscii(ToAnsi(text));
        data->WideName = text;
        // What is listed of the key now lives under the new name.
        if (node.Selected()) {
            ClearValueList();
            LoadValues(node);
            ShowNodeLongName(node);
            AddAddressHistory(ToWide(RootKeyToName(data->RootKey)) + L":" + newPath);
        }
    } else {
        text = oldName;
        NotifyError(msgRenameFailed);
        // A move that could not be taken back whole: show what is there.
        FRegistry.SetRootKey(data->RootKey);
        if (!FRegistry.KeyExists(oldPath) || FRegistry.KeyExists(newPath)) RefreshNodeLater(parent);
    }
}

bool TfrmMain::RenameValue(HKEY rootKey, const std::wstring& keyPath, const std::wstring& newName,
                           const std::wstring& oldName) {
    if (newName.size() > kMaxValueName) return false;
    bool done = false;
    try {
        FRegistry.SetRootKey(rootKey);
        if (FRegistry.OpenKey(keyPath, false)) {
            if (!FRegistry.ValueExists(newName) && FRegistry.ValueExists(oldName))
                done = FRegistry.RenameValue(oldName, newName);
            FRegistry.CloseKey();
        }
    } catch (...) {
        FRegistry.CloseKey();
        done = false;
    }
    return done;
}

void TfrmMain::lstvwValuesEdited(TObject*, TListItem item, std::wstring& text) {
    TViewData* view = ItemData(item);
    if (!view) return;
    if (SameNameIgnoringCase(view->WideName, text)) return;
    if (RenameValue(view->RootKey, view->WideKeyPath, text, view->WideName)) {
        view->ValueName = ToAnsi(text);
        view->WideName = text;
    } else {
        NotifyInfo(ToWide(msgCanNotRenameItTo) + text);
        text = view->WideName;
    }
}

// ---- Delete ----------------------------------------------------------------------

void TfrmMain::pppmnitmKeyDelClick(TObject* sender) {
    const int tag = TagOf(sender);
    if (tag == mtKey)
        DeleteKey();
    else if (tag == mtValue)
        DeleteValues();
}

void TfrmMain::DeleteKey() {
    THourGlass wait;
    try {
        TTreeNode node = trvwKeys.Selected();
        if (!node) return;
        TTreeData* data = NodeData(node);
        if (!data) {
            NotifyError(msgDeleteKeyError);
            return;
        }
        if (data->KeyName.empty() || !node.Parent()) return;
        // The question names the key, so the user sees what goes.
        if (!QueryYesNo(ToWide(msgDeleteQuery) + L"\r\n" + GetNodeKeyLongName(node))) return;
        if (RegDeleteKeyTree(data->RootKey, GetNodeKeyPath(node))) {
            // The parent takes the selection, and with it the value list,
            // the status bar and the address box.
            node.Parent().Select();
            trvwKeysClick(this);
            node.Delete();
        } else {
            // Part of the tree may be gone: show what is left.
            NotifyError(msgDeleteKeyError);
            RefreshNode(node);
        }
    } catch (...) {
        NotifyError(msgDeleteKeyError);
    }
}

void TfrmMain::DeleteValues() {
    const int selected = lstvwValues.SelCount();
    if (selected == 0) return;
    std::vector<int> indexes;
    TViewData* first = nullptr;
    // The question names the key and the values, by their real names.
    std::vector<std::wstring> names;
    for (int i = 0; i < lstvwValues.Count(); ++i) {
        TListItem item = lstvwValues.Item(i);
        if (!item.Selected()) continue;
        indexes.push_back(i);
        TViewData* view = ItemData(item);
        if (!first) first = view;
        if (view) names.push_back(view->WideName.empty() ? ToWide(item.Caption()) : view->WideName);
    }
    std::wstring question = ToWide(selected >= 2 ? msgDeleteAllSelectValueQuery : msgDeleteSelectValueQuery);
    if (first) question += L"\r\n" + KeyLongName(first->RootKey, first->WideKeyPath) + NameLines(names);
    if (!QueryYesNo(question)) return;
    // Only the items whose value is really gone leave the list; a value that
    // could not be deleted stays listed and the failure is reported.
    std::vector<int> gone;
    {
        THourGlass wait;
        if (first) {
            FRegistry.SetRootKey(first->RootKey);
            if (FRegistry.OpenKey(first->WideKeyPath, false)) {
                // From the last: the registry keeps a key's values in order
                // and closes the gap behind each one deleted.
                for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
                    TViewData* view = ItemData(lstvwValues.Item(*it));
                    if (!view) continue;
                    try {
                        if (FRegistry.DeleteValue(view->WideName) || !FRegistry.ValueExists(view->WideName))
                            gone.push_back(*it);
                    } catch (...) {
                        // the next one follows
                    }
                }
                FRegistry.CloseKey();
            }
        }
        lstvwValues.DeleteItems(gone);
    }
    if (gone.size() != indexes.size()) NotifyError(msgAccessRegistryError);
}
