// The main window's favourites: the items of the Favorites menu, Add to
// Favorites and Manage, and the favourites file written at close.
#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "Files.h"
#include "UnitFavorites.h"
#include "UnitMain.h"
#include "zrvDialog.h"
#include "zrvRegistry.h"

using namespace classlib;

void TfrmMain::BindFavoriteCommands() {
    mnitmFavoritesAdd->OnClick = pppmnitmFavoritesAdd->OnClick = Handler(this, &TfrmMain::mnitmFavoritesAddClick);
    mnitmFavoritesManage->OnClick = Handler(this, &TfrmMain::mnitmFavoritesManageClick);
}

void TfrmMain::LoadFavoritesMenu(const TStringList& favorites) {
    mnitmFavorites->DeleteFrom(3);
    FFavoriteItems.clear();
    FFavoriteItems.reserve(static_cast<size_t>(favorites.Count()));
    // The menu holds as many as it has command numbers for; the others stay
    // favourites (in the file and in Manage), and the user is told.
    size_t left = 0;
    for (const std::string& line : favorites) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        if (left == 0 && AddFavoriteMenuItem(line.substr(0, eq))) continue;
        ++left;
    }
    if (left) NotifyError(msgFavoritesMenuFull + " " + std::to_string(left));
}

bool TfrmMain::AddFavoriteMenuItem(const std::string& name) {
    TMenuItem* item;
    try {
        item = mnitmFavorites->AddNamed(name, mtFavorite, [this](TObject* sender) { FavoritesGoTo(sender); });
    } catch (const EMenuFull&) {
        return false;
    }
    FFavoriteItems.push_back({name, item});
    return true;
}

void TfrmMain::RemoveFavoriteMenuItem(const std::string& name) { RemoveFavoriteMenuItems({name}); }

void TfrmMain::RemoveFavoriteMenuItems(const std::vector<std::string_view>& names) {
    const std::unordered_set<std::string_view> gone(names.begin(), names.end());
    // From the last item to the first: each goes from the end of the menu.
    for (auto it = FFavoriteItems.rbegin(); it != FFavoriteItems.rend(); ++it)
        if (it->Item->Tag == mtFavorite && gone.count(it->Name)) {
            mnitmFavorites->Remove(it->Item);
            it->Item = nullptr;
        }
    FFavoriteItems.erase(std::remove_if(FFavoriteItems.begin(), FFavoriteItems.end(),
                                        [](const TFavoriteItem& f) { return !f.Item; }),
                         FFavoriteItems.end());
}

void TfrmMain::FavoritesGoTo(TObject* sender) {
    std::string address;
    try {
        THourGlass wait;
        for (const TFavoriteItem& f : FFavoriteItems)
            if (f.Item == sender) {
                address = FFavorites.Value(f.Name);
                break;
            }
        GoToAddress(address);
    } catch (...) {
        NotifyError("Key:" + address + " not exists!");
    }
}

void TfrmMain::mnitmFavoritesAddClick(TObject*) {
    TTreeNode node = trvwKeys.Selected();
    TTreeData* data = NodeData(node);
    if (!node || !data) return;
    // The favourites file is text in the code page: a name it cannot hold
    // would come back as another key's name.
    const std::wstring path = GetNodeKeyPath(node);
    if (!FitsCodePage(path)) {
        NotifyError(ToWide(msgFavoriteNameNotKept) + L"\r\n" + GetNodeKeyLongName(node));
        return;
    }
    frmFavorites->FavoriteKey = RootKeyToName(data->RootKey) + ":" + ToAnsi(path);
    frmFavorites->edtName.SetWideText(node.WideText());
    frmFavorites->pnlHead.SetVisible(true);
    frmFavorites->pnlFavoritesList.SetVisible(false);
    frmFavorites->pnlBottom.SetVisible(false);
    frmFavorites->btnFavoritesList.SetCaption(frmFavorites->sShowListCaption);
    frmFavorites->ShowModal();
}

void TfrmMain::mnitmFavoritesManageClick(TObject*) {
    frmFavorites->pnlHead.SetVisible(false);
    frmFavorites->pnlFavoritesList.SetVisible(true);
    frmFavorites->pnlBottom.SetVisible(true);
    frmFavorites->FillFavoritesList();
    frmFavorites->ShowModal();
}

bool TfrmMain::PruneFavorites() {
    TStringList kept;
    bool dropped = false;
    for (const std::string& line : FFavorites) {
        // Only a favourite whose key is not there goes: a line "name=ROOT:path"
        // with a real root. Every other line (blank, foreign, or a key this
        // user may not read) stays as it is.
        const size_t eq = line.find('=');
        const size_t colon = eq == std::string::npos ? std::string::npos : line.find(':', eq + 1);
        const HKEY root = colon == std::string::npos ? nullptr : NameToRootKey(line.substr(eq + 1, colon - eq - 1));
        if (root) {
            std::string path = line.substr(colon + 1);
            if (!path.empty() && path[0] == '\\') path.erase(0, 1);
            TRegKey key;
            if (key.Open(root, ToWide(path), KEY_QUERY_VALUE) == ERROR_FILE_NOT_FOUND) {
                dropped = true;
                continue;
            }
        }
        kept.Add(line);
    }
    if (dropped) FFavorites = std::move(kept);
    return dropped;
}

void TfrmMain::FormClose(TObject*) {
    const bool pruned = PruneFavorites();
    const std::wstring file = FavoritesFileName();
    // A file that could not be read at start is left as it is; so is one
    // that this run has nothing to change in, byte for byte.
    bool failed = FFavoritesUnreadable && FFavoritesChanged;
    if (!FFavoritesUnreadable && (pruned || FFavoritesChanged)) {
        try {
            SaveTextFile(file, FFavorites.Text());
        } catch (const EInvalidOperation&) {
            failed = true;
        }
    }
    // The box says it in the user's language: the text and the file's name.
    if (failed && !EndingSession()) NotifyError(ToWide(msgFavoritesNotSaved) + L"\r\n" + file);
}
