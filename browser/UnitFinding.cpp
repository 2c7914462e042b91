#include "UnitFinding.h"

#include "UnitMain.h"
#include "resource.h"
#include "zrvRegFind.h"

using namespace classlib;

TfrmFinding* frmFinding = nullptr;

void TfrmFinding::BindComponents() {
    Bind(lblFinding, IDC_FINDING_LBLFINDING, "lblFinding");
    Bind(lblPleaseWait, IDC_FINDING_LBLPLEASEWAIT, "lblPleaseWait");
    Bind(btnCancel, IDCANCEL, "btnCancel");
    Register(tmrFinding, "tmrFinding");
    tmrFinding.Interval = 10;
    CancelButton = &btnCancel;
    OnShow = Handler(this, &TfrmFinding::FormShow);
    OnHide = Handler(this, &TfrmFinding::FormHide);
    tmrFinding.OnTimer = Handler(this, &TfrmFinding::tmrFindingTimer);
    btnCancel.OnClick = Handler(this, &TfrmFinding::btnCancelClick);
}

void TfrmFinding::FormCreate() {
    btnCancel.SetGlyph(frmMain->imglstMain, iiGlyphCancel);
    SetTopMost(true);
    CenterOnScreen();
}

void TfrmFinding::FormShow(TObject*) {
    StopFinding = false;
    tmrFinding.SetEnabled(true);
    ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
}

void TfrmFinding::FormHide(TObject*) { tmrFinding.SetEnabled(false); }

void TfrmFinding::tmrFindingTimer(TObject*) { Application().ProcessMessages(); }

void TfrmFinding::btnCancelClick(TObject*) { StopFinding = true; }
