// The main window's Find, Find Next, Replace and Replace All: the search
// walks the registry by real names; each hit is shown by selecting its key
// and value, and replaced there, in the key the search found.
#include <algorithm>
#include <cstring>

#include "UnitFind.h"
#include "UnitFinding.h"
#include "UnitMain.h"
#include "UnitReplace.h"
#include "UnitReplaceConfirm.h"
#include "zrvDialog.h"
#include "zrvRegistry.h"
#include "zrvString.h"

using namespace classlib;

namespace {

// Marks a search as running for its whole extent; the window closes
// afterwards when a close came in meanwhile.
class TSearchRun {
public:
    explicit TSearchRun(TfrmMain& main) : FMain(main) {
        FMain.FSearching = true;
        StopFinding = false;
    }
    ~TSearchRun() {
        if (frmFinding->Visible()) frmFinding->Hide();
        FMain.FSearching = false;
        if (FMain.FCloseAfterSearch) ::PostMessageA(FMain.Handle, WM_CLOSE, 0, 0);
    }
    TSearchRun(const TSearchRun&) = delete;
    TSearchRun& operator=(const TSearchRun&) = delete;

private:
    TfrmMain& FMain;
};

void StartFrom(TFindInfo& info, HKEY root, const std::wstring& startPath) {
    info.RootKey = root;
    info.StartPath = startPath;
    info.ValueIndex = info.KeyIndex = 0;
    info.FoundKind = fkNone;
    info.FoundPath.clear();
    info.FoundValue.clear();
}

std::wstring ParentOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring LastNameOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}


// Whether path is base or lies below it; rest is the part below base.
bool PathBelow(const std::wstring& path, const std::wstring& base, std::wstring& rest) {
    if (base.empty()) {
        rest = path;
        return true;
    }
    if (path.size() < base.size() || !SameNameIgnoringCase(path.substr(0, base.size()), base)) return false;
    if (path.size() == base.size()) {
        rest.clear();
        return true;
    }
    if (path[base.size()] != L'\\') return false;
    rest = path.substr(base.size() + 1);
    return true;
}

// The string data of a value as stored, every character of it (embedded and
// final NULs included) and an odd last byte apart; false when it is none.
bool ReadStoredText(HKEY key, const std::wstring& name, DWORD& type, std::wstring& text, std::string& oddByte) {
    DWORD size = 0;
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    std::vector<BYTE> bytes(size);
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS ||
        size > bytes.size())
        return false;
    text.assign(size / sizeof(wchar_t), L'\0');
    if (!text.empty()) std::memcpy(&text[0], bytes.data(), text.size() * sizeof(wchar_t));
    oddByte.assign(reinterpret_cast<const char*>(bytes.data()) + text.size() * sizeof(wchar_t),
                   size % sizeof(wchar_t));
    return true;
}

// Stored text as the user reads it: without its final NUL, the NULs inside
// written \0 so that what follows them is seen.
std::wstring ShownText(std::wstring text) {
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    std::wstring out;
    for (wchar_t c : text) out += c == L'\0' ? std::wstring(L"\\0") : std::wstring(1, c);
    return out;
}

// The stored text up to its first NUL, as the search reads it.
std::wstring SearchedText(const std::wstring& text) { return text.substr(0, text.find(L'\0')); }

// Whether the hit can be changed where it lies: its key takes values, or,
// for a key name, the parent takes a new subkey and the key may go.
bool CanWriteAt(HKEY root, const std::wstring& path, int kind) {
    TRegKey key;
    if (kind != fkKeyName) return key.Open(root, path, KEY_QUERY_VALUE | KEY_SET_VALUE) == ERROR_SUCCESS;
    TRegKey parent;
    return parent.Open(root, ParentOf(path), KEY_CREATE_SUB_KEY) == ERROR_SUCCESS &&
           key.Open(root, path, KEY_READ | DELETE) == ERROR_SUCCESS;
}

bool KeyExistsAt(HKEY root, const std::wstring& path) {
    TRegKey key;
    return key.Open(root, path, KEY_READ) == ERROR_SUCCESS;
}

