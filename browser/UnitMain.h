#pragma once
// The main window: key tree, value list, menus, tool bar, address bar and
// status bar, and the shared state that the other windows read.
#include <array>

#include "Dialogs.h"
#include "Forms.h"
#include "Registry.h"
#include "StringList.h"
#include "zrvRegFile.h"
#include "zrvRegFind.h"

using classlib::TObject;
using classlib::TTreeNode;

// Tags of the menu items that serve the tree and the list alike, told apart
// by their handler, and of the favourite items.
enum TMenuTag : int {
    mtKey = 0,    // copy, paste, rename, delete: the selected key
    mtValue = 1,  // the same for the selected values; also Edit
    mtNewBinary = 1,
    mtNewDword = 2,
    mtNewString = 3,
    mtFavorite = 9999,
};

// What a value-list item holds (TViewData::DataType).
enum TValueKind : BYTE { vkOther = 0, vkString = 1, vkExpandString = 2, vkDword = 3, vkBinary = 4 };

// Images of imglstMain: the tree's keys, the list's values, the buttons' glyphs.
enum TImageIndex : int {
    iiKey = 0,
    iiKeySelected = 1,
    iiBinary = 2,
    iiDword = 3,
    iiString = 4,
    iiGlyphFavoritesList = 29,
    iiGlyphAdd = 30,
    iiGlyphOk = 32,
    iiGlyphAll = 33,
    iiGlyphNo = 34,
    iiGlyphCancel = 35,
};

// The data of a key-tree node.
class TTreeData : public TObject {
public:
    HKEY RootKey = nullptr;
    bool Loaded = false;
    std::string KeyName;  // upper case; empty for a root node
    // The key's subkey count, read when the tree first asks whether the node
    // can expand; -1 until then.
    int SubKeyCount = -1;
    // The key's real name, which the code page may not hold; empty for a
    // root node. Registry paths are built from these, never from the texts.
    std::wstring WideName;
};

// The data of a value-list item.
class TViewData : public TObject {
public:
    HKEY RootKey = nullptr;
    DWORD DwordValue = 0;
    BYTE DataType = vkOther;  // a TValueKind
    std::string KeyPath;    // upper case
    std::string ValueName;  // empty for the default value
    std::string DataText;
    std::string TextView;
    // String data exactly as stored (UTF-16, every NUL and an odd last byte
    // included): what the string editor edits and writes back.
    std::vector<BYTE> StoredData;
    // The real path of the key and name of the value, which the code page
    // may not hold: every registry access goes by these.
    std::wstring WideKeyPath;
    std::wstring WideName;
};

// A name as a message in the code page shows it: a character the code page
// cannot hold shows as "?", never as a look-alike of another name.
std::string ShownName(const std::wstring& name);

// One value as the list shows it; portable so that it can be tested alone.
struct TValueRow {
    std::string Caption, Size, Data;
    std::wstring WideData;  // string data by its real characters (shown instead of Data)
    int ImageIndex = 4;
};
// Fills the data object and the row of one value from its type and its
// bytes as the wide registry functions give them.
TValueRow DescribeValue(const std::wstring& name, DWORD regType, const unsigned char* data, size_t size,
                        TViewData& view);

// The size of string data (UTF-16) in the code page, as the ANSI registry
// functions count it.
size_t AnsiStringSize(const unsigned char* data, size_t size);


// The internal key clipboard: where the copied key is.
struct TKeyCopyData {
    HKEY RootKey = nullptr;
    std::string KeyPath;       // as the tree shows it
    std::wstring WideKeyPath;  // its real path: the paste goes by this
    bool HasData = false;
};

// One copied value exactly as it was stored when it was copied.
struct TCopiedValue {
    std::wstring Name;
    DWORD Type = REG_NONE;
    std::vector<BYTE> Data;
};

// The internal value clipboard: a snapshot of the copied values, kept as
// records (name, raw type, bytes), so that no name or data can be misread.
struct TValueCopyData {
    HKEY RootKey = nullptr;
    std::string KeyPath;  // upper case
    std::vector<TCopiedValue> Values;
    bool HasData = false;
    void Clear() {
        RootKey = nullptr;
        KeyPath.clear();
        Values.clear();
        HasData = false;
    }
};

