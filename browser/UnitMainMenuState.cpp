// Which of the main window's commands may be used: recomputed from the
// selected node, the selected list items and the two internal clipboards
// when a menu is about to open, at the first click in the tree and after a
// node was expanded. The handlers check the selection again themselves.
#include "UnitMain.h"
#include "zrvKeyTree.h"
#include "zrvRegistry.h"

using namespace classlib;

namespace {

void Enable(std::initializer_list<TMenuItem*> items, bool enabled) {
    for (TMenuItem* item : items) item->SetEnabled(enabled);
}

}  // namespace

void TfrmMain::BindMenuStates() {
    pppmnKey.OnPopup = Handler(this, &TfrmMain::pppmnKeyPopup);
    pppmnValue.OnPopup = Handler(this, &TfrmMain::pppmnValuePopup);
}

void TfrmMain::pppmnKeyPopup(TObject*) { UpdateMenuState(kKeyItems); }

void TfrmMain::pppmnValuePopup(TObject*) { UpdateMenuState(kValueItems); }

void TfrmMain::UpdateMenuState(int flags) {
    TTreeNode node = trvwKeys.Selected();
    TTreeData* data = node ? NodeData(node) : nullptr;
    const bool keySelected = data != nullptr;

    if (flags & kKeyItems) {
        const bool notRoot = keySelected && !data->WideName.empty();
        Enable({mnitmKeyRename, pppmnitmKeyRename, mnitmKeyDel, pppmnitmKeyDel, mnitmKeyCopy, pppmnitmKeyCopy},
               notRoot);
        // A comparison of root names and paths only: no key is opened.
        const bool canPaste = keySelected && FKeyCopy.HasData &&
                              CanPasteKey(FKeyCopy.RootKey, data->RootKey, FKeyCopy.WideKeyPath, GetNodeKeyPath(node));
        Enable({mnitmKeyPaste, pppmnitmKeyPaste}, canPaste);
        Enable({mnitmExportRegistryKey, pppmnitmExportRegistryKey, mnitmPrintKeyContent, mnitmKeyContent,
                pppmnitmKeyContent, mnitmKeyCurrent, pppmnitmKeyCurrent, mnitmFavoritesAdd, pppmnitmFavoritesAdd,
                mnitmRefresh, pppmnitmRefresh, mnitmFindNext, mnitmReplace, mnitmNewKey, mnitmNewDwordValue,
                mnitmNewStringValue, mnitmNewBinaryValue},
               keySelected);
        for (TToolButton* b : {&tlbrExportRegistryKey, &tlbrKeyContent, &tlbrFavoritesAdd, &tlbrRefresh})
            tlbrTool.EnableButton(*b, keySelected);
        // The pop-ups' New items stay offered; without a key they do nothing.
        Enable({pppmnitmKeyNewKey, pppmnitmKeyNewDwordValue, pppmnitmKeyNewStringValue, pppmnitmKeyNewBinaryValue,
                pppmnitmValueNewDwordValue, pppmnitmValueNewStringValue, pppmnitmValueNewBinaryValue},
               true);
    }

    if (flags & kValueItems) {
        TListItem item = lstvwValues.Selected();
        const bool valueSelected = item && ItemData(item);
        Enable({mnitmValueDel, pppmnitmValueDel, mnitmValueCopy, pppmnitmValueCopy}, valueSelected);
        Enable({mnitmValueEdit, pppmnitmValueEdit, mnitmValueRename, pppmnitmValueRename},
               valueSelected && lstvwValues.SelCount() < 2);
        Enable({mnitmValuePaste, pppmnitmValuePaste}, keySelected && FValueCopy.HasData);
    }
}