// "[root\path]", and a value's name after it.
std::wstring HitName(HKEY root, const std::wstring& path, const std::wstring& value, int kind) {
    std::wstring name = L"[" + ToWide(RootKeyToName(root)) + (path.empty() ? L"" : L"\\" + path) + L"]";
    if (kind != fkKeyName) name += L" " + value;
    return name;
}

// Whether the data of the value a value-name hit names holds the text too:
// Replace All then changes both in one run.
bool DataHolds(const TFindInfo& hit, const std::string& text) {
    TRegKey key;
    if (key.Open(hit.RootKey, JoinKeyPath(hit.StartPath, hit.FoundPath), KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    std::wstring data;
    std::string odd;
    return ReadStoredText(key.Get(), hit.FoundValue, type, data, odd) &&
           SearchMatches(SearchCandidate(SearchedText(data)), text, false, hit.WholeWords);
}

// After a hit was replaced: the later hits in a renamed key or on a renamed
// value go by the new name.
void FollowRename(const TFindInfo& before, const TFindInfo& after, std::vector<TFindInfo>& hits, size_t from) {
    if (before.FoundKind == fkKeyName && !SameNameIgnoringCase(before.FoundPath, after.FoundPath)) {
        const std::wstring& old = before.FoundPath;
        for (size_t j = from; j < hits.size(); ++j) {
            std::wstring& path = hits[j].FoundPath;
            if (SameNameIgnoringCase(path.substr(0, old.size()), old) && (path.size() == old.size() || path[old.size()] == L'\\'))
                path = after.FoundPath + path.substr(old.size());
        }
    } else if (before.FoundKind == fkValueName && !SameNameIgnoringCase(before.FoundValue, after.FoundValue)) {
        for (size_t j = from; j < hits.size(); ++j)
            if (hits[j].FoundKind != fkKeyName && SameNameIgnoringCase(hits[j].FoundPath, before.FoundPath) &&
                SameNameIgnoringCase(hits[j].FoundValue, before.FoundValue))
                hits[j].FoundValue = after.FoundValue;
    }
}

}  // namespace

void TfrmMain::BindFindCommands() {
    mnitmFind->OnClick = Handler(this, &TfrmMain::mnitmFindClick);
    mnitmFindNext->OnClick = Handler(this, &TfrmMain::mnitmFindNextClick);
    mnitmReplace->OnClick = Handler(this, &TfrmMain::mnitmReplaceClick);
}

void TfrmMain::mnitmFindClick(TObject*) {
    if (FSearching) return;
    TTreeNode node = trvwKeys.Selected();
    if (!node) {
        node = trvwKeys.FirstNode();
        trvwKeys.SetSelected(node);
    }
    TTreeData* data = NodeData(node);
    if (!data) return;
    if (frmFind->ShowModal() != mrOk) {
        FFindFound = false;
        return;
    }
    THourGlass wait;
    TSearchRun run(*this);
    static_cast<TFindOptions&>(FFindState) = FFindOptions;
    const std::string text = UpperCaseAscii(frmFind->FindItem);
    frmFinding->Show();
    // Every root the tree shows, or the selected key.
    const std::vector<HKEY> roots =
        FFindOptions.FromCurrentKey ? std::vector<HKEY>{data->RootKey} : ShownRootKeys(FVersionInfo);
    FFindFound = false;
    for (HKEY root : roots) {
        StartFrom(FFindState, root, FFindOptions.FromCurrentKey ? GetNodeKeyPath(node) : std::wstring());
        if (RegFindFirst(text, FFindState)) {
            FFindFound = true;
            break;
        }
    }
    frmFinding->Hide();
    if (FFindFound)
        ShowSearchHit(FFindState.RootKey);
    else
        NotifyInfo(msgFindActionFinish);
}

void TfrmMain::mnitmFindNextClick(TObject* sender) {
    if (FSearching) return;
    if (!FFindFound) return mnitmFindClick(sender);
    THourGlass wait;
    TSearchRun run(*this);
    const std::string text = UpperCaseAscii(frmFind->FindItem);
    bool found = false;
    if (FFindState.FromCurrentKey) {
        // From a key the user selected inside the searched subtree, else
        // from the last hit.
        TTreeNode node = trvwKeys.Selected();
        TTreeData* data = NodeData(node);
        std::wstring rest;
        if (data && data->RootKey == FFindState.RootKey &&
            PathBelow(GetNodeKeyPath(node), FFindState.StartPath, rest) && !SameNameIgnoringCase(rest, FFindState.FoundPath)) {
            StartFrom(FFindState, data->RootKey, FFindState.StartPath);
            FFindState.FoundPath = rest;
            FFindState.KeyIndex = -1;  // looked up by name
        }
        frmFinding->Show();
        found = RegFindNext(text, FFindState);
    } else {
        // From the last hit when it is still selected, else from the
        // selected key; then on through the roots after it.
        TTreeNode node = trvwKeys.Selected();
        TTreeData* data = NodeData(node);
        if (data && (data->RootKey != FFindState.RootKey ||
                     !SameNameIgnoringCase(GetNodeKeyPath(node), JoinKeyPath(FFindState.StartPath, FFindState.FoundPath)))) {
            StartFrom(FFindState, data->RootKey, FFindState.StartPath);
            FFindState.FoundPath = GetNodeKeyPath(node);
            // Its place among its siblings is not known: the walk looks it
            // up by name, so the keys before it are not searched again.
            FFindState.KeyIndex = -1;
        }
        const std::vector<HKEY> roots = ShownRootKeys(FVersionInfo);
        auto at = std::find(roots.begin(), roots.end(), FFindState.RootKey);
        frmFinding->Show();
        while (at != roots.end() && !found) {
            if (FFindState.FoundKind == fkNone && FFindState.FoundPath.empty())
                found = RegFindFirst(text, FFindState);
            else
                found = RegFindNext(text, FFindState);
            if (found || StopFinding || ++at == roots.end()) break;
            trvwKeys.FirstNode().Collapse(false);
            StartFrom(FFindState, *at, FFindState.StartPath);
        }
    }
    frmFinding->Hide();
    if (found)
        ShowSearchHit(FFindState.RootKey);
    else
        NotifyInfo(msgFindActionFinish);
}

void TfrmMain::ShowSearchHit(HKEY rootKey) {
    if (!GoToKey(rootKey, JoinKeyPath(FFindState.StartPath, FFindState.FoundPath))) return;
    lstvwValues.ClearSelection();
    if (FFindState.FoundKind == fkKeyName) {
        trvwKeys.SetFocus();
        return;
    }
    lstvwValues.SetFocus();
    for (int i = 0; i < lstvwValues.Count(); ++i) {
        TViewData* view = ItemData(lstvwValues.Item(i));
        if (view && SameNameIgnoringCase(view->WideName, FFindState.FoundValue)) {
            lstvwValues.Item(i).SetSelected(true);
            lstvwValues.Item(i).Focus();
            break;
        }
    }
}

void TfrmMain::mnitmReplaceClick(TObject*) {
    if (FSearching) return;
    const int answer = frmReplace->ShowModal();
    if (answer != mrOk && answer != mrAll) return;
    TTreeNode node = trvwKeys.Selected();
    TTreeData* data = NodeData(node);
    if (!data || frmReplace->edtFind.WideText().empty()) return;
    THourGlass wait;
    TSearchRun run(*this);
    FReplaceOptions = TFindOptions{};
    FReplaceOptions.Wildcards = false;
    FReplaceOptions.WholeWords = frmReplace->chckbxWholeWords.Checked();
    FReplaceOptions.FromCurrentKey = true;
    FReplaceOptions.MatchKeys = frmReplace->chckbxKey.Checked();
    FReplaceOptions.MatchValueNames = frmReplace->chckbxValue.Checked();
    FReplaceOptions.MatchData = frmReplace->chckbxData.Checked();
    FReplaceOptions.MatchStrings = true;
    FReplaceOptions.MatchDwords = false;
    static_cast<TFindOptions&>(FReplaceState) = FReplaceOptions;
    StartFrom(FReplaceState, data->RootKey, GetNodeKeyPath(node));
    const std::string text = UpperCaseAscii(ToUtf8(frmReplace->edtFind.WideText()));

    if (answer == mrOk) {
        frmFinding->Show();
        const bool found = RegFindFirst(text, FReplaceState);
        frmFinding->Hide();
        if (found)
            ReplaceAtHit(false, false);
        else
            NotifyInfo(msgNotFound);
        return;
    }
    // Replace All: every hit is found before anything changes, so a
    // renamed item is never hit again and none is skipped.
    std::vector<TFindInfo> hits;
    frmFinding->Show();
    for (bool found = RegFindFirst(text, FReplaceState); found && !StopFinding;
         found = RegFindNext(text, FReplaceState)) {
        hits.push_back(FReplaceState);
        // A value whose name and data both hold the text: both change.
        if (FReplaceState.FoundKind == fkValueName && FReplaceState.MatchData && DataHolds(FReplaceState, text)) {
            hits.push_back(FReplaceState);
            hits.back().FoundKind = fkValueData;
        }
    }
    frmFinding->Hide();
    ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));  // the progress window left the arrow
    if (StopFinding) {
        NotifyInfo(msgReplaceActionCanceled);
        return;
    }
    if (hits.empty()) {
        NotifyInfo(msgNotFound);
        return;
    }
    TReplaceTally tally;
    bool all = false;  // answered All once: for the rest of the run
    int result = 0;
    for (size_t i = 0; i < hits.size() && result != mrCancel; ++i) {
        FReplaceState = hits[i];
        result = ReplaceAtHit(all, true, &tally);
        if (result == mrAll) all = true;
        FollowRename(hits[i], FReplaceState, hits, i + 1);
        ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    }
    std::string report = result == mrCancel ? msgReplaceActionCanceled : msgReplaceActionFinish;
    report += "\r\n" + msgReplacedCount + " " + std::to_string(tally.Replaced);
    if (tally.Failed.empty()) {
        NotifyInfo(report);
        return;
    }
    report += "\r\n" + msgNotReplacedCount + " " + std::to_string(tally.Failed.size());
    const size_t kNamesShown = 5;
    for (size_t i = 0; i < tally.Failed.size() && i < kNamesShown; ++i) report += "\r\n" + ToAnsi(tally.Failed[i]);
    if (tally.Failed.size() > kNamesShown) report += "\r\n...";
    NotifyError(report);
}