// What one Replace All made of its hits: how many it replaced and the
// ones it could not (long name of the key, and the value's name).
struct TReplaceTally {
    int Replaced = 0;
    std::vector<std::wstring> Failed;
};

class TfrmMain : public classlib::TForm {
public:
    // ---- Components ----
    classlib::TImageList imglstMain;
    classlib::TCoolBar clbrMain;
    classlib::TToolBar tlbrTool;
    classlib::TToolButton tlbrExportRegistryKey, tlbrExportAllKey, tlbrImport, tlbrmEditRegFile, tlbrFind,
        tlbrRefresh, tlbrGoTo, tlbrFavoritesAdd, tlbrKeyContent, tlbrRegEditNotepad, tlbrHexEditer, tlbrHomepage,
        tlbrEmail, tlbrHelpContent, tlbrExit;
    std::array<classlib::TToolButton, 9> tlbrSeparators;
    classlib::TPanel pnlAddressBar, pnlAddress, pnlRoot, pnlGo;
    classlib::TComboBox cmbbxAddress;
    classlib::TTreeView trvwKeys;
    classlib::TSplitter splttrMain;
    classlib::TPanel pnlValues;
    classlib::TListView lstvwValues;
    classlib::TStatusBar sttsbrMain;
    classlib::TMainMenu mnMain;
    classlib::TPopupMenu pppmnKey, pppmnValue, pppmnRootKey;

    // Menu items (owned by their menus).
    classlib::TMenuItem *mnitmRegistry{}, *mnitmExportRegistryKey{}, *mnitmExportAllKey{}, *mnitmImport{},
        *mnitmEditRegFile{}, *mnitmPrintKeyContent{}, *mnitmExit{};
    classlib::TMenuItem *mnitmControl{}, *mnitmRefresh{}, *mnitmRefreshAll{}, *mnitmGoTo{}, *mnitmGoToLast{};
    classlib::TMenuItem *mnitmEdit{}, *mnitmNew{}, *mnitmNewKey{}, *mnitmNewDwordValue{}, *mnitmNewStringValue{},
        *mnitmNewBinaryValue{}, *mnitmKey{}, *mnitmKeyCopy{}, *mnitmKeyPaste{}, *mnitmKeyRename{}, *mnitmKeyDel{},
        *mnitmValue{}, *mnitmValueEdit{}, *mnitmValueCopy{}, *mnitmValuePaste{}, *mnitmValueRename{},
        *mnitmValueDel{}, *mnitmValueSelectAll{}, *mnitmFind{}, *mnitmFindNext{}, *mnitmReplace{};
    classlib::TMenuItem *mnitmView{}, *mnitmKeyCurrent{}, *mnitmKeyContent{};
    classlib::TMenuItem *mnitmTool{}, *mnitmRegEditNotepad{}, *mnitmHexEditer{};
    classlib::TMenuItem *mnitmFavorites{}, *mnitmFavoritesAdd{}, *mnitmFavoritesManage{};
    classlib::TMenuItem *mnitmLanguage{}, *mnitmLanguageDefaule{};
    classlib::TMenuItem *mnitmHelp{}, *mnitmHelpContent{}, *mnitmHomepage{}, *mnitmSuggestorQuestion{}, *mnitmAbout{};
    classlib::TMenuItem *pppmnitmKeyNew{}, *pppmnitmKeyNewKey{}, *pppmnitmKeyNewDwordValue{},
        *pppmnitmKeyNewStringValue{}, *pppmnitmKeyNewBinaryValue{}, *pppmnitmKeyCopy{}, *pppmnitmKeyPaste{},
        *pppmnitmKeyRename{}, *pppmnitmKeyDel{}, *pppmnitmKeyContent{}, *pppmnitmExportRegistryKey{},
        *pppmnitmKeyCurrent{}, *pppmnitmFavoritesAdd{}, *pppmnitmRefresh{};
    classlib::TMenuItem *pppmnitmValueEdit{}, *pppmnitmValueNew{}, *pppmnitmValueNewDwordValue{},
        *pppmnitmValueNewStringValue{}, *pppmnitmValueNewBinaryValue{}, *pppmnitmValueCopy{},
        *pppmnitmValuePaste{}, *pppmnitmValueRename{}, *pppmnitmValueDel{}, *pppmnitmValueSelectAll{};

