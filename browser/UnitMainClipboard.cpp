// The main window's internal copy and paste of keys and values. Copy Key
// remembers where a key is; Paste Key copies it, with its values and
// subkeys, under the selected key. Copy Values takes a snapshot of the
// selected values (name, raw type and bytes); Paste Values writes them into
// the selected key, asking before each value that exists there. The system
// clipboard is not used.
#include <algorithm>
#include <unordered_set>

#include "UnitMain.h"
#include "UnitValueReplaceConfirm.h"
#include "zrvDialog.h"
#include "zrvKeyTree.h"
#include "zrvRegistry.h"

using namespace classlib;

namespace {

int TagOf(TObject* sender) {
    auto* c = dynamic_cast<TComponent*>(sender);
    return c ? c->Tag : -1;
}

// Reads a value as it is stored now; false when it is gone or unreadable.
bool ReadValue(HKEY key, TCopiedValue& value) {
    value.Data.resize(256);
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD size = static_cast<DWORD>(value.Data.size());
        const LONG rc = ::RegQueryValueExW(key, value.Name.c_str(), nullptr, &value.Type, value.Data.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            value.Data.resize(std::max<size_t>(value.Data.size() * 2, size));
            continue;
        }
        if (rc != ERROR_SUCCESS) return false;
        value.Data.resize(size);
        return true;
    }
    return false;
}

// Value names as the registry compares them: without regard to case.
std::wstring Folded(std::wstring name) {
    if (!name.empty()) ::CharUpperBuffW(&name[0], static_cast<DWORD>(name.size()));
    return name;
}

std::wstring KeyAddress(HKEY root, const std::wstring& path) {
    const std::wstring name = ToWide(RootKeyToName(root));
    return path.empty() ? name : name + L"\\" + path;
}

}  // namespace

void TfrmMain::BindClipboardCommands() {
    for (TMenuItem* item : {mnitmKeyCopy, pppmnitmKeyCopy, mnitmValueCopy, pppmnitmValueCopy})
        item->OnClick = Handler(this, &TfrmMain::pppmnitmKeyCopyClick);
    for (TMenuItem* item : {mnitmKeyPaste, pppmnitmKeyPaste, mnitmValuePaste, pppmnitmValuePaste})
        item->OnClick = Handler(this, &TfrmMain::pppmnitmKeyPasteClick);
}

void TfrmMain::pppmnitmKeyCopyClick(TObject* sender) {
    const int tag = TagOf(sender);
    if (tag == 0)
        CopyKey();
    else if (tag == 1)
        CopyValues();
}

void TfrmMain::pppmnitmKeyPasteClick(TObject* sender) {
    const int tag = TagOf(sender);
    if (tag == 0)
        PasteKey();
    else if (tag == 1)
        PasteValues();
}

// ---- Keys ------------------------------------------------------------------------

void TfrmMain::CopyKey() {
    TTreeNode node = trvwKeys.Selected();
    TTreeData* data = NodeData(node);
    if (!node || !data || data->WideName.empty()) return;  // never a root
    FKeyCopy.RootKey = data->RootKey;
    FKeyCopy.KeyPath = GetNodePath(node);
    FKeyCopy.WideKeyPath = GetNodeKeyPath(node);
    FKeyCopy.HasData = true;
}

void TfrmMain::PasteKey() {
    if (!FKeyCopy.HasData) return;
    THourGlass wait;
    TTreeNode node = trvwKeys.Selected();
    TTreeData* data = NodeData(node);
    if (!node || !data) return;
    const std::wstring dest = GetNodeKeyPath(node);
    const std::wstring& src = FKeyCopy.WideKeyPath;
    if (!CanPasteKey(FKeyCopy.RootKey, data->RootKey, src, dest)) return;
    const size_t slash = src.rfind(L'\\');
    const std::wstring last = slash == std::wstring::npos ? src : src.substr(slash + 1);
    const std::wstring target = dest.empty() ? last : dest + L"\\" + last;

    // A copied key deleted since, or a destination deleted since: said so,
    // and nothing is made.
    FRegistry.SetRootKey(FKeyCopy.RootKey);
    const bool sourceThere = FRegistry.KeyExists(src);
    FRegistry.SetRootKey(data->RootKey);
    if (!sourceThere || !FRegistry.KeyExists(dest)) {
        NotifyError(ToWide(msgCopyKeyError + "\r\n" + msgWithoutKey) +
                    (sourceThere ? KeyAddress(data->RootKey, dest) : KeyAddress(FKeyCopy.RootKey, src)));
    } else if (!FRegistry.KeyExists(target) ||
               QueryYesNo(ToWide(msgHaveSubkeyInSameName) + last + L"\r\n" + ToWide(msgContinueToReplaceAllSameItems))) {
        if (!RegPasteKey(FKeyCopy.RootKey, data->RootKey, src, dest)) NotifyError(msgCopyKeyError);
    } else {
        return;
    }
    RefreshNode(node);
    ClearValueList();
    LoadValues(node);
}

