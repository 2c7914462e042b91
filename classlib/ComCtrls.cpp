#include "ComCtrls.h"

#include <algorithm>
#include <cstring>

#include "Forms.h"
#include "Text.h"

namespace classlib {

// ---- TTreeNode -------------------------------------------------------------

std::string TTreeNode::Text() const { return ToAnsi(WideText()); }

void TTreeNode::SetText(const std::string& text) { SetWideText(ToWide(text)); }

std::wstring TTreeNode::WideText() const {
    if (!FItem) return {};
    std::wstring buf(1024, L'\0');
    TVITEMW item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = FItem;
    item.pszText = &buf[0];
    item.cchTextMax = static_cast<int>(buf.size());
    ::SendMessageW(FTree->Handle, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    buf.resize(wcsnlen(buf.c_str(), buf.size()));
    return buf;
}

void TTreeNode::SetWideText(const std::wstring& text) {
    if (!FItem) return;
    TVITEMW item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = FItem;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(FTree->Handle, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

TObject* TTreeNode::Data() const {
    if (!FItem) return nullptr;
    TVITEMA item{};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = FItem;
    ::SendMessageA(FTree->Handle, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return reinterpret_cast<TObject*>(item.lParam);
}

TTreeNode TTreeNode::Parent() const {
    if (!FItem) return {};
    return {FTree, TreeView_GetParent(FTree->Handle, FItem)};
}

bool TTreeNode::HasChildren() const {
    if (!FItem) return false;
    if (FirstChild()) return true;
    TVITEMA item{};
    item.mask = TVIF_CHILDREN | TVIF_HANDLE;
    item.hItem = FItem;
    item.cChildren = 0;
    // The control asks its owner for a node added on demand.
    ::SendMessageA(FTree->Handle, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (item.cChildren == I_CHILDRENCALLBACK) return FTree->OnHasChildren && FTree->OnHasChildren(*this);
    return item.cChildren > 0;
}

TTreeNode TTreeNode::FirstChild() const {
    if (!FItem) return {};
    return {FTree, TreeView_GetChild(FTree->Handle, FItem)};
}

TTreeNode TTreeNode::NextSibling() const {
    if (!FItem) return {};
    return {FTree, TreeView_GetNextSibling(FTree->Handle, FItem)};
}

int TTreeNode::Count() const {
    int n = 0;
    for (TTreeNode c = FirstChild(); c; c = c.NextSibling()) ++n;
    return n;
}

bool TTreeNode::Expanded() const {
    if (!FItem) return false;
    return (TreeView_GetItemState(FTree->Handle, FItem, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void TTreeNode::Expand(bool recurse) {
    if (!FItem) return;
    if (!Expanded()) {
        if (!FTree->CanExpand(*this)) return;
        TreeView_Expand(FTree->Handle, FItem, TVE_EXPAND);
        FTree->DoExpanded(*this);
    }
    if (recurse)
        for (TTreeNode c = FirstChild(); c; c = c.NextSibling()) c.Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
    if (!FItem) return;
    if (recurse)
        for (TTreeNode c = FirstChild(); c; c = c.NextSibling()) c.Collapse(true);
    TreeView_Expand(FTree->Handle, FItem, TVE_COLLAPSE);
}

void TTreeNode::DeleteChildren() {
    if (!FItem) return;
    TTreeNode c = FirstChild();
    while (c) {
        TTreeNode next = c.NextSibling();
        TreeView_DeleteItem(FTree->Handle, c.FItem);
        c = next;
    }
}

void TTreeNode::Delete() {
    if (FItem) TreeView_DeleteItem(FTree->Handle, FItem);
    FItem = nullptr;
}

bool TTreeNode::Selected() const { return FItem && FTree->Selected() == *this; }

void TTreeNode::Select() { FTree->SetSelected(*this); }

void TTreeNode::EditText() {
    // The wide message: the control then makes a wide edit box, which takes
    // the name as typed.
    if (FItem) ::SendMessageW(FTree->Handle, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(FItem));
}

void TTreeNode::MakeVisible() {
    if (FItem) TreeView_EnsureVisible(FTree->Handle, FItem);
}

// ---- TTreeView -------------------------------------------------------------

void TTreeView::SetImages(TImageList& images) { TreeView_SetImageList(Handle, images.Handle, TVSIL_NORMAL); }

void TTreeView::SetIndent(int indent) { TreeView_SetIndent(Handle, indent); }

TTreeNode TTreeView::AddChild(TTreeNode parent, const std::string& text, TObject* data, int image,
                              int selectedImage, TNodeSort where) {
    return Insert(parent, text.c_str(), false, data, image, selectedImage, where);
}

TTreeNode TTreeView::AddChild(TTreeNode parent, const std::wstring& text, TObject* data, int image,
                              int selectedImage, TNodeSort where) {
    return Insert(parent, text.c_str(), true, data, image, selectedImage, where);
}

TTreeNode TTreeView::AddChildOnDemand(TTreeNode parent, const std::wstring& text, TObject* data, int image,
                                      int selectedImage) {
    return Insert(parent, text.c_str(), true, data, image, selectedImage, TNodeSort::Last, true);
}

TTreeNode TTreeView::Insert(TTreeNode parent, const void* text, bool wide, TObject* data, int image,
                            int selectedImage, TNodeSort where, bool onDemand) {
    // The ANSI and wide insert structures differ only in the text pointer.
    TVINSERTSTRUCTA ins{};
    ins.hParent = parent ? parent.ItemId() : TVI_ROOT;
    ins.hInsertAfter = where == TNodeSort::Sorted ? TVI_SORT : TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM;
    ins.item.pszText = static_cast<char*>(const_cast<void*>(text));
    ins.item.lParam = reinterpret_cast<LPARAM>(data);
    if (onDemand) {
        ins.item.mask |= TVIF_CHILDREN;
        ins.item.cChildren = I_CHILDRENCALLBACK;
    }
    if (image >= 0) {
        ins.item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        ins.item.iImage = image;
        ins.item.iSelectedImage = selectedImage >= 0 ? selectedImage : image;
    }
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        ::SendMessageA(Handle, wide ? TVM_INSERTITEMW : TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
    if (!item) {
        delete data;
        throw EInvalidOperation("Failed to insert a tree node");
    }
    return {this, item};
}

TTreeNode TTreeView::FirstNode() const { return {const_cast<TTreeView*>(this), TreeView_GetRoot(Handle)}; }

TTreeNode TTreeView::Selected() const {
    return {const_cast<TTreeView*>(this), TreeView_GetSelection(Handle)};
}

void TTreeView::SetSelected(TTreeNode node) { TreeView_SelectItem(Handle, node.ItemId()); }

void TTreeView::Clear() {
    BeginUpdate();
    TreeView_DeleteAllItems(Handle);
    EndUpdate();
}

void TTreeView::BeginUpdate() {
    if (FUpdateCount++ == 0) ::SendMessageA(Handle, WM_SETREDRAW, FALSE, 0);
}

void TTreeView::EndUpdate() {
    if (--FUpdateCount == 0) {
        ::SendMessageA(Handle, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(Handle, nullptr, TRUE);
    }
}

int TTreeView::Count() const { return static_cast<int>(TreeView_GetCount(Handle)); }

bool TTreeView::IsEditing() const { return TreeView_GetEditControl(Handle) != nullptr; }

TTreeNode TTreeView::NodeAt(int x, int y) const {
    TVHITTESTINFO hit{};
    hit.pt = {x, y};
    HTREEITEM item = TreeView_HitTest(Handle, &hit);
    if (!(hit.flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON))) item = nullptr;
    return {const_cast<TTreeView*>(this), item};
}

// The item whose label or icon lies under the mouse of the message being handled.
HTREEITEM TTreeView::ItemAtMessagePos() const {
    const DWORD pos = ::GetMessagePos();
    TVHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    ::ScreenToClient(Handle, &hit.pt);
    HTREEITEM item = TreeView_HitTest(Handle, &hit);
    return item && (hit.flags & TVHT_ONITEM) ? item : nullptr;
}

bool TTreeView::CanExpand(TTreeNode node) {
    bool allow = true;
    if (OnExpanding) {
        FExpandingByCode = true;
        try {
            OnExpanding(this, node, allow);
        } catch (...) {
            FExpandingByCode = false;
            throw;
        }
        FExpandingByCode = false;
    }
    return allow;
}

void TTreeView::DoExpanded(TTreeNode node) {
    if (OnExpanded) OnExpanded(this, node);
}

LRESULT TTreeView::HandleNotify(NMHDR* hdr, bool& handled) {
    handled = true;
    switch (hdr->code) {
        case NM_CLICK: {
            // The clicked node becomes the selection before OnClick runs.
            HTREEITEM item = ItemAtMessagePos();
            if (item) TreeView_SelectItem(Handle, item);
            // The control sends this before it has finished with the mouse
            // (an expand button toggles after it): report the click once the
            // control is done, so the handler sees the final selection.
            ::PostMessageA(Handle, kDeferredClick, 0, 0);
            return 0;
        }
        case NM_RCLICK: {
            // A right-click acts on the node under the mouse: it becomes the
            // selection, reported as a click, before the control goes on to
            // ask for the context menu, so the menu and everything shown
            // beside the tree speak of that node.
            HTREEITEM item = ItemAtMessagePos();
            if (item && item != TreeView_GetSelection(Handle)) {
                TreeView_SelectItem(Handle, item);
                if (TreeView_GetSelection(Handle) == item && OnClick) OnClick(this);
            }
            return 0;  // not handled: the control sends WM_CONTEXTMENU
        }
        case TVN_GETDISPINFOA:
        case TVN_GETDISPINFOW: {
            // The two forms differ only in the text pointer.
            auto* nm = reinterpret_cast<NMTVDISPINFOA*>(hdr);
            if (nm->item.mask & TVIF_CHILDREN)
                nm->item.cChildren = OnHasChildren && OnHasChildren(TTreeNode(this, nm->item.hItem)) ? 1 : 0;
            return 0;
        }
        case TVN_ITEMEXPANDINGA:
        case TVN_ITEMEXPANDINGW: {
            auto* nm = reinterpret_cast<NMTREEVIEWA*>(hdr);
            if (nm->action & TVE_EXPAND) {
                bool allow = true;
                if (OnExpanding && !FExpandingByCode) OnExpanding(this, TTreeNode(this, nm->itemNew.hItem), allow);
                return allow ? FALSE : TRUE;
            }
            return FALSE;
        }
        case TVN_ITEMEXPANDEDA:
        case TVN_ITEMEXPANDEDW: {
            auto* nm = reinterpret_cast<NMTREEVIEWA*>(hdr);
            if ((nm->action & TVE_EXPAND) && !FExpandingByCode) DoExpanded(TTreeNode(this, nm->itemNew.hItem));
            return 0;
        }
        case TVN_BEGINLABELEDITA:
        case TVN_BEGINLABELEDITW: {
            auto* nm = reinterpret_cast<NMTVDISPINFOA*>(hdr);
            bool allow = true;
            if (OnEditing) OnEditing(this, TTreeNode(this, nm->item.hItem), allow);
            FLabelEditing = allow;
            return allow ? FALSE : TRUE;
        }
        case TVN_ENDLABELEDITA:
        case TVN_ENDLABELEDITW: {
            auto* nm = reinterpret_cast<NMTVDISPINFOA*>(hdr);
            // Wine's tree may report the end of one edit twice (a refused
            // name was reported twice): one edit, one end.
            if (!FLabelEditing) return FALSE;
            FLabelEditing = false;
            if (!nm->item.pszText) return FALSE;  // cancelled
            std::wstring text = hdr->code == TVN_ENDLABELEDITW ? std::wstring(reinterpret_cast<NMTVDISPINFOW*>(hdr)->item.pszText)
                                                              : ToWide(nm->item.pszText);
            TTreeNode node(this, nm->item.hItem);
            if (OnEdited) OnEdited(this, node, text);
            node.SetWideText(text);
            return FALSE;
        }
        case TVN_DELETEITEMA:
        case TVN_DELETEITEMW: {
            auto* nm = reinterpret_cast<NMTREEVIEWA*>(hdr);
            delete reinterpret_cast<TObject*>(nm->itemOld.lParam);
            return 0;
        }
        default: handled = false; return 0;
    }
}

bool TTreeView::HandleWindowMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == kDeferredClick) {
        if (OnClick) OnClick(this);
        result = 0;
        return true;
    }
    if (msg == WM_KEYUP && OnKeyUp) {
        WORD key = static_cast<WORD>(wp);
        OnKeyUp(this, key, KeyboardShiftState());
    }
    return false;
}

// ---- TListItem ---------------------------------------------------------------

std::string TListItem::SubItem(int i) const {
    if (!FList) return {};
    std::string buf(4096, '\0');
    LVITEMA item{};
    item.iSubItem = i + 1;
    item.pszText = &buf[0];
    item.cchTextMax = static_cast<int>(buf.size());
    ::SendMessageA(FList->Handle, LVM_GETITEMTEXTA, static_cast<WPARAM>(FIndex), reinterpret_cast<LPARAM>(&item));
    buf.resize(strnlen(buf.c_str(), buf.size()));
    return buf;
}

std::string TListItem::Caption() const {
    if (!FList) return {};
    std::string buf(16384 + 16, '\0');
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = &buf[0];
    item.cchTextMax = static_cast<int>(buf.size());
    ::SendMessageA(FList->Handle, LVM_GETITEMTEXTA, static_cast<WPARAM>(FIndex), reinterpret_cast<LPARAM>(&item));
    buf.resize(strnlen(buf.c_str(), buf.size()));
    return buf;
}

void TListItem::SetCaption(const std::string& s) {
    if (FList) ListView_SetItemText(FList->Handle, FIndex, 0, const_cast<char*>(s.c_str()));
}

void TListItem::SetSubItem(int i, const std::string& s) {
    if (FList) ListView_SetItemText(FList->Handle, FIndex, i + 1, const_cast<char*>(s.c_str()));
}

namespace {

std::wstring ListItemTextW(HWND list, int index, int subItem, size_t room) {
    std::wstring buf(room, L'\0');
    LVITEMW item{};
    item.iSubItem = subItem;
    item.pszText = &buf[0];
    item.cchTextMax = static_cast<int>(buf.size());
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    buf.resize(wcsnlen(buf.c_str(), buf.size()));
    return buf;
}

void SetListItemTextW(HWND list, int index, int subItem, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = subItem;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

std::wstring TListItem::WideCaption() const {
    return FList ? ListItemTextW(FList->Handle, FIndex, 0, 16384 + 16) : std::wstring();
}

void TListItem::SetWideCaption(const std::wstring& s) {
    if (FList) SetListItemTextW(FList->Handle, FIndex, 0, s);
}

std::wstring TListItem::WideSubItem(int i) const {
    return FList ? ListItemTextW(FList->Handle, FIndex, i + 1, 4096) : std::wstring();
}

void TListItem::SetWideSubItem(int i, const std::wstring& s) {
    if (FList) SetListItemTextW(FList->Handle, FIndex, i + 1, s);
}

TObject* TListItem::Data() const {
    if (!FList) return nullptr;
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = FIndex;
    ::SendMessageA(FList->Handle, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return reinterpret_cast<TObject*>(item.lParam);
}

void TListItem::SetImageIndex(int image) {
    if (!FList) return;
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = FIndex;
    item.iImage = image;
    ::SendMessageA(FList->Handle, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int TListItem::ImageIndex() const {
    if (!FList) return -1;
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = FIndex;
    ::SendMessageA(FList->Handle, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

bool TListItem::Selected() const {
    return FList && (ListView_GetItemState(FList->Handle, FIndex, LVIS_SELECTED) & LVIS_SELECTED);
}

void TListItem::SetSelected(bool selected) {
    if (FList) ListView_SetItemState(FList->Handle, FIndex, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void TListItem::Focus() {
    if (FList) ListView_SetItemState(FList->Handle, FIndex, LVIS_FOCUSED, LVIS_FOCUSED);
}

void TListItem::MakeVisible() {
    if (FList) ListView_EnsureVisible(FList->Handle, FIndex, FALSE);
}

void TListItem::EditCaption() {
    // The wide message: the control then makes a wide edit box, which takes
    // the name as typed.
    if (FList) ::SendMessageW(FList->Handle, LVM_EDITLABELW, static_cast<WPARAM>(FIndex), 0);
}

void TListItem::Delete() {
    if (FList) ListView_DeleteItem(FList->Handle, FIndex);
    FList = nullptr;
}

// ---- TListView -------------------------------------------------------------

void TListView::SetSmallImages(TImageList& images) { ListView_SetImageList(Handle, images.Handle, LVSIL_SMALL); }

void TListView::AddColumn(const std::string& caption, int width) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = const_cast<char*>(caption.c_str());
    col.cx = width;
    col.iSubItem = ColumnCount();
    ::SendMessageA(Handle, LVM_INSERTCOLUMNA, static_cast<WPARAM>(ColumnCount()), reinterpret_cast<LPARAM>(&col));
}

int TListView::ColumnCount() const {
    HWND header = ListView_GetHeader(Handle);
    return header ? Header_GetItemCount(header) : 0;
}

int TListView::ColumnWidth(int i) const { return ListView_GetColumnWidth(Handle, i); }

void TListView::SetColumnWidth(int i, int width) { ListView_SetColumnWidth(Handle, i, width); }

std::string TListView::ColumnCaption(int i) const {
    char buf[256] = {};
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT;
    col.pszText = buf;
    col.cchTextMax = sizeof buf;
    ::SendMessageA(Handle, LVM_GETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&col));
    return buf;
}

void TListView::SetColumnCaption(int i, const std::string& caption) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT;
    col.pszText = const_cast<char*>(caption.c_str());
    ::SendMessageA(Handle, LVM_SETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&col));
}

int TListView::Count() const { return ListView_GetItemCount(Handle); }

int TListView::InsertAt(int index, TListItemSpec& spec) {
    // The ANSI and wide item structures differ only in the text pointer.
    const bool wide = !spec.WideCaption.empty();
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = wide ? reinterpret_cast<char*>(const_cast<wchar_t*>(spec.WideCaption.c_str()))
                        : const_cast<char*>(spec.Caption.c_str());
    item.iImage = spec.ImageIndex;
    item.lParam = reinterpret_cast<LPARAM>(spec.Data);
    const int at = static_cast<int>(
        ::SendMessageA(Handle, wide ? LVM_INSERTITEMW : LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (at < 0) {
        delete spec.Data;
        spec.Data = nullptr;
        throw EInvalidOperation("Failed to insert a list item");
    }
    spec.Data = nullptr;  // owned by the item now
    for (size_t i = 0; i < spec.SubItems.size(); ++i) {
        if (i < spec.WideSubItems.size() && !spec.WideSubItems[i].empty())
            SetListItemTextW(Handle, at, static_cast<int>(i) + 1, spec.WideSubItems[i]);
        else
            ListView_SetItemText(Handle, at, static_cast<int>(i) + 1, const_cast<char*>(spec.SubItems[i].c_str()));
    }
    return at;
}

TListItem TListView::Add(TListItemSpec spec) {
    int index = Count();
    if (SortByCaption) {
        // Binary search for the place by caption.
        int lo = 0, hi = Count();
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (::lstrcmpiA(Item(mid).Caption().c_str(), spec.Caption.c_str()) <= 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        index = lo;
    }
    return TListItem(this, InsertAt(index, spec));
}

void TListView::AddMany(std::vector<TListItemSpec> specs) {
    if (SortByCaption && Count() == 0) {
        std::stable_sort(specs.begin(), specs.end(), [](const TListItemSpec& a, const TListItemSpec& b) {
            return ::lstrcmpiA(a.Caption.c_str(), b.Caption.c_str()) < 0;
        });
        BeginUpdate();
        try {
            for (auto& s : specs) InsertAt(Count(), s);
        } catch (...) {
            for (auto& s : specs) delete s.Data;
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    BeginUpdate();
    try {
        for (auto& s : specs) Add(std::move(s));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TListView::DeleteItems(std::vector<int> indexes) {
    const int count = Count();
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    indexes.erase(std::remove_if(indexes.begin(), indexes.end(), [count](int i) { return i < 0 || i >= count; }),
                  indexes.end());
    if (indexes.empty()) return;
    if (static_cast<int>(indexes.size()) == count) return Clear();
    // A deleted item that has the focus hands it to its neighbour, which the
    // control scrolls into view and repaints at once, redraw off or not: at
    // the end of a long list that is one repaint per item. The focus leaves
    // first and comes back once.
    const int focused = ListView_GetNextItem(Handle, -1, LVNI_FOCUSED);
    const bool focusGoes = focused >= 0 && std::binary_search(indexes.begin(), indexes.end(), focused);
    BeginUpdate();
    if (focusGoes) ListView_SetItemState(Handle, focused, 0, LVIS_FOCUSED);
    // From the last: the items before each one keep their indexes.
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) ListView_DeleteItem(Handle, *it);
    EndUpdate();
    if (focusGoes) {
        const auto before = std::lower_bound(indexes.begin(), indexes.end(), focused) - indexes.begin();
        TListItem next = Item(std::min(focused - static_cast<int>(before), Count() - 1));
        next.Focus();
        next.MakeVisible();
    }
}

void TListView::Clear() {
    BeginUpdate();
    ListView_DeleteAllItems(Handle);
    EndUpdate();
}

void TListView::BeginUpdate() {
    if (FUpdateCount++ == 0) ::SendMessageA(Handle, WM_SETREDRAW, FALSE, 0);
}

void TListView::EndUpdate() {
    if (--FUpdateCount == 0) {
        ::SendMessageA(Handle, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(Handle, nullptr, TRUE);
    }
}

TListItem TListView::Selected() const {
    return TListItem(const_cast<TListView*>(this), ListView_GetNextItem(Handle, -1, LVNI_SELECTED));
}

int TListView::SelCount() const { return static_cast<int>(ListView_GetSelectedCount(Handle)); }

void TListView::ClearSelection() { ListView_SetItemState(Handle, -1, 0, LVIS_SELECTED); }

void TListView::SelectAll() { ListView_SetItemState(Handle, -1, LVIS_SELECTED, LVIS_SELECTED); }

int TListView::IndexOfCaption(const std::string& caption) const {
    auto* self = const_cast<TListView*>(this);
    for (int i = 0; i < Count(); ++i)
        if (::lstrcmpiA(self->Item(i).Caption().c_str(), caption.c_str()) == 0) return i;
    return -1;
}

LRESULT TListView::HandleNotify(NMHDR* hdr, bool& handled) {
    handled = true;
    switch (hdr->code) {
        case NM_DBLCLK:
            if (OnDblClick) OnDblClick(this);
            return 0;
        case NM_CLICK:
            if (OnClick) OnClick(this);
            return 0;
        case LVN_ENDLABELEDITA:
        case LVN_ENDLABELEDITW: {
            auto* nm = reinterpret_cast<NMLVDISPINFOA*>(hdr);
            if (!nm->item.pszText) return FALSE;
            std::wstring text = hdr->code == LVN_ENDLABELEDITW ? std::wstring(reinterpret_cast<NMLVDISPINFOW*>(hdr)->item.pszText)
                                                              : ToWide(nm->item.pszText);
            TListItem item(this, nm->item.iItem);
            if (OnEdited) OnEdited(this, item, text);
            if (item) item.SetWideCaption(text);
            return FALSE;
        }
        case LVN_DELETEITEM: {
            auto* nm = reinterpret_cast<NMLISTVIEW*>(hdr);
            delete reinterpret_cast<TObject*>(nm->lParam);
            return 0;
        }
        default: handled = false; return 0;
    }
}

// ---- TStatusBar ------------------------------------------------------------

void TStatusBar::SetPanels(const std::vector<int>& widths) {
    std::vector<int> rights;
    int x = 0;
    for (int w : widths) {
        if (w < 0) {
            rights.push_back(-1);
        } else {
            x += w;
            rights.push_back(x);
        }
    }
    ::SendMessageA(Handle, SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
}

std::string TStatusBar::PanelText(int i) const {
    const LRESULT r = ::SendMessageA(Handle, SB_GETTEXTLENGTHA, static_cast<WPARAM>(i), 0);
    std::string s(LOWORD(r) + 1u, '\0');
    ::SendMessageA(Handle, SB_GETTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&s[0]));
    s.resize(LOWORD(r));
    return s;
}

void TStatusBar::SetPanelText(int i, const std::string& text) {
    ::SendMessageA(Handle, SB_SETTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.c_str()));
}

void TStatusBar::SetPanelText(int i, const std::wstring& text) {
    ::SendMessageW(Handle, SB_SETTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.c_str()));
}

void TStatusBar::PlaceAt(int left, int top, int width, int height) {
    TControl::PlaceAt(left, top, width, height);
    ::SendMessageA(Handle, WM_SIZE, 0, 0);
}

// ---- TToolBar ----------------------------------------------------------------

bool TToolButton::SetTextProperty(const std::string& prop, const std::string& value) {
    if (prop == "Hint") {
        Hint = value;
        return true;
    }
    return false;
}

std::string TToolButton::GetTextProperty(const std::string& prop) const { return prop == "Hint" ? Hint : ""; }

void TToolBar::SetImages(TImageList& images) {
    ::SendMessageA(Handle, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.Handle));
}

void TToolBar::AddButtons(TForm& form, std::vector<TToolButton*> buttons) {
    ::SendMessageA(Handle, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    std::vector<TBBUTTON> tb;
    for (TToolButton* b : buttons) {
        TBBUTTON t{};
        if (b->CommandId == 0) {
            t.fsStyle = BTNS_SEP;
            t.iBitmap = 6;
        } else {
            t.iBitmap = b->ImageIndex;
            t.idCommand = b->CommandId;
            t.fsState = TBSTATE_ENABLED;
            t.fsStyle = BTNS_BUTTON;
            form.Register(*b, b->Name);
        }
        b->Owner = &form;
        tb.push_back(t);
        FButtons.push_back(b);
    }
    ::SendMessageA(Handle, TB_ADDBUTTONSA, tb.size(), reinterpret_cast<LPARAM>(tb.data()));
    ::SendMessageA(Handle, TB_AUTOSIZE, 0, 0);
}

TToolButton* TToolBar::ButtonById(int id) const {
    for (TToolButton* b : FButtons)
        if (b->CommandId == id && id != 0) return b;
    return nullptr;
}

void TToolBar::EnableButton(const TToolButton& button, bool enabled) {
    ::SendMessageA(Handle, TB_ENABLEBUTTON, static_cast<WPARAM>(button.CommandId), MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

bool TToolBar::ButtonEnabled(const TToolButton& button) const {
    return ::SendMessageA(Handle, TB_ISBUTTONENABLED, static_cast<WPARAM>(button.CommandId), 0) != 0;
}

SIZE TToolBar::IdealSize() const {
    SIZE s{};
    const int n = static_cast<int>(::SendMessageA(Handle, TB_BUTTONCOUNT, 0, 0));
    RECT r{};
    if (n > 0) {
        ::SendMessageA(Handle, TB_GETITEMRECT, static_cast<WPARAM>(n - 1), reinterpret_cast<LPARAM>(&r));
        s.cx = r.right;
        s.cy = r.bottom;
    }
    return s;
}

// ---- TCoolBar ----------------------------------------------------------------

void TCoolBar::AddBand(TControl& child, int minHeight, bool breakBefore) {
    ::SetParent(child.Handle, Handle);
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_SIZE;
    band.fStyle = RBBS_CHILDEDGE | RBBS_GRIPPERALWAYS | (breakBefore ? RBBS_BREAK : 0);
    band.hwndChild = child.Handle;
    band.cxMinChild = 0;
    band.cyMinChild = static_cast<UINT>(minHeight);
    band.cx = 2000;
    ::SendMessageA(Handle, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

void TCoolBar::PlaceAt(int left, int top, int width, int) {
    const int h = static_cast<int>(::SendMessageA(Handle, RB_GETBARHEIGHT, 0, 0));
    TControl::PlaceAt(left, top, width, h);
}

bool TListView::SetItemText(int index, const std::string& text) {
    if (index < 0 || index >= ColumnCount()) return false;
    SetColumnCaption(index, text);
    return true;
}

std::string TListView::GetItemText(int index) const { return index < 0 || index >= ColumnCount() ? std::string() : ColumnCaption(index); }

}  // namespace classlib