    // ---- Shared state ----
    bool FPinned = false;
    classlib::TRegistry FRegistry;
    OSVERSIONINFOA FVersionInfo{};
    std::string FRegFileHeader;
    BYTE FDefaultCharset = 0;
    std::wstring FSystemRoot;  // the Windows folder, by its real name
    classlib::TStringList FFavorites;
    classlib::TStringList FLanguages;
    TKeyCopyData FKeyCopy;
    TValueCopyData FValueCopy;
    TFindOptions FFindOptions;
    TFindInfo FFindState;
    bool FFindFound = false;
    TFindOptions FReplaceOptions;
    TFindInfo FReplaceState;
    // A search or a Replace All is under way: no second one starts and the
    // window does not close under it (it closes when the search is over).
    bool FSearching = false;
    bool FCloseAfterSearch = false;
    bool FMenuStateInitialised = false;
    std::array<TTreeNode, 7> FRootNodes;

    // ---- Shared button captions ----
    std::string OkCaption, YesCaption, CancelCaption, NoCaption, FindCaption, ReplaceCaption, ReplaceAllCaption,
        AllCaption, SaveToFileCaption, LoadFromFileCaption, PrintCaption, SaveToImageCaption, LoadFromImageCaption,
        YesToAllCaption, NoToAllCaption;
    // ---- Words and messages ----
    // Every component and text keeps the name the form descriptions and the
    // language files use, misspellings included (sVallueName,
    // msgUnknowRegistryFileVersion, mnitmLanguageDefaule): the language
    // loader finds them by those names at run time.
    std::string sKeyName, sVallueName, sDataName, sMaxLengthName, sLengthName, sByteName, sBytesName,
        msgAccessRegistryError, msgWithoutKey, msgReplaceKeyNameFailed, msgCopyKeyError, msgDeleteKeyError,
        msgInvalidKeyName, msgRenameFailed, msgSureToRenameFrom, msgSureToChangeFrom, msgCanNotRenameItTo,
        msgCanNotRenameFrom, msgRenameTo, msgChangeTo, msgHaveSubkeyInSameName, msgCreatekeyFailed,
        msgCreateValueFailed, msgNoneCurrentKey, msgFindActionFinish, msgReplaceActionFinish,
        msgReplaceActionCanceled, msgNotFound, msgImportSuccess, msgUnknowRegistryFileVersion,
        msgErrorHappenWhenImport, msgFileNotExit, msgSureToImportFile, msgContinueToReplaceAllSameItems,
        msgDeleteQuery, msgDeleteSelectValueQuery, msgDeleteAllSelectValueQuery, msgValueNamed,
        msgValueExiststAndReplaceQuery, msgLargeFileQuery, msgExportLeftOut, msgFavoritesNotSaved,
        msgKeyNotWritable, msgReplacedCount, msgNotReplacedCount, msgKeyAccessDenied, msgFavoriteNameNotKept,
        msgValuesNotCopied, msgTextNotKept, msgFavoritesMenuFull;

    // ---- Key tree ----
    void ClearKeyTree();
    void AddRootNode(HKEY rootKey, const std::string& rootName);
    void LoadRootKeys();
    void LoadSubKeys(HKEY rootKey, TTreeNode node, const std::wstring& keyPath);
    void EnsureSubKeysLoaded(TTreeNode node);
    std::string GetNodePath(TTreeNode node) const;
    // The node's real key path below its root, from the keys' real names.
    std::wstring GetNodeKeyPath(TTreeNode node) const;
    std::string GetNodeLongName(TTreeNode node) const;
    // The same with the keys' real names.
    std::wstring GetNodeKeyLongName(TTreeNode node) const;
    // Shows the node's long name in the status bar, with the keys' real names.
    void ShowNodeLongName(TTreeNode node);
    TTreeNode FindKeyNode(HKEY rootKey, const std::string& keyPath);
    void RefreshNode(TTreeNode node);
    static TTreeData* NodeData(TTreeNode node);

    // ---- Value list, address history, menu states ----
    void ClearValueList();
    void LoadValues(TTreeNode node);
    void lstvwValuesResize(TObject* sender);
    static TViewData* ItemData(classlib::TListItem item);

