#pragma once
// The binary editor: a byte string in three columns kept in step, the
// addresses, the hex text and the character view. The bytes, the editing
// rules and both selections live in THexEditModel and this form; the three
// columns only show the sixteen lines in view, so that a value of any size
// opens, scrolls and edits at once.
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "HexEditModel.h"
#include "Menus.h"
#include "RichEdit.h"
#include "StdCtrls.h"

// The editor's own copy buffer: never the system clipboard, kept for the run.
struct ZRVHexCopyData {
    bool HasData = false;
    std::string HexText;  // whole bytes, no leading or trailing blank
};

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
    classlib::TPopupMenu pppmnHexValue;
    classlib::TMenuItem *pppmnHexValueCut = nullptr, *pppmnHexValueCopy = nullptr, *pppmnHexValuePaste = nullptr,
                        *pppmnitmHexValuePrint = nullptr, *pppmnitmHexValueFind = nullptr,
                        *pppmnitmHexValueFindNext = nullptr, *pppmnHexValueDelete = nullptr;
    classlib::TOpenDialog opndlgMain;
    classlib::TSaveDialog svdlgMain;
    // The picture page.
    classlib::TImage imgMain;
    classlib::TLabel lblInfo;
    classlib::TBitBtn btnImageLoad, btnImageSave;
    classlib::TOpenPictureDialog opnpicdlgMain;
    classlib::TSaveDialog svpicdlgMain;
    std::string smsgUnknownImageFormat;  // a language text

    // Set by the caller: true for the hex editor on its own (no name row).
    bool HideValueName = false;

    // The hex column in use; the caller fills and reads the whole hex text
    // here, and reads the character view (the character column always shows
    // the view of the hex column's bytes).
    bool RichHexColumn() const { return FRichHex; }
    classlib::TControl& HexColumn();
    std::string HexColumnText() const { return FModel.HexText(); }
    void SetHexColumnText(const std::string& text);
    std::string CharColumnText() const { return FModel.CharText(); }
    const THexEditModel& Model() const { return FModel; }
    // Lines of the whole hex text, and the first line in view.
    int HexLineCount() const { return FModel.LineCount(); }
    int TopLine() const { return FTop; }
    // Selections in the whole texts (anchor first when set).
    TTextRange HexSelection() const;
    TTextRange CharSelection() const;
    void SelectHex(int anchor, int caret);
    void SelectChars(int anchor, int caret);
    // The font of the three columns (a fixed-pitch one is asked for); the
    // columns are sized again from its metrics.
    void SetColumnFont(const std::string& face, int height);

    // ---- Handlers ----
    void FormShow(classlib::TObject* sender);
    void FormHide(classlib::TObject* sender);
    void tbstMainChange(classlib::TObject* sender);
    void mmHexValueChange(classlib::TObject* sender);
    void mmHexValueKeyPress(classlib::TObject* sender, wchar_t& key);
    void mmHexValueKeyDown(classlib::TObject* sender, WORD& key, UINT shift);
    void mmHexValueKeyUp(classlib::TObject* sender, WORD& key, UINT shift);
    void mmHexValueMouseDown(classlib::TObject* sender, classlib::TMouseButton button, UINT shift, int x, int y);
    void mmHexValueMouseMove(classlib::TObject* sender, UINT shift, int x, int y);
    void mmHexValueMouseUp(classlib::TObject* sender);
    void mmHexValueEnter(classlib::TObject* sender);
    void mmHexValueExit(classlib::TObject* sender);
    void mmValueStringKeyPress(classlib::TObject* sender, wchar_t& key);
    void mmValueStringKeyDown(classlib::TObject* sender, WORD& key, UINT shift);
    void mmValueStringKeyUp(classlib::TObject* sender, WORD& key, UINT shift);
    void mmValueStringMouseDown(classlib::TObject* sender, classlib::TMouseButton button, UINT shift, int x, int y);
    void mmValueStringMouseMove(classlib::TObject* sender, UINT shift, int x, int y);
    void mmValueStringMouseUp(classlib::TObject* sender);
    void mmValueStringEnter(classlib::TObject* sender);
    void mmValueStringExit(classlib::TObject* sender);
    void mmAddressEnter(classlib::TObject* sender);
    void mmAddressMouseDown(classlib::TObject* sender, classlib::TMouseButton button, UINT shift, int x, int y);
    void ColumnMouseWheel(classlib::TObject* sender, int delta);
    void scrbrIndexScroll(classlib::TObject* sender);
    void scrbrIndexEnter(classlib::TObject* sender);
    void scrbrIndexExit(classlib::TObject* sender);
    void tmrIndexLineTimer(classlib::TObject* sender);
    void pppmnHexValuePopup(classlib::TObject* sender);
    void pppmnHexValueCutClick(classlib::TObject* sender);
    void pppmnHexValueCopyClick(classlib::TObject* sender);
    void pppmnHexValuePasteClick(classlib::TObject* sender);
    void pppmnHexValueDeleteClick(classlib::TObject* sender);
    void pppmnitmHexValueFindClick(classlib::TObject* sender);
    void pppmnitmHexValueFindNextClick(classlib::TObject* sender);
    void pppmnitmHexValuePrintClick(classlib::TObject* sender);
    void btnLoadClick(classlib::TObject* sender);
    void btnSaveClick(classlib::TObject* sender);
    void btnImageLoadClick(classlib::TObject* sender);
    void btnImageSaveClick(classlib::TObject* sender);
    // Writes the shown picture as GIF, JPEG or bitmap by the name's extension;
    // false (and no file) when it cannot.
    bool SavePictureToFile(const std::string& fileName);

    // Reads a whole file into the columns (asking first for 64 KB and more);
    // false when it could not be read or the question was declined.
    bool LoadDataFromFile(const std::string& fileName);
    // Writes the bytes to the file, completely or not at all.
    bool SaveDataToFile(const std::string& fileName);
    void UpdatePopupState();

    ZRVHexCopyData FCopyData;
    bool FFindFound = false;

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
    struct TCaret {
        int Anchor = 0, Caret = 0;
        TTextRange Range() const;
    };
    void LayOut();
    void Render();
    void ShowSelections();
    void ApplyEdit(const THexEdit& edit, bool hexLeads);
    void SelectAll();
    void UpdateLength();
    void ShowLine(int line);
    bool Navigate(bool hex, WORD key, UINT shift);
    int PositionAt(HWND column, int x, int y, bool hex);
    void DragTo(HWND column, int x, int y, bool hex);
    void SyncFrom(HWND leader);
    enum class TLoad { Loaded, Declined, Failed };
    TLoad LoadData(const std::string& fileName);
    // Selects the next hit of the find dialog's pattern at or after a hex position.
    bool FindFrom(int from);
    // Snaps the hex selection and copies its bytes; false when it holds none.
    bool CopySelection();
    void DeleteSelection();
    // Builds the picture page from the bytes.
    void ShowPicture();
    void ShowInfo(const std::string& text);
    HWND HexHandle() const { return FRichHex ? mmHexValue.Handle : mm_HexValue.Handle; }
    // What the two columns share; hex tells which column.
    HWND ColumnHandle(bool hex) const;
    bool& Selecting(bool hex);
    void MirrorFrom(bool hex);
    void ColumnKeyPress(bool hex, wchar_t& key);
    void ColumnKeyDown(bool hex, WORD& key, UINT shift);
    void ColumnKeyUp(bool hex, WORD key, UINT shift);
    void ColumnMouseDown(bool hex, classlib::TMouseButton button, UINT shift, int x, int y);
    void ColumnMouseMove(bool hex, int x, int y);
    void ColumnMouseUp(bool hex);

    THexEditModel FModel;
    TCaret FHex, FChars;
    int FTop = 0;            // first line in view
    int FAutoScroll = 0;     // -1 or +1 while a drag holds the mouse above or below the columns
    int FTicks = 0;
    bool FRichHex = true;
    bool FHexSelecting = false;  // a mouse selection in the hex column is in progress
    bool FCharSelecting = false;
    bool FMirrorBusy = false;
    bool FHexLeads = true;       // the hex column leads the scrolling
    bool FRendering = false;
    bool FShowing = false;
    std::string FShownHex, FShownChars, FShownAddresses;
    std::unique_ptr<classlib::TGdiObject> FColumnFont;
};

extern TfrmBin* frmBin;