// ---- Values ----------------------------------------------------------------------

void TfrmMain::CopyValues() {
    THourGlass wait;
    std::vector<TViewData*> selected;
    for (int i = 0; i < lstvwValues.Count(); ++i) {
        TListItem item = lstvwValues.Item(i);
        if (!item.Selected()) continue;
        if (TViewData* view = ItemData(item)) selected.push_back(view);
    }
    if (selected.empty()) return;
    const TViewData& first = *selected.front();
    FValueCopy.Clear();
    FValueCopy.RootKey = first.RootKey;
    FValueCopy.KeyPath = first.KeyPath;
    try {
        // The values as they are now, not as the list showed them: a value
        // removed meanwhile is not copied, one changed is copied as it is.
        TRegKey key;
        if (key.Open(first.RootKey, first.WideKeyPath, KEY_QUERY_VALUE) != ERROR_SUCCESS) {
            NotifyError(msgAccessRegistryError);
            return;
        }
        FValueCopy.Values.reserve(selected.size());
        std::vector<std::wstring> missed;
        for (const TViewData* view : selected) {
            if (view->WideName.empty()) continue;  // the key's default value is not copied
            TCopiedValue value;
            value.Name = view->WideName;
            if (ReadValue(key.Get(), value))
                FValueCopy.Values.push_back(std::move(value));
            else
                missed.push_back(view->WideName);
        }
        // Paste is offered only when there is something to paste.
        FValueCopy.HasData = !FValueCopy.Values.empty();
        if (!missed.empty()) NotifyError(ToWide(msgValuesNotCopied) + NameLines(missed));
    } catch (...) {
        FValueCopy.Values.clear();
        FValueCopy.HasData = false;
    }
}

void TfrmMain::PasteValues() {
    if (!FValueCopy.HasData) return;
    THourGlass wait;
    TTreeNode node = trvwKeys.Selected();
    TTreeData* data = NodeData(node);
    if (!node || !data) return;
    TRegKey key;
    const LONG opened = key.Open(data->RootKey, GetNodeKeyPath(node), KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (opened != ERROR_SUCCESS) {
        // A key that is gone, or one that is there but closed to writing.
        const std::wstring address = KeyAddress(data->RootKey, GetNodeKeyPath(node));
        NotifyError(opened == ERROR_FILE_NOT_FOUND
                        ? ToWide(msgAccessRegistryError + "\r\n" + msgWithoutKey) + address
                        : ToWide(msgKeyNotWritable) + L"\r\n" + address);
        ClearValueList();
        LoadValues(node);
        return;
    }
    const bool done = WriteCopiedValues(key.Get());
    key.Close();
    if (!done) return;  // cancelled: the list stays as it was
    ClearValueList();
    LoadValues(node);
}

bool TfrmMain::WriteCopiedValues(HKEY key) {
    // The names already there, read once: a question is asked for each of them.
    std::unordered_set<std::wstring> existing;
    TValueEnum names(key, false);
    for (DWORD i = 0; i < names.Count(); ++i)
        if (names.Read(i) == ERROR_SUCCESS) existing.insert(Folded(names.NameText()));

    bool replaceAll = false, skipAll = false, cancelled = false;
    const TCopiedValue* failed = nullptr;
    for (const TCopiedValue& value : FValueCopy.Values) {
        if (existing.count(Folded(value.Name)) && !replaceAll) {
            if (skipAll) continue;
            frmValueReplaceConfirm->lblInfo.SetWideCaption(ToWide(msgValueNamed) + value.Name + L" " +
                                                           ToWide(msgValueExiststAndReplaceQuery));
            const int answer = frmValueReplaceConfirm->ShowModal();
            if (answer == mrCancel) {
                cancelled = true;
                break;
            }
            if (answer == mrNoToAll) skipAll = true;
            if (answer == mrYesToAll) replaceAll = true;
            if (answer != mrYes && answer != mrYesToAll) continue;
        }
        if (!SetValueExact(key, value.Name.c_str(), value.Type, value.Data.data(),
                           static_cast<DWORD>(value.Data.size())) &&
            !failed)
            failed = &value;
    }
    // What was written before a failure stays; the failure is told.
    if (failed) NotifyError(ToWide(msgAccessRegistryError + "\r\n" + msgValueNamed) + failed->Name);
    return !cancelled;
}