    // ---- Menu and tool bar states ----
    // Recomputes the enabled states: kKeyItems the key items, kValueItems
    // the value items. Reads the tree, the list and the clipboards only.
    static constexpr int kKeyItems = 1, kValueItems = 2;
    void UpdateMenuState(int flags);
    void pppmnKeyPopup(TObject* sender);
    void pppmnValuePopup(TObject* sender);
    void BindMenuStates();

    // ---- Internal copy and paste of keys and values ----
    void pppmnitmKeyCopyClick(TObject* sender);   // Tag 0: CopyKey, Tag 1: CopyValues
    void pppmnitmKeyPasteClick(TObject* sender);  // Tag 0: PasteKey, Tag 1: PasteValues
    void CopyKey();
    void CopyValues();
    void PasteKey();
    void PasteValues();
    // Writes the copied values into an open key, asking before each one that
    // exists there, and reports a value that could not be written. False
    // when the user cancelled.
    bool WriteCopiedValues(HKEY key);
    void BindClipboardCommands();

    // ---- Address bar, Go To and Current Key ----
    // Selects the key, lists its values and records its address; on failure
    // tells the user and changes nothing else.
    bool GoToKey(HKEY rootKey, const std::string& keyPath);
    // Selects the node when its key is there, also when it may not be read
    // (its list stays empty and the status bar says so); else tells the
    // user whether the key is missing or out of reach.
    bool ShowKeyNode(TTreeNode node, HKEY rootKey, const std::wstring& keyPath);
    // The deepest node the tree has on the way to a key, loading nothing.
    TTreeNode DeepestKeyNode(HKEY rootKey, const std::wstring& keyPath);
    TTreeNode WalkKeyNodes(HKEY rootKey, const std::wstring& keyPath, bool load, bool& whole);
    // The loaded child of parent with this name (case ignored), or none.
    TTreeNode ChildNamed(TTreeNode parent, const std::wstring& name);
    // The key exists, whether or not this user may read it.
    static bool KeyIsThere(HKEY rootKey, const std::wstring& keyPath);
    // "ROOT:path"; an address without a full root name does nothing. Names
    // are matched exactly: text in the code page never reaches a key whose
    // real name only looks like it there.
    void GoToAddress(const std::string& address);
    void GoToAddress(const std::wstring& address);
    // Adds the address once (letter case aside); with show, also shows it.
    void AddAddressHistory(const std::string& address, bool show = true);
    void AddAddressHistory(const std::wstring& address, bool show = true);
    void AddRootKeyMenuItem(const std::string& rootName);
    void RootKeyAdd(TObject* sender);
    void cmbbxAddressClick(TObject* sender);
    void cmbbxAddressKeyDown(TObject* sender, WORD& key, UINT shift);
    void cmbbxAddressDropDown(TObject* sender);
    void pnlGoMouseMove(TObject* sender, UINT shift, int x, int y);
    void pnlGoMouseDown(TObject* sender, classlib::TMouseButton button, UINT shift, int x, int y);
    void pnlGoMouseUp(TObject* sender, classlib::TMouseButton button, UINT shift, int x, int y);
    void pnlRootMouseMove(TObject* sender, UINT shift, int x, int y);
    void pnlRootMouseDown(TObject* sender, classlib::TMouseButton button, UINT shift, int x, int y);
    void pnlRootMouseUp(TObject* sender, classlib::TMouseButton button, UINT shift, int x, int y);
    void mnitmGoToClick(TObject* sender);
    void mnitmGoToLastClick(TObject* sender);
    void pppmnitmKeyCurrentClick(TObject* sender);
    void BindAddressCommands();
    bool FGoPressed = false, FRootPressed = false;

    // ---- Find and replace ----
    void mnitmFindClick(TObject* sender);
    void mnitmFindNextClick(TObject* sender);
    void mnitmReplaceClick(TObject* sender);
    // Selects the key and the value of the hit in FFindState.
    void ShowSearchHit(HKEY rootKey);
    // Replaces at the hit in FReplaceState: mrAll with applyAll, else the
    // answer to the confirmation (0 when none was asked). A hit that cannot
    // be replaced is counted in tally when there is one (Replace All tells
    // at its end), else reported at once.
    int ReplaceAtHit(bool applyAll, bool showAll, TReplaceTally* tally = nullptr);
    // The key at a real path, loading tree levels on the way.
    TTreeNode FindKeyNode(HKEY rootKey, const std::wstring& keyPath);
    bool GoToKey(HKEY rootKey, const std::wstring& keyPath);
    void BindFindCommands();

