#pragma once
// The common controls: tree view, list view, status bar, tool bar, cool bar.
#include "Components.h"

namespace classlib {

class TTreeView;

// A node of a tree view: a light handle, cheap to copy. A null node has no
// item. The node owns its Data, which is deleted with the node.
class TTreeNode {
public:
    TTreeNode() = default;
    TTreeNode(TTreeView* tree, HTREEITEM item) : FTree(item ? tree : nullptr), FItem(item) {}
    explicit operator bool() const { return FItem != nullptr; }
    bool operator==(const TTreeNode& o) const { return FItem == o.FItem; }
    bool operator!=(const TTreeNode& o) const { return FItem != o.FItem; }
    HTREEITEM ItemId() const { return FItem; }
    TTreeView* Tree() const { return FTree; }

    std::string Text() const;
    void SetText(const std::string& text);
    std::wstring WideText() const;  // by its real characters
    void SetWideText(const std::wstring& text);
    TObject* Data() const;
    TTreeNode Parent() const;
    TTreeNode FirstChild() const;
    TTreeNode NextSibling() const;
    // A child node, or (for a node added on demand) the tree's answer.
    bool HasChildren() const;
    int Count() const;
    bool Expanded() const;
    // Expands through the tree's OnExpanding, as a click on the button does.
    void Expand(bool recurse);
    void Collapse(bool recurse);
    void DeleteChildren();
    void Delete();
    bool Selected() const;
    void Select();
    void EditText();
    void MakeVisible();

private:
    TTreeView* FTree = nullptr;
    HTREEITEM FItem = nullptr;
};

enum class TNodeSort { Last, Sorted };

using TTVExpandingEvent = std::function<void(TObject* sender, TTreeNode node, bool& allowExpansion)>;
using TTVExpandedEvent = std::function<void(TObject* sender, TTreeNode node)>;
using TTVEditingEvent = std::function<void(TObject* sender, TTreeNode node, bool& allowEdit)>;
// The name typed, by its real characters; the node shows text afterwards.
using TTVEditedEvent = std::function<void(TObject* sender, TTreeNode node, std::wstring& text)>;
using TTVHasChildrenEvent = std::function<bool(TTreeNode node)>;

class TTreeView : public TControl {
public:
    static constexpr UINT kDeferredClick = WM_APP + 0x101;
    TTVExpandingEvent OnExpanding;
    TTVExpandedEvent OnExpanded;
    TTVEditingEvent OnEditing;
    TTVEditedEvent OnEdited;
    TKeyEvent OnKeyUp;
    // Whether a node added on demand has children: asked only when the
    // control needs to know (to draw its button, or to expand it).
    TTVHasChildrenEvent OnHasChildren;

    void SetImages(TImageList& images);
    void SetIndent(int indent);
    // Adds a child (a top-level node for a null parent). Last is constant
    // time: callers that add many children sort them first.
    TTreeNode AddChild(TTreeNode parent, const std::string& text, TObject* data, int image = -1,
                       int selectedImage = -1, TNodeSort where = TNodeSort::Last);
    // The same with a text that the code page may not hold.
    TTreeNode AddChild(TTreeNode parent, const std::wstring& text, TObject* data, int image = -1,
                       int selectedImage = -1, TNodeSort where = TNodeSort::Last);
    // The same, last, for a node whose children OnHasChildren tells.
    TTreeNode AddChildOnDemand(TTreeNode parent, const std::wstring& text, TObject* data, int image,
                               int selectedImage);
    TTreeNode FirstNode() const;
    TTreeNode Selected() const;
    void SetSelected(TTreeNode node);
    void Clear();
    void BeginUpdate();
    void EndUpdate();
    int Count() const;  // every node
    bool IsEditing() const;
    TTreeNode NodeAt(int x, int y) const;

    // Lets the node expand when OnExpanding allows it.
    bool CanExpand(TTreeNode node);
    void DoExpanded(TTreeNode node);