int TfrmMain::ReplaceAtHit(bool applyAll, bool showAll, TReplaceTally* tally) {
    TFindInfo& hit = FReplaceState;
    const std::wstring path = JoinKeyPath(hit.StartPath, hit.FoundPath);
    const std::wstring hitName = HitName(hit.RootKey, path, hit.FoundValue, hit.FoundKind);
    // Counted for the report at the end of Replace All, else told at once.
    auto fail = [&](const std::string& message) {
        if (tally)
            tally->Failed.push_back(hitName);
        else if (!message.empty())
            NotifyError(message);
        return 0;
    };
    auto done = [&] {
        if (tally) ++tally->Replaced;
    };
    // A key gone since the search is counted without a box of its own.
    if (tally && !KeyExistsAt(hit.RootKey, path)) return fail("");
    // The key the search found, in its own root, whatever is selected.
    if (!GoToKey(hit.RootKey, path)) return tally ? fail("") : 0;
    // Found by reading, but not to be changed: said once, never asked.
    if (!CanWriteAt(hit.RootKey, path, hit.FoundKind))
        return fail(msgKeyNotWritable + "\r\n" + ToAnsi(HitName(hit.RootKey, path, L"", fkKeyName)));
    frmReplaceConfirm->lblKey.SetWideCaption(ToWide(RootKeyToName(hit.RootKey)) + L"\\" + path);
    frmReplaceConfirm->ShowAllButton = showAll;
    auto confirm = [&](const std::wstring& question) {
        if (applyAll) return static_cast<int>(mrAll);
        frmReplaceConfirm->lblInfo.SetWideCaption(question);
        return frmReplaceConfirm->ShowModal();
    };
    auto agreed = [](int answer) { return answer == mrYes || answer == mrAll; };
    const std::wstring find = frmReplace->edtFind.WideText();
    std::wstring replacement = frmReplace->edtReplace.WideText();
    if (find.empty()) return 0;
    lstvwValues.ClearSelection();
    const std::wstring renameFrom = ToWide(msgSureToRenameFrom) + L"\r\n";
    const std::wstring renameTo = L"\r\n" + ToWide(msgRenameTo) + L"\r\n";

    if (hit.FoundKind == fkKeyName) {
        trvwKeys.SetFocus();
        replacement.erase(std::remove(replacement.begin(), replacement.end(), L'\\'), replacement.end());
        const std::wstring oldName = LastNameOf(path);
        const std::wstring newName = ReplaceAllIgnoringCase(oldName, find, replacement);
        const int answer = confirm(renameFrom + ToWide(sKeyName) + L":\r\n" + oldName + renameTo + newName);
        if (!agreed(answer) || newName.empty() || SameNameIgnoringCase(newName, oldName)) return applyAll ? mrAll : answer;
        const std::wstring parent = ParentOf(path);
        if (!RenameKey(hit.RootKey, path, JoinKeyPath(parent, newName))) {
            fail(msgReplaceKeyNameFailed);
        } else {
            done();
            hit.FoundPath = JoinKeyPath(ParentOf(hit.FoundPath), newName);
            TTreeNode node = trvwKeys.Selected();
            if (TTreeNode up = node.Parent()) RefreshNode(up);
            GoToKey(hit.RootKey, JoinKeyPath(parent, newName));
        }
        return applyAll ? mrAll : answer;
    }

    lstvwValues.SetFocus();
    TListItem item;
    for (int i = 0; i < lstvwValues.Count() && !item; ++i) {
        TViewData* view = ItemData(lstvwValues.Item(i));
        if (view && SameNameIgnoringCase(view->WideName, hit.FoundValue)) item = lstvwValues.Item(i);
    }
    if (!item) return fail("");  // the value went since the search
    TViewData& view = *ItemData(item);
    item.SetSelected(true);
    item.Focus();
    FRegistry.SetRootKey(hit.RootKey);
    int answer = 0;
    if (hit.FoundKind == fkValueName) {
        const std::wstring newName = ReplaceAllIgnoringCase(view.WideName, find, replacement);
        answer = confirm(renameFrom + ToWide(sVallueName) + L":\r\n" + view.WideName + renameTo + newName);
        if (!agreed(answer) || newName.empty() || SameNameIgnoringCase(newName, view.WideName)) return applyAll ? mrAll : answer;
        const bool renamed = FRegistry.OpenKey(path, false) && FRegistry.RenameValue(view.WideName, newName);
        FRegistry.CloseKey();
        if (!renamed) {
            fail(msgCanNotRenameFrom + ToAnsi(view.WideName) + " " + msgRenameTo + ToAnsi(newName));
        } else {
            done();
            hit.FoundValue = newName;
            view.WideName = newName;
            view.ValueName = ToAnsi(newName);
            item.SetCaption(view.ValueName);
        }
        return applyAll ? mrAll : answer;
    }

    // String data: replaced within all of it, every other character and
    // byte written back as it was, with the value's own type.
    DWORD type = REG_SZ;
    std::wstring oldText;
    std::string oddByte;
    bool read = false;
    if (FRegistry.OpenKeyReadOnly(path)) read = ReadStoredText(FRegistry.CurrentKey(), view.WideName, type, oldText, oddByte);
    FRegistry.CloseKey();
    if (!read) return fail(msgAccessRegistryError);
    const std::wstring newText = ReplaceAllIgnoringCase(oldText, find, replacement);
    answer = confirm(ToWide(msgSureToChangeFrom) + L"\r\n" + ToWide(sVallueName) + L":\r\n" + ShownText(oldText) +
                     L"\r\n" + ToWide(msgChangeTo) + L"\r\n" + ShownText(newText));
    if (!agreed(answer)) return applyAll ? mrAll : answer;
    bool written = false;
    std::string stored(reinterpret_cast<const char*>(newText.data()), newText.size() * sizeof(wchar_t));
    stored += oddByte;
    if (FRegistry.OpenKey(path, false)) {
        written = SetValueExact(FRegistry.CurrentKey(), view.WideName.c_str(), type, stored.data(),
                                static_cast<DWORD>(stored.size()));
    }
    FRegistry.CloseKey();
    if (!written) {
        fail(msgAccessRegistryError);
    } else {
        done();
        ShowEditedValue(item, view, type, reinterpret_cast<const BYTE*>(stored.data()), stored.size());
    }
    return applyAll ? mrAll : answer;
}