    // ---- Creating, renaming and deleting keys and values ----
    void pppmnitmKeyNewKeyClick(TObject* sender);
    void pppmnitmKeyNewStringValueClick(TObject* sender);
    void pppmnitmKeyRenameClick(TObject* sender);
    void pppmnitmKeyDelClick(TObject* sender);
    void trvwKeysEdited(TObject* sender, TTreeNode node, std::wstring& text);
    void lstvwValuesEdited(TObject* sender, classlib::TListItem item, std::wstring& text);
    void BeginRenameKey();
    void BeginRenameValue();
    void DeleteKey();
    void DeleteValues();
    bool RenameKey(HKEY rootKey, const std::wstring& oldPath, const std::wstring& newPath);
    bool RenameValue(HKEY rootKey, const std::wstring& keyPath, const std::wstring& newName,
                     const std::wstring& oldName);
    void BindKeyCommands();

    // ---- Export, import and printing ----
    classlib::TSaveDialog svdlgExport;
    void mnitmExportRegistryKeyClick(TObject* sender);
    void mnitmExportAllKeyClick(TObject* sender);
    void mnitmImportClick(TObject* sender);
    void mnitmEditRegFileClick(TObject* sender);
    void pppmnitmKeyContentClick(TObject* sender);
    void pppmnitmKeyprntKeyContentClick(TObject* sender);
    void BindContentCommands();
    // Fills the key content editor with the text of the selected key.
    bool FillKeyContent(TTreeNode node);
    // Tells the user what an export left out; true when it left out nothing.
    bool ReportLeftOut(const TRegExportReport& report);
    // Text for a file of single-byte text in the code page (a registry file,
    // the favourites file): true with out set when the code page holds all
    // of it; else the user is told which lines hold what it cannot, and
    // nothing is to be written.
    bool TextForFile(const std::wstring& text, std::string& out);
    // False, telling the user why, for a key the file's code page cannot name.
    bool WritableAsText(TTreeNode node);

    // ---- Value editing ----
    void lstvwValuesDblClick(TObject* sender);
    void mnitmValueEditClick(TObject* sender);
    void mnitmHexEditerClick(TObject* sender);
    void EditStringValue(classlib::TListItem item, TViewData& data);
    void EditDwordValue(classlib::TListItem item, TViewData& data);
    void EditBinaryValue(classlib::TListItem item, TViewData& data);
    // Opens the key of an edited value for writing; tells the user when it cannot.
    bool OpenValueKey(const TViewData& data);
    // Shows a written value in its list item, as the value list shows it.
    void ShowEditedValue(classlib::TListItem item, TViewData& data, DWORD type, const BYTE* bytes, size_t size);
    void BindValueEditing();

    // ---- Favourites ----
    // One menu item per line that has a name ("name=ROOT:path").
    // The lines the menu has no room for are counted in one message.
    void LoadFavoritesMenu(const classlib::TStringList& favorites);
    // False when the menu has no room (no command number is free).
    bool AddFavoriteMenuItem(const std::string& name);
    // Removes every favourite item made with exactly this name.
    void RemoveFavoriteMenuItem(const std::string& name);
    // The same for several names in one walk over the items.
    void RemoveFavoriteMenuItems(const std::vector<std::string_view>& names);
    void FavoritesGoTo(TObject* sender);
    void mnitmFavoritesAddClick(TObject* sender);
    void mnitmFavoritesManageClick(TObject* sender);
    // Drops the favourites (lines "name=ROOT:path" with a real root) whose
    // key is not there; every other line stays, and so does a key that is
    // merely closed to this user. True when a line was dropped.
    bool PruneFavorites();
    void BindFavoriteCommands();
    // The favourite items with the names they were made with, in menu order:
    // items are found by these, never by their menu text.
    struct TFavoriteItem {
        std::string Name;
        classlib::TMenuItem* Item;
    };
    std::vector<TFavoriteItem> FFavoriteItems;
    // The file was there at start but could not be read: it is never
    // written over.
    bool FFavoritesUnreadable = false;
    // Favourites were added, replaced or deleted in this run.
    bool FFavoritesChanged = false;

