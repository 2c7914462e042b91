// The main window's value editing: the editor of the selected value's type is
// filled from its list item, and an edit that the user confirms is written
// back through the registry object and shown in the item.
#include <vector>

#include "UnitBin.h"
#include "UnitDword.h"
#include "UnitMain.h"
#include "UnitStr.h"
#include "zrvDialog.h"
#include "zrvString.h"

using namespace classlib;

namespace {

// Runs a clean-up when it goes out of scope, also after an error.
template <class F>
class TAtExit {
public:
    explicit TAtExit(F fn) : FFn(std::move(fn)) {}
    ~TAtExit() { FFn(); }
    TAtExit(const TAtExit&) = delete;
    TAtExit& operator=(const TAtExit&) = delete;

private:
    F FFn;
};

}  // namespace

void TfrmMain::BindValueEditing() {
    lstvwValues.OnDblClick = Handler(this, &TfrmMain::lstvwValuesDblClick);
    mnitmValueEdit->OnClick = pppmnitmValueEdit->OnClick = Handler(this, &TfrmMain::mnitmValueEditClick);
    mnitmHexEditer->OnClick = Handler(this, &TfrmMain::mnitmHexEditerClick);
}

void TfrmMain::lstvwValuesDblClick(TObject*) {
    if (lstvwValues.Count() == 0) return;
    TListItem item = lstvwValues.Selected();
    TViewData* data = item ? ItemData(item) : nullptr;
    if (!data) return;
    switch (data->DataType) {
        case vkString:
        case vkExpandString: EditStringValue(item, *data); break;
        case vkDword: EditDwordValue(item, *data); break;
        case vkBinary: EditBinaryValue(item, *data); break;
        default: break;  // other types are not editable
    }
}

void TfrmMain::mnitmValueEditClick(TObject* sender) { lstvwValuesDblClick(sender); }

bool TfrmMain::OpenValueKey(const TViewData& data) {
    FRegistry.SetRootKey(data.RootKey);
    if (FRegistry.OpenKey(data.WideKeyPath, false)) return true;
    NotifyError(msgAccessRegistryError);
    return false;
}

void TfrmMain::ShowEditedValue(TListItem item, TViewData& data, DWORD type, const BYTE* bytes, size_t size) {
    data.DataText.clear();
    data.TextView.clear();
    data.StoredData.clear();
    const TValueRow row = DescribeValue(data.WideName, type, bytes, size, data);
    item.SetSubItem(0, row.Size);
    if (!row.WideData.empty())
        item.SetWideSubItem(1, row.WideData);
    else
        item.SetSubItem(1, row.Data);
    item.SetImageIndex(row.ImageIndex);
}

void TfrmMain::EditStringValue(TListItem item, TViewData& data) {
    TAtExit empty([] {
        frmStr->edtName.SetText("");
        frmStr->SetData({});
    });
    frmStr->edtName.SetWideText(data.WideName);
    frmStr->SetData(data.StoredData);
    if (frmStr->ShowModal() != mrOk) return;
    const std::vector<BYTE> stored = frmStr->Data();
    if (stored == data.StoredData) return;  // unchanged: the stored bytes stay as they are
    if (!OpenValueKey(data)) return;
    TAtExit close([this] { FRegistry.CloseKey(); });
    // Exactly the bytes the editor gives back; an expandable string stays one.
    const DWORD type = data.DataType == vkExpandString ? REG_EXPAND_SZ : REG_SZ;
    if (!SetValueExact(FRegistry.CurrentKey(), data.WideName.c_str(), type, stored.data(),
                       static_cast<DWORD>(stored.size())))
        throw ERegistryException("Failed to set data for '" + data.ValueName + "'");
    ShowEditedValue(item, data, type, stored.data(), stored.size());
}

void TfrmMain::EditDwordValue(TListItem item, TViewData& data) {
    frmDword->edtName.SetWideText(data.WideName);
    frmDword->edtValue.SetText("0");
    frmDword->rdgrpDataType.SetItemIndex(0);
    frmDword->edtValue.SetText(data.DataText);
    frmDword->Value = data.DwordValue;
    if (frmDword->ShowModal() != mrOk) return;
    const DWORD value = frmDword->Value;
    if (value == data.DwordValue) return;
    if (!OpenValueKey(data)) return;
    TAtExit close([this] { FRegistry.CloseKey(); });
    FRegistry.WriteInteger(data.WideName, static_cast<int>(value));
    ShowEditedValue(item, data, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void TfrmMain::EditBinaryValue(TListItem item, TViewData& data) {
    TAtExit empty([] {
        frmBin->edtName.SetText("");
        frmBin->SetHexColumnText("");
    });
    {
        THourGlass wait;
        frmBin->HideValueName = false;
        frmBin->edtName.SetWideText(data.WideName);
        // The character column shows the view of these bytes (TextView).
        frmBin->SetHexColumnText(data.DataText);
    }
    if (frmBin->ShowModal() != mrOk) return;
    const std::string hex = frmBin->HexColumnText();
    if (hex == data.DataText) return;
    const std::vector<std::uint8_t> bytes = HexToBytes(hex);
    if (!OpenValueKey(data)) return;
    TAtExit close([this] { FRegistry.CloseKey(); });
    FRegistry.WriteBinaryData(data.WideName, bytes.data(), static_cast<int>(bytes.size()));
    ShowEditedValue(item, data, REG_BINARY, bytes.data(), bytes.size());
}

void TfrmMain::mnitmHexEditerClick(TObject*) {
    frmBin->SetHexColumnText("");  // empties all three columns
    frmBin->edtName.SetText("");
    frmBin->HideValueName = true;
    frmBin->ShowModal();
}
