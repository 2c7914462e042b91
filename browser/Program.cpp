#include "Program.h"

#include "UnitAbout.h"
#include "UnitBin.h"
#include "UnitBinFind.h"
#include "UnitCurrentKey.h"
#include "UnitDword.h"
#include "UnitFavorites.h"
#include "UnitFind.h"
#include "UnitFinding.h"
#include "UnitGoTo.h"
#include "UnitKeyContent.h"
#include "UnitMain.h"
#include "UnitReplace.h"
#include "UnitReplaceConfirm.h"
#include "UnitStr.h"
#include "UnitValueReplaceConfirm.h"
#include "resource.h"

void CreateTessmorelForms(HINSTANCE instance) {
    classlib::TApplication& app = classlib::Application();
    app.Initialize(instance);
    app.Title = "Tessmorel";
    app.CreateForm(frmMain, IDD_FRMMAIN);
    app.CreateForm(frmStr, IDD_FRMSTR);
    app.CreateForm(frmDword, IDD_FRMDWORD);
    app.CreateForm(frmBin, IDD_FRMBIN);
    app.CreateForm(frmFind, IDD_FRMFIND);
    app.CreateForm(frmGoTo, IDD_FRMGOTO);
    app.CreateForm(frmCurrentKey, IDD_FRMCURRENTKEY);
    app.CreateForm(frmReplace, IDD_FRMREPLACE);
    app.CreateForm(frmReplaceConfirm, IDD_FRMREPLACECONFIRM);
    app.CreateForm(frmFavorites, IDD_FRMFAVORITES);
    app.CreateForm(frmValueReplaceConfirm, IDD_FRMVALUEREPLACECONFIRM);
    app.CreateForm(frmAbout, IDD_FRMABOUT);
    app.CreateForm(frmKeyContent, IDD_FRMKEYCONTENT);
    app.CreateForm(frmBinFind, IDD_FRMBINFIND);
    app.CreateForm(frmFinding, IDD_FRMFINDING);
}