    LRESULT HandleNotify(NMHDR* hdr, bool& handled) override;
    bool HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    HTREEITEM ItemAtMessagePos() const;
    TTreeNode Insert(TTreeNode parent, const void* text, bool wide, TObject* data, int image, int selectedImage,
                     TNodeSort where, bool onDemand = false);
    int FUpdateCount = 0;
    bool FExpandingByCode = false;
    bool FLabelEditing = false;
};

class TListView;

class TListItem {
public:
    TListItem() = default;
    TListItem(TListView* list, int index) : FList(index >= 0 ? list : nullptr), FIndex(index) {}
    explicit operator bool() const { return FList != nullptr; }
    int Index() const { return FIndex; }
    std::string Caption() const;
    void SetCaption(const std::string& s);
    std::wstring WideCaption() const;  // by its real characters
    void SetWideCaption(const std::wstring& s);
    std::string SubItem(int i) const;
    void SetSubItem(int i, const std::string& s);
    std::wstring WideSubItem(int i) const;
    void SetWideSubItem(int i, const std::wstring& s);
    TObject* Data() const;
    void SetImageIndex(int image);
    int ImageIndex() const;
    bool Selected() const;
    void SetSelected(bool selected);
    void Focus();
    void MakeVisible();
    void EditCaption();
    void Delete();

private:
    TListView* FList = nullptr;
    int FIndex = -1;
};

struct TListItemSpec {
    std::string Caption;      // also the sort key
    std::wstring WideCaption;  // shown instead when set: a text the code page may not hold
    std::vector<std::string> SubItems;
    std::vector<std::wstring> WideSubItems;  // shown instead where set (same places as SubItems)
    int ImageIndex = -1;
    TObject* Data = nullptr;  // the list takes ownership
};

// The caption typed, by its real characters; the item shows text afterwards.
using TLVEditedEvent = std::function<void(TObject* sender, TListItem item, std::wstring& text)>;

class TListView : public TControl {
public:
    TNotifyEvent OnDblClick;
    TLVEditedEvent OnEdited;
    bool SortByCaption = false;  // keeps items in caption order

    void SetSmallImages(TImageList& images);
    void AddColumn(const std::string& caption, int width);
    int ColumnCount() const;
    int ColumnWidth(int i) const;
    void SetColumnWidth(int i, int width);
    std::string ColumnCaption(int i) const;
    void SetColumnCaption(int i, const std::string& caption);
    bool SetItemText(int index, const std::string& text) override;
    std::string GetItemText(int index) const override;
    int Count() const;
    TListItem Item(int index) { return TListItem(this, index); }
    // Adds one item (in caption order when SortByCaption).
    TListItem Add(TListItemSpec spec);
    // Adds many items at once: sorted once, inserted in order.
    void AddMany(std::vector<TListItemSpec> specs);
    // Removes the items at these indexes in one pass, drawn once at the end;
    // the focus, when its item goes, passes to the next item that stays.
    void DeleteItems(std::vector<int> indexes);
    void Clear();
    void BeginUpdate();
    void EndUpdate();
    TListItem Selected() const;  // the first selected item
    int SelCount() const;
    void SelectAll();
    void ClearSelection();
    int IndexOfCaption(const std::string& caption) const;  // case-insensitive

    LRESULT HandleNotify(NMHDR* hdr, bool& handled) override;

private:
    int FUpdateCount = 0;
    int InsertAt(int index, TListItemSpec& spec);
};

class TStatusBar : public TControl {
public:
    void SetPanels(const std::vector<int>& widths);  // -1 = rest of the bar
    std::string PanelText(int i) const;
    void SetPanelText(int i, const std::string& text);
    void SetPanelText(int i, const std::wstring& text);  // a text the code page may not hold
    void PlaceAt(int left, int top, int width, int height) override;
};

struct TToolButtonSpec {
    int Id;               // command id; 0 for a separator
    std::string Name;
    int ImageIndex;
    std::string Hint;
};

class TToolButton : public TControl {
public:
    int CommandId = 0;
    int ImageIndex = -1;
    bool SetTextProperty(const std::string& prop, const std::string& value) override;
    std::string GetTextProperty(const std::string& prop) const override;
};

class TToolBar : public TControl {
public:
    void SetImages(TImageList& images);
    void AddButtons(TForm& form, std::vector<TToolButton*> buttons);
    TToolButton* ButtonById(int id) const;
    // A tool button's enabled state lives in the bar, not in a window of its own.
    void EnableButton(const TToolButton& button, bool enabled);
    bool ButtonEnabled(const TToolButton& button) const;
    int ButtonCount() const { return static_cast<int>(FButtons.size()); }
    std::vector<TToolButton*>& Buttons() { return FButtons; }
    SIZE IdealSize() const;

private:
    std::vector<TToolButton*> FButtons;
};

class TCoolBar : public TControl {
public:
    // Adds a band holding the child control; a band with breakBefore starts
    // a new row.
    void AddBand(TControl& child, int minHeight, bool breakBefore);
    void PlaceAt(int left, int top, int width, int height) override;
};

}  // namespace classlib
