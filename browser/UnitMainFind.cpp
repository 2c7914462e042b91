// The main window's Find, Find Next, Replace and Replace All: the search
// walks the registry by real names; each hit is shown by selecting its key
// and value, and replaced there, in the key the search found.
#include <algorithm>

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

bool SameName(const std::wstring& a, const std::wstring& b) { return ::lstrcmpiW(a.c_str(), b.c_str()) == 0; }

// The string data of a value, up to its first NUL; false when it is none.
bool ReadText(HKEY key, const std::wstring& name, DWORD& type, std::wstring& text) {
    DWORD size = 0;
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1);
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    buffer[std::min<size_t>(size / sizeof(wchar_t), buffer.size() - 1)] = L'\0';
    text = buffer.data();
    return true;
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
        frmFinding->Show();
        found = RegFindNext(text, FFindState);
    } else {
        // From the last hit when it is still selected, else from the
        // selected key; then on through the roots after it.
        TTreeNode node = trvwKeys.Selected();
        TTreeData* data = NodeData(node);
        if (data && (data->RootKey != FFindState.RootKey ||
                     !SameName(GetNodeKeyPath(node), JoinKeyPath(FFindState.StartPath, FFindState.FoundPath)))) {
            StartFrom(FFindState, data->RootKey, FFindState.StartPath);
            FFindState.FoundPath = GetNodeKeyPath(node);
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
        if (view && SameName(view->WideName, FFindState.FoundValue)) {
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
    if (!data || frmReplace->edtFind.Text().empty()) return;
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
    const std::string text = UpperCaseAscii(frmReplace->edtFind.Text());

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
         found = RegFindNext(text, FReplaceState))
        hits.push_back(FReplaceState);
    frmFinding->Hide();
    if (StopFinding) {
        NotifyInfo(msgReplaceActionCanceled);
        return;
    }
    if (hits.empty()) {
        NotifyInfo(msgNotFound);
        return;
    }
    int result = 0;
    for (size_t i = 0; i < hits.size() && result != mrCancel; ++i) {
        FReplaceState = hits[i];
        const std::wstring before = FReplaceState.FoundPath;
        result = ReplaceAtHit(result == mrAll, true);
        const std::wstring after = FReplaceState.FoundPath;
        if (hits[i].FoundKind != fkKeyName || SameName(before, after)) continue;
        // A renamed key: the later hits inside it are under its new name.
        for (size_t j = i + 1; j < hits.size(); ++j) {
            std::wstring& path = hits[j].FoundPath;
            if (SameName(path.substr(0, before.size()), before) &&
                (path.size() == before.size() || path[before.size()] == L'\\'))
                path = after + path.substr(before.size());
        }
        ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    }
    NotifyInfo(result == mrCancel ? msgReplaceActionCanceled : msgReplaceActionFinish);
}

int TfrmMain::ReplaceAtHit(bool applyAll, bool showAll) {
    TFindInfo& hit = FReplaceState;
    const std::wstring path = JoinKeyPath(hit.StartPath, hit.FoundPath);
    // The key the search found, in its own root, whatever is selected.
    if (!GoToKey(hit.RootKey, path)) return 0;
    frmReplaceConfirm->lblKey.SetCaption(RootKeyToName(hit.RootKey) + "\\" + ToAnsi(path));
    frmReplaceConfirm->ShowAllButton = showAll;
    auto confirm = [&](const std::string& question) {
        if (applyAll) return static_cast<int>(mrAll);
        frmReplaceConfirm->lblInfo.SetCaption(question);
        return frmReplaceConfirm->ShowModal();
    };
    auto agreed = [](int answer) { return answer == mrYes || answer == mrAll; };
    const std::wstring find = ToWide(frmReplace->edtFind.Text());
    std::wstring replacement = ToWide(frmReplace->edtReplace.Text());
    if (find.empty()) return 0;
    lstvwValues.ClearSelection();

    if (hit.FoundKind == fkKeyName) {
        trvwKeys.SetFocus();
        replacement.erase(std::remove(replacement.begin(), replacement.end(), L'\\'), replacement.end());
        const std::wstring oldName = LastNameOf(path);
        const std::wstring newName = ReplaceAllIgnoringCase(oldName, find, replacement);
        const int answer = confirm(msgSureToRenameFrom + "\r\n" + sKeyName + ":\r\n" + ToAnsi(oldName) + "\r\n" +
                                   msgRenameTo + "\r\n" + ToAnsi(newName));
        if (!agreed(answer) || newName.empty() || SameName(newName, oldName)) return applyAll ? mrAll : answer;
        const std::wstring parent = ParentOf(path);
        if (!RenameKey(hit.RootKey, path, JoinKeyPath(parent, newName))) {
            NotifyError(msgReplaceKeyNameFailed);
        } else {
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
        if (view && SameName(view->WideName, hit.FoundValue)) item = lstvwValues.Item(i);
    }
    if (!item) return 0;
    TViewData& view = *ItemData(item);
    item.SetSelected(true);
    item.Focus();
    FRegistry.SetRootKey(hit.RootKey);
    int answer = 0;
    if (hit.FoundKind == fkValueName) {
        const std::wstring newName = ReplaceAllIgnoringCase(view.WideName, find, replacement);
        answer = confirm(msgSureToRenameFrom + "\r\n" + sVallueName + ":\r\n" + ToAnsi(view.WideName) + "\r\n" +
                         msgRenameTo + "\r\n" + ToAnsi(newName));
        if (!agreed(answer) || newName.empty() || SameName(newName, view.WideName)) return applyAll ? mrAll : answer;
        const bool renamed = FRegistry.OpenKey(path, false) && FRegistry.RenameValue(view.WideName, newName);
        FRegistry.CloseKey();
        if (!renamed) {
            NotifyError(msgCanNotRenameFrom + ToAnsi(view.WideName) + " " + msgRenameTo + ToAnsi(newName));
        } else {
            view.WideName = newName;
            view.ValueName = ToAnsi(newName);
            item.SetCaption(view.ValueName);
        }
        return applyAll ? mrAll : answer;
    }

    // String data, written back with its own type once the user agrees.
    DWORD type = REG_SZ;
    std::wstring oldText;
    bool read = false;
    if (FRegistry.OpenKeyReadOnly(path)) read = ReadText(FRegistry.CurrentKey(), view.WideName, type, oldText);
    FRegistry.CloseKey();
    if (!read) return 0;
    const std::wstring newText = ReplaceAllIgnoringCase(oldText, find, replacement);
    answer = confirm(msgSureToChangeFrom + "\r\n" + sVallueName + ":\r\n" + ToAnsi(oldText) + "\r\n" + msgChangeTo +
                     "\r\n" + ToAnsi(newText));
    if (!agreed(answer)) return applyAll ? mrAll : answer;
    bool written = false;
    if (FRegistry.OpenKey(path, false)) {
        const std::wstring stored = newText + L'\0';
        written = SetValueExact(FRegistry.CurrentKey(), view.WideName.c_str(), type, stored.data(),
                                static_cast<DWORD>(stored.size() * sizeof(wchar_t)));
    }
    FRegistry.CloseKey();
    if (!written) {
        NotifyError(msgAccessRegistryError);
    } else {
        const std::string shown = ToAnsi(newText);
        ShowEditedValue(item, view, type, reinterpret_cast<const BYTE*>(shown.c_str()), shown.size() + 1);
    }
    return applyAll ? mrAll : answer;
}