    // ---- Handlers ----
    void FormCreate() override;
    void FormCloseQuery(TObject* sender, bool& canClose);
    void FormClose(TObject* sender);
    void applictnevntMainMinimize(TObject* sender);
    void mnitmRegistryClick(TObject* sender);
    void mnitmExitClick(TObject* sender);
    void mnitmHelpContentClick(TObject* sender);
    void mnitmHomepageClick(TObject* sender);
    void mnitmSuggestorQuestionClick(TObject* sender);
    void mnitmRegEditNotepadClick(TObject* sender);
    void mnitmAboutClick(TObject* sender);
    void mnitmRefreshClick(TObject* sender);
    void mnitmRefreshAllClick(TObject* sender);
    void pppmnitmValueSelectAllClick(TObject* sender);
    void trvwKeysClick(TObject* sender);
    void trvwKeysKeyUp(TObject* sender, WORD& key, UINT shift);
    void trvwKeysExpanding(TObject* sender, TTreeNode node, bool& allowExpansion);
    void trvwKeysExpanded(TObject* sender, TTreeNode node);
    bool trvwKeysHasChildren(TTreeNode node);
    void trvwKeysEditing(TObject* sender, TTreeNode node, bool& allowEdit);

    std::wstring FavoritesFileName() const;

    // ---- Language ----
    // The built-in texts of the words and messages of every window there is.
    void SetDefaultTexts();
    // Applies a section of the language file to every window; a key the
    // section lacks takes its built-in text.
    void LoadLanguage(const std::string& sectionName);
    void LoadDefaultLanguage();
    void LoadLanguageMenu();
    void mnitmLanguageDefauleClick(TObject* sender);
    void mnitmSetLanguageByName(TObject* sender);
    void FormShow(TObject* sender);
    // GetAppDirW + "LANGUAGE.INI", unless FLanguageFile names another file.
    std::wstring LanguageFileName() const;
    std::wstring FLanguageFile;
    // Keys whose window or component does not exist: they are skipped.
    const std::vector<std::string>& PendingLanguageKeys();
    // What a language key sets; Text is the index of the key whose text it takes.
    struct TTextTarget {
        std::size_t Text = 0;
        classlib::TForm* Form = nullptr;            // the window's title
        std::string* Field = nullptr;               // a text field
        classlib::TComponent* Component = nullptr;  // with Prop, or with Item >= 0
        const char* Prop = "Caption";
        int Item = -1;
    };
    // Every target in the order a language is applied, copies included.
    const std::vector<TTextTarget>& LanguageTargets();
    static std::string TargetText(const TTextTarget& target);

protected:
    void BindComponents() override;
    INT_PTR WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;

private:
    // Reloads a node once the tree is done with the edit that asked for it.
    static constexpr UINT kRefreshNode = WM_APP + 0x121;
    void RefreshNodeLater(TTreeNode node);
    HKEY FRefreshRoot = nullptr;
    std::wstring FRefreshPath;
    void BuildLanguageTargets();
    void SetSharedCaptionDefaults();
    void ApplyTexts(const class TIniSection* section);
    std::vector<TTextTarget> FTextTargets;
    std::vector<std::string> FPendingLanguageKeys;
    bool FTextTargetsBuilt = false;
    bool FShown = false;
    void LayOut();
};

extern TfrmMain* frmMain;

// "[root\path]", or "[root]" for a root, with the keys' real names.
std::wstring KeyLongName(HKEY rootKey, const std::wstring& keyPath);
// Names for a message box, one to a line, each after a line break; past
// the first ten a last line "...".
std::wstring NameLines(const std::vector<std::wstring>& names);

// Registers a form's language-text fields by name and gives each its
// built-in text (the key is the form's instance name, ".", and the field's name).
void RegisterLanguageFields(classlib::TForm& form, const std::string& formName,
                            std::initializer_list<std::pair<std::string*, const char*>> fields);
