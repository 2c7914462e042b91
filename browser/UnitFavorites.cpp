#include "UnitFavorites.h"

#include <string_view>
#include <unordered_map>

#include "UnitMain.h"
#include "resource.h"
#include "zrvDialog.h"

using namespace classlib;

TfrmFavorites* frmFavorites = nullptr;

namespace {

// Whether a control is set to show, also while its form is hidden.
bool Shown(const TControl& control) { return ::GetWindowLongA(control.Handle, GWL_STYLE) & WS_VISIBLE; }

}  // namespace

void TfrmFavorites::BindComponents() {
    RegisterLanguageFields(*this, "frmFavorites", {
        {&sHideListCaption, "sHideListCaption"}, {&sShowListCaption, "sShowListCaption"},
        {&smsgInvalidCharHead, "smsgInvalidCharHead"}, {&smsgInvalidCharBottom, "smsgInvalidCharBottom"},
        {&smsgHaveFavoritesNameHead, "smsgHaveFavoritesNameHead"},
        {&smsgHaveFavoritesNameBottom, "smsgHaveFavoritesNameBottom"}});
    Bind(pnlHead, IDC_FAV_PNLHEAD, "pnlHead", TAlign::alTop);
    Bind(lblName, IDC_FAV_LBLNAME, "lblName", TAlign::alNone, &pnlHead);
    Bind(edtName, IDC_FAV_EDTNAME, "edtName", TAlign::alNone, &pnlHead);
    Bind(btnFavoritesList, IDC_FAV_BTNFAVORITESLIST, "btnFavoritesList", TAlign::alNone, &pnlHead);
    Bind(btnAdd, IDC_FAV_BTNADD, "btnAdd", TAlign::alNone, &pnlHead);
    Bind(btnCancel, IDC_FAV_BTNCANCEL, "btnCancel", TAlign::alNone, &pnlHead).ModalResult = mrCancel;
    Bind(pnlFavoritesList, IDC_FAV_PNLFAVORITESLIST, "pnlFavoritesList", TAlign::alTop);
    Bind(lblFavoritesList, IDC_FAV_LBLFAVORITESLIST, "lblFavoritesList", TAlign::alNone, &pnlFavoritesList);
    Bind(lstbxFavorites, IDC_FAV_LSTBXFAVORITES, "lstbxFavorites", TAlign::alNone, &pnlFavoritesList);
    Bind(pnlBottom, IDC_FAV_PNLBOTTOM, "pnlBottom", TAlign::alTop);
    Bind(btnOk, IDC_FAV_BTNOK, "btnOk", TAlign::alNone, &pnlBottom).ModalResult = mrOk;
    lblName.FocusControl = &edtName;
    lblFavoritesList.FocusControl = &lstbxFavorites;

    pppmnFavoritesList.Load(*this, IDM_FAVORITESPOPUP, true);
    Register(pppmnFavoritesList, "pppmnFavoritesList");
    pppmnitmDelete = pppmnFavoritesList.Bind(ID_PPPMNITMDELETE, "pppmnitmDelete");
    lstbxFavorites.PopupMenu = &pppmnFavoritesList;

    CancelButton = &btnCancel;
    OnShow = Handler(this, &TfrmFavorites::FormShow);
    edtName.OnKeyPress = [this](TObject* s, wchar_t& key) { edtNameKeyPress(s, key); };
    edtName.OnKeyDown = [this](TObject* s, WORD& key, UINT shift) { edtNameKeyDown(s, key, shift); };
    btnAdd.OnClick = Handler(this, &TfrmFavorites::btnAddClick);
    btnFavoritesList.OnClick = Handler(this, &TfrmFavorites::btnFavoritesListClick);
    pppmnFavoritesList.OnPopup = Handler(this, &TfrmFavorites::pppmnFavoritesListPopup);
    pppmnitmDelete->OnClick = Handler(this, &TfrmFavorites::pppmnitmDeleteClick);
}

void TfrmFavorites::FormCreate() {
    btnOk.SetGlyph(frmMain->imglstMain, iiGlyphOk);
    btnCancel.SetGlyph(frmMain->imglstMain, iiGlyphCancel);
    btnFavoritesList.SetGlyph(frmMain->imglstMain, iiGlyphFavoritesList);
    btnAdd.SetGlyph(frmMain->imglstMain, iiGlyphAdd);
}

void TfrmFavorites::FitToPanels() {
    int height = 0;
    for (const TPanel* panel : {&pnlHead, &pnlFavoritesList, &pnlBottom})
        if (Shown(*panel)) height += panel->Height();
    RECT client{};
    ::GetClientRect(Handle, &client);
    SetClientSize(client.right, height);
    Realign();
}

