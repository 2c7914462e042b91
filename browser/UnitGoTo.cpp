#include "UnitGoTo.h"

#include "UnitMain.h"
#include "resource.h"
#include "zrvRegistry.h"

#include <iterator>

using namespace classlib;

TfrmGoTo* frmGoTo = nullptr;

namespace {

// The roots of the radio items, in order; the last is offered on the
// Windows 95 family only.
const HKEY kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
                       HKEY_USERS,        HKEY_CURRENT_CONFIG, HKEY_DYN_DATA};

}  // namespace

void TfrmGoTo::BindComponents() {
    Bind(Image1, IDC_GOTO_IMAGE1, "Image1");
    Bind(rdgrpHKey, IDC_GOTO_RDGRPHKEY, "rdgrpHKey");
    Bind(lblKey, IDC_GOTO_LBLKEY, "lblKey");
    Bind(edtKey, IDC_GOTO_EDTKEY, "edtKey");
    Bind(btnOk, IDOK, "btnOk").ModalResult = mrOk;
    Bind(btnCancel, IDCANCEL, "btnCancel").ModalResult = mrCancel;
    lblKey.FocusControl = &edtKey;
    rdgrpHKey.Columns = 2;
    edtKey.SetText("Software\\Microsoft\\Windows\\CurrentVersion");
    DefaultButton = &btnOk;
    CancelButton = &btnCancel;
    OnShow = Handler(this, &TfrmGoTo::FormShow);
    rdgrpHKey.OnClick = Handler(this, &TfrmGoTo::rdgrpHKeyClick);
    edtKey.OnKeyDown = [this](TObject* s, WORD& key, UINT shift) { edtKeyKeyDown(s, key, shift); };
}

void TfrmGoTo::FormCreate() {
    RootKey = HKEY_LOCAL_MACHINE;
    GoToDone = false;
    std::vector<std::string> items;
    for (HKEY root : kRoots) items.push_back(RootKeyToName(root));
    if (frmMain->FVersionInfo.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS) items.pop_back();
    rdgrpHKey.SetItems(items);
    rdgrpHKey.SetItemIndex(2);
    btnOk.SetGlyph(frmMain->imglstMain, iiGlyphOk);
    btnCancel.SetGlyph(frmMain->imglstMain, iiGlyphCancel);
    CenterOnScreen();
}

void TfrmGoTo::FormShow(TObject*) { edtKey.SetFocus(); }

void TfrmGoTo::rdgrpHKeyClick(TObject*) {
    const int index = rdgrpHKey.ItemIndex();
    if (index >= 0 && index < static_cast<int>(std::size(kRoots))) RootKey = kRoots[index];
}

void TfrmGoTo::edtKeyKeyDown(TObject*, WORD& key, UINT) {
    if (key == VK_RETURN) {
        key = 0;
        btnOk.HandleCommand(BN_CLICKED);
    } else if (key == VK_ESCAPE) {
        key = 0;
        btnCancel.HandleCommand(BN_CLICKED);
    }
}
