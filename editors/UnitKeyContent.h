#pragma once
// The key content editor: a text editor for registry-file text.
#include "Dialogs.h"
#include "Forms.h"
#include "RichEdit.h"

class TfrmKeyContent : public classlib::TForm {
public:
    classlib::TRichEdit rchedtContent;
    classlib::TStatusBar sttsbrContent;
    classlib::TMainMenu MainMenu1;
    classlib::TOpenDialog opndlgContent;
    classlib::TSaveDialog svdlgContent;
    classlib::TFindDialog fnddlgContent;
    classlib::TReplaceDialog rplcdlgContent;
    classlib::TMenuItem *mnitmFile{}, *mnitmLoadFromFile{}, *mnitmSaveToFile{}, *mnitmImportIntoRegistry{},
        *mnitmPrint{}, *mnitmClose{}, *mnitmEdit{}, *mnitmUndo{}, *mnitmCut{}, *mnitmCopy{}, *mnitmPaste{},
        *mnitmDelete{}, *mnitmClear{}, *mnitmSelectAll{}, *mnitmControl{}, *mnitmRegistryVersionInfo{},
        *mnitmReadonly{}, *mnFind{}, *mnitmFind{}, *mnitmFindNext{}, *mnitmReplace{};

    bool FFindFound = false;
    bool FReplaceRunning = false;
    bool FEscPressed = false;

    // Language texts: built-in texts at creation, the loader sets them.
    std::string sReadonlyCaption, sCancelReadonlyCaption, sPositionName, sLinesName, sSizeName, smsgReplaceVersionQuery, smsgCloseAfterChangeSaveQuery, smsgClearQuery, smsgReplaceBroken, smsgReplaceFinish, smsgQueryAddVersion, smsgQueryImport, smsgImportError, smsgUnknownRegistryFileVersion;

    // Empties the editor's text.
    void ClearContent();
    // Whether a line is one of the header lines the editor knows.
    static bool IsHeaderLine(const std::string& line);
    // Prints the whole text under a title; false (after telling the user)
    // when nothing could be printed.
    bool PrintContent(const std::wstring& title);

    void FormShow(classlib::TObject* sender);
    void FormCloseQuery(classlib::TObject* sender, bool& canClose);
    void rchedtContentChange(classlib::TObject* sender);
    void UpdatePosition();
    void mnitmFileClick(classlib::TObject* sender);
    void mnitmLoadFromFileClick(classlib::TObject* sender);
    // Returns whether the text was written.
    bool SaveToFile();
    void mnitmSaveToFileClick(classlib::TObject* sender);
    void mnitmImportIntoRegistryClick(classlib::TObject* sender);
    void mnitmPrintClick(classlib::TObject* sender);
    void mnitmCloseClick(classlib::TObject* sender);
    void mnitmEditCommand(classlib::TObject* sender);
    void mnitmClearClick(classlib::TObject* sender);
    void mnitmRegistryVersionInfoClick(classlib::TObject* sender);
    void mnitmReadonlyClick(classlib::TObject* sender);
    void mnitmFindClick(classlib::TObject* sender);
    void mnitmFindNextClick(classlib::TObject* sender);
    void mnitmReplaceClick(classlib::TObject* sender);
    void fnddlgContentFind(classlib::TObject* sender);
    void rplcdlgContentFind(classlib::TObject* sender);
    void rplcdlgContentReplace(classlib::TObject* sender);
    void rplcdlgContentReplaceAll(classlib::TObject* sender);

protected:
    void BindComponents() override;
    INT_PTR WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;

private:
    void InsertHeader();
    std::string FirstLine() const;
    bool SearchFrom(LONG from, const classlib::TFindDialog& dialog);
    void ReplaceAllOnce(const std::wstring& find, const std::wstring& with, bool matchCase, bool wholeWord);
    // Asks whether to save a modified text: IDYES, IDNO or IDCANCEL.
    int AskSaveChanges();
};

extern TfrmKeyContent* frmKeyContent;