void TfrmFavorites::FormShow(TObject*) {
    FitToPanels();
    CenterOnScreen();
    // Enter adds a name, or closes the list.
    DefaultButton = Shown(pnlHead) ? &btnAdd : &btnOk;
    if (Shown(pnlHead)) {
        edtName.SetFocus();
        ::SendMessageA(edtName.Handle, EM_SETSEL, 0, -1);
    } else {
        lstbxFavorites.SetFocus();
    }
}

void TfrmFavorites::FillFavoritesList() {
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(frmMain->FFavorites.Count()));
    for (const std::string& line : frmMain->FFavorites) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) names.push_back(line.substr(0, eq));
    }
    lstbxFavorites.SetItems(std::move(names));
}

void TfrmFavorites::edtNameKeyPress(TObject*, wchar_t& key) {
    if (key == L':' || key == L'=' || key == L'\\') key = 0;
}

void TfrmFavorites::edtNameKeyDown(TObject*, WORD& key, UINT) {
    if (key == VK_RETURN) {
        key = 0;
        btnAdd.HandleCommand(BN_CLICKED);
    } else if (key == VK_ESCAPE) {
        key = 0;
        btnCancel.HandleCommand(BN_CLICKED);
    }
}

void TfrmFavorites::btnAddClick(TObject*) {
    // The favourites file is text in the code page: a name it cannot hold
    // is refused, never kept as some other name.
    std::string name;
    if (!frmMain->TextForFile(edtName.WideText(), name)) return;
    for (const char* invalid : {"=", "\\", ":"})
        if (name.find(invalid) != std::string::npos) {
            NotifyError(smsgInvalidCharHead + " \"" + invalid + "\" " + smsgInvalidCharBottom);
            return;
        }
    TStringList& favorites = frmMain->FFavorites;
    const bool known = favorites.IndexOfName(name) >= 0;
    if (!favorites.Value(name).empty() &&
        !QueryYesNo(smsgHaveFavoritesNameHead + " " + name + " \r\n " + smsgHaveFavoritesNameBottom))
        return;
    // A name that is there already keeps its line and its one menu item.
    favorites.SetValue(name, FavoriteKey);
    frmMain->FFavoritesChanged = true;
    // Kept as a favourite even when the menu has no room for its item.
    if (!known && !frmMain->AddFavoriteMenuItem(name)) NotifyError(frmMain->msgFavoritesMenuFull + " " + name);
    ModalResult = mrOk;
}

void TfrmFavorites::btnFavoritesListClick(TObject*) {
    const bool show = !Shown(pnlFavoritesList);
    pnlFavoritesList.SetVisible(show);
    btnFavoritesList.SetCaption(show ? sHideListCaption : sShowListCaption);
    if (show) FillFavoritesList();
    FitToPanels();
}

void TfrmFavorites::pppmnFavoritesListPopup(TObject*) {
    pppmnitmDelete->SetEnabled(!lstbxFavorites.SelectedIndexes().empty());
}

void TfrmFavorites::pppmnitmDeleteClick(TObject*) {
    const std::vector<int> rows = lstbxFavorites.SelectedIndexes();
    if (rows.empty()) return;
    std::vector<std::string_view> names;
    names.reserve(rows.size());
    for (int row : rows) names.push_back(lstbxFavorites.Item(row));
    frmMain->RemoveFavoriteMenuItems(names);
    // Each row takes the first line of its name (letter case aside) that
    // an earlier row has not taken.
    std::string keys, key;
    std::vector<size_t> ends;
    ends.reserve(names.size());
    for (std::string_view name : names) {
        FoldNameInto(name, key);
        keys += key;
        ends.push_back(keys.size());
    }
    std::unordered_map<std::string_view, int> pending;
    pending.reserve(names.size());
    for (size_t i = 0, start = 0; i < ends.size(); start = ends[i++])
        ++pending[std::string_view(keys).substr(start, ends[i] - start)];
    TStringList kept;
    for (const std::string& line : frmMain->FFavorites) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) {
            FoldNameInto(std::string_view(line).substr(0, eq), key);
            auto it = pending.find(key);
            if (it != pending.end() && it->second > 0) {
                --it->second;
                continue;
            }
        }
        kept.Add(line);
    }
    frmMain->FFavorites = std::move(kept);
    frmMain->FFavoritesChanged = true;
    lstbxFavorites.DeleteRows(rows);
}
