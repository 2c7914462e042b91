#pragma once
// The binary editor: a byte string in three columns kept in step, the
// addresses, the hex text and the character view. The editing rules live in
// THexEditModel; the columns only show its bytes.
#include "Forms.h"
#include "HexEditModel.h"
#include "RichEdit.h"
#include "StdCtrls.h"

class TfrmBin : public classlib::TForm {
public:
    // ---- Components ----
    classlib::TTabControl tbstMain;
    classlib::TNotebook ntbkMain;
    classlib::TPanel pgMain, pgImage;
    classlib::TLabel lblName, lblData, lblLength, lblMax;
    classlib::TEdit edtName;
    classlib::TPanel pnlValue;
    classlib::TRichEdit mmAddress;
    classlib::TRichEdit mmHexValue;   // the hex column on the Windows NT family
    classlib::TMemo mm_HexValue;      // the hex column elsewhere
    classlib::TRichEdit mmValueString;
    classlib::TScrollBar scrbrIndex;
    classlib::TBitBtn btnLoad, btnSave, btnOK, btnCancel;
    classlib::TTimer tmrIndexLine;

    // Set by the caller: true for the hex editor on its own (no name row).
    bool HideValueName = false;
    bool FHexSelecting = false;  // a mouse selection in the hex column is in progress
    bool FCharSelecting = false;
    bool FMirrorBusy = false;
    bool FHexLeads = true;       // the hex column leads the scrolling

    // The hex column in use and its text; the caller fills and reads it.
    bool RichHexColumn() const { return FRichHex; }
    classlib::TControl& HexColumn();
    std::string HexColumnText() const;
    void SetHexColumnText(const std::string& text);
    // The bytes the columns show.
    const THexEditModel& Model();
    int HexLineCount() const { return FHexLines; }
    // The font of the three columns (a fixed-pitch one is asked for); the
    // columns are sized again from its metrics.
    void SetColumnFont(const std::string& face, int height);

    // ---- Handlers ----
    void FormShow(classlib::TObject* sender);
    void FormHide(classlib::TObject* sender);
    void tbstMainChange(classlib::TObject* sender);
    void mmHexValueChange(classlib::TObject* sender);
    void mmHexValueKeyPress(classlib::TObject* sender, char& key);
    void mmHexValueKeyDown(classlib::TObject* sender, WORD& key, UINT shift);
    void mmHexValueKeyUp(classlib::TObject* sender, WORD& key, UINT shift);
    void mmHexValueMouseDown(classlib::TObject* sender, classlib::TMouseButton button, UINT shift, int x, int y);
    void mmHexValueMouseMove(classlib::TObject* sender, UINT shift, int x, int y);
    void mmHexValueMouseUp(classlib::TObject* sender);
    void mmHexValueEnter(classlib::TObject* sender);
    void mmHexValueExit(classlib::TObject* sender);
    void mmValueStringChange(classlib::TObject* sender);
    void mmValueStringKeyPress(classlib::TObject* sender, char& key);
    void mmValueStringKeyDown(classlib::TObject* sender, WORD& key, UINT shift);
    void mmValueStringKeyUp(classlib::TObject* sender, WORD& key, UINT shift);
    void mmValueStringMouseDown(classlib::TObject* sender, classlib::TMouseButton button, UINT shift, int x, int y);
    void mmValueStringMouseMove(classlib::TObject* sender, UINT shift, int x, int y);
    void mmValueStringMouseUp(classlib::TObject* sender);
    void mmValueStringEnter(classlib::TObject* sender);
    void mmValueStringExit(classlib::TObject* sender);
    void mmAddressEnter(classlib::TObject* sender);
    void scrbrIndexScroll(classlib::TObject* sender);
    void scrbrIndexEnter(classlib::TObject* sender);
    void scrbrIndexExit(classlib::TObject* sender);
    void tmrIndexLineTimer(classlib::TObject* sender);

    // ---- Internal operations ----
    void MirrorHexToChars();
    void MirrorCharsToHex();
    void SnapHexSelection();
    void ScrollColumnsTo(int line);
    void SyncFromHexColumn();
    void SyncFromCharColumn();

protected:
    void BindComponents() override;
    void FormCreate() override;
    INT_PTR WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;

private:
    void LayOut();
    void EnsureModel();
    void ApplyEdit(const THexEdit& edit);
    void SelectAll();
    void RebuildAddresses();
    void UpdateAddresses();
    void UpdateLength();
    void HexTextChanged();
    void SyncFrom(HWND leader);
    HWND HexHandle() const { return FRichHex ? mmHexValue.Handle : mm_HexValue.Handle; }

    THexEditModel FModel;
    bool FRichHex = true;
    bool FModelStale = false;  // the hex column was set past SetHexColumnText
    bool FCharsStale = false;  // the character column was set by the caller
    bool FApplying = false;    // the model's own change is being shown
    bool FFilling = false;     // SetHexColumnText is filling the column
    bool FShowing = false;
    int FHexLines = 1;
    int FAddressLines = 0;
    int FSyncedLine = 0;
    std::unique_ptr<classlib::TGdiObject> FColumnFont;
};

extern TfrmBin* frmBin;
