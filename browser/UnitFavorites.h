#pragma once
// The favourites dialog: adds the selected key under a name (head panel),
// and lists the favourites by name so that some can be deleted (list
// panel). It works on the main window's favourites and its menu items.
#include <string>

#include "Forms.h"
#include "StdCtrls.h"

class TfrmFavorites : public classlib::TForm {
public:
    // ---- Components ----
    classlib::TPanel pnlHead, pnlFavoritesList, pnlBottom;
    classlib::TLabel lblName, lblFavoritesList;
    classlib::TEdit edtName;
    classlib::TBitBtn btnFavoritesList, btnAdd, btnCancel, btnOk;
    classlib::TListBox lstbxFavorites;
    classlib::TPopupMenu pppmnFavoritesList;
    classlib::TMenuItem* pppmnitmDelete{};

    // The address of the key to add ("ROOT:path"), set before each showing.
    std::string FavoriteKey;
    // ---- Texts ----
    std::string sHideListCaption, sShowListCaption, smsgInvalidCharHead, smsgInvalidCharBottom,
        smsgHaveFavoritesNameHead, smsgHaveFavoritesNameBottom;

    void FillFavoritesList();

    // ---- Handlers ----
    void FormShow(classlib::TObject* sender);
    void edtNameKeyPress(classlib::TObject* sender, wchar_t& key);
    void edtNameKeyDown(classlib::TObject* sender, WORD& key, UINT shift);
    void btnAddClick(classlib::TObject* sender);
    void btnFavoritesListClick(classlib::TObject* sender);
    void pppmnFavoritesListPopup(classlib::TObject* sender);
    void pppmnitmDeleteClick(classlib::TObject* sender);

protected:
    void BindComponents() override;
    void FormCreate() override;

private:
    // The form's client area holds exactly its visible panels.
    void FitToPanels();
};

extern TfrmFavorites* frmFavorites;
