#include "IDEVersionInfo.h"

#include <quorlpak/InputDialogs.h>
#include <runpak/Exceptions.h>
#include <runpak/StringList.h>
#include <runpak/Strings.h>
#include <win32/windows.h>

#include <array>

namespace {

// Texts the user sees; the ten local names of the Windows keys are
// translatable and default to the key names themselves.
const char16_t* const sKeyHeader = u"Key";
const char16_t* const sValueHeader = u"Value";
const char16_t* const sNewKeyCaption = u"New VersionInfo Key";
const char16_t* const sNewKeyPrompt = u"Enter the new VersionInfo key";
const char16_t* const sKeyExists = u"A key with the name of \"%s\" already exists";
const char16_t* const sCannotDeleteRequired = u"Cannot delete required key \"%s\"";

constexpr const char16_t* kNames[StdFieldCount] = {
    u"CompanyName",
    u"FileDescription",
    u"FileVersion",
    u"InternalName",
    u"LegalCopyright",
    u"LegalTrademarks",
    u"OriginalFilename",
    u"ProductName",
    u"ProductVersion",
    u"Comments",
    u"CFBundleName",
    u"CFBundleDisplayName",
    u"UIDeviceFamily",
    u"CFBundleIdentifier",
    u"CFBundleVersion",
    u"CFBundlePackageType",
    u"CFBundleSignature",
    u"CFBundleAllowMixedLocalizations",
    u"UISupportedInterfaceOrientations",
    u"CFBundleExecutable",
    u"CFBundleResourceSpecification",
    u"LSRequiresIPhoneOS",
    u"CFBundleInfoDictionaryVersion",
    u"CFBundleDevelopmentRegion",
    u"package",
    u"label",
    u"versionCode",
    u"versionName",
    u"persistent",
    u"restoreAnyVersion",
    u"installLocation",
    u"largeHeap",
    u"theme",
    u"hardwareAccelerated",
    u"NSLocationAlwaysUsageDescription",
    u"NSLocationWhenInUseUsageDescription",
    u"apiKey",
    u"KwLocalNotificationPermission",
    u"LSApplicationCategoryType",
    u"NSHighResolutionCapable",
    u"UIBackgroundModes",
    u"ProgramID",
    u"NSContactsUsageDescription",
    u"NSPhotoLibraryUsageDescription",
    u"NSCameraUsageDescription",
};

bool IsNavigationKey(uint16_t Key) {
    return Key >= VK_PRIOR && Key <= VK_DOWN; // PageUp, PageDown, End, Home, arrows
}

UnicodeString Without(UnicodeString Text, std::u16string_view Chars) {
    for (char16_t c : Chars)
        Text = StringReplace(Text, UnicodeString(1, c), u"", TReplaceFlags{rfReplaceAll});
    return Text;
}

} // namespace

const TStdFieldRec* StdFields() {
    static const std::array<TStdFieldRec, StdFieldCount> table = [] {
        std::array<TStdFieldRec, StdFieldCount> t{};
        for (int i = 0; i < StdFieldCount; ++i) {
            const bool version = i == 2 || i == 8;
            t[i] =
                TStdFieldRec{kNames[i], UnicodeString(kNames[i]), version ? u"1.0.0.0" : u"", true};
        }
        return t;
    }();
    return table.data();
}

UnicodeString VILocalToEnglish(const UnicodeString& LocalName) {
    const TStdFieldRec* fields = StdFields();
    for (int i = 0; i < StdFieldCount; ++i)
        if (AnsiCompareText(fields[i].LocalName, LocalName) == 0) return fields[i].Name;
    return LocalName;
}

UnicodeString VIEnglishToLocal(const UnicodeString& Name) {
    const TStdFieldRec* fields = StdFields();
    for (int i = 0; i < StdFieldCount; ++i)
        if (CompareText(fields[i].Name, Name) == 0) return fields[i].LocalName;
    return Name;
}

PStdFieldRec VIEnglishToFieldRec(const UnicodeString& Name) {
    const TStdFieldRec* fields = StdFields();
    for (int i = 0; i < StdFieldCount; ++i)
        if (AnsiCompareText(fields[i].Name, Name) == 0) return &fields[i];
    return nullptr;
}

// --- TVerInfoInPlaceEdit ------------------------------------------------------------------

TClass TVerInfoInPlaceEdit::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TVerInfoInPlaceEdit>(u"TVerInfoInPlaceEdit", TInplaceEdit::StaticClass()));
    return &meta;
}

bool TVerInfoInPlaceEdit::OnRequiredKey() {
    auto* grid = dynamic_cast<TVerInfoStringGrid*>(GetGrid());
    return grid && grid->GetCol() == 0 && grid->IsRequiredRow(grid->GetRow());
}

void TVerInfoInPlaceEdit::Dispatch(TMessage& Message) {
    TInplaceEdit::Dispatch(Message);
    // Tab and Enter reach the dialog.
    if (Message.Msg == WM_GETDLGCODE) Message.Result &= ~LRESULT(DLGC_WANTALLKEYS);
}

void TVerInfoInPlaceEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (OnRequiredKey() && Key != VK_TAB && Key != VK_ESCAPE && !IsNavigationKey(Key)) {
        Key = 0;
        return;
    }
    TInplaceEdit::KeyDown(Key, Shift);
}

void TVerInfoInPlaceEdit::KeyPress(char16_t& Key) {
    if (Key == u'\b' && OnRequiredKey()) {
        Key = 0;
        return;
    }
    TInplaceEdit::KeyPress(Key);
}

// --- TVerInfoStringGrid -------------------------------------------------------------------

TClass TVerInfoStringGrid::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TVerInfoStringGrid>(u"TVerInfoStringGrid", TStringGrid::StaticClass()));
    return &meta;
}

TVerInfoStringGrid::TVerInfoStringGrid(TComponent* AOwner) : TStringGrid(AOwner) {
    SetColCount(2);
    SetFixedCols(0);
    SetOptions(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goColSizing});
}

void TVerInfoStringGrid::Loaded() {
    TStringGrid::Loaded();
    SetCells(0, 0, sKeyHeader);
    SetCells(1, 0, sValueHeader);
}

TInplaceEdit* TVerInfoStringGrid::CreateEditor() {
    return new TVerInfoInPlaceEdit(this);
}

void TVerInfoStringGrid::AddKey() {
    if (!FAllowAddKey) return;
    UnicodeString key;
    if (!InputQuery(sNewKeyCaption, sNewKeyPrompt, key) || key.empty()) return;
    key = Without(key, u"=;");
    ValidateInGrid(key);
    const int row = AddRow(key, u"", false);
    FocusCell(1, row, true);
}

int TVerInfoStringGrid::AddRow(const UnicodeString& KeyName, const UnicodeString& Value,
                               bool Required) {
    int row = GetRowCount() - 1;
    // The header row is never taken for data.
    const bool reuse =
        row >= GetFixedRows() && GetCells(0, row).empty() && GetCells(1, row).empty();
    if (!reuse) {
        SetRowCount(GetRowCount() + 1);
        row = GetRowCount() - 1;
    }
    SetCells(0, row, KeyName);
    SetObjects(0, row, Required ? VIRequiredFlag : nullptr);
    SetCells(1, row, Value);
    return row;
}

void TVerInfoStringGrid::ValidateInGrid(const UnicodeString& NewKey) {
    for (int row = GetFixedRows(); row < GetRowCount(); ++row)
        if (AnsiCompareText(GetCells(0, row), NewKey) == 0) throw Exception(sKeyExists, {NewKey});
}

bool TVerInfoStringGrid::FindRow(const UnicodeString& KeyName, int& Row) {
    for (int row = GetFixedRows(); row < GetRowCount(); ++row)
        if (CompareText(GetCells(0, row), KeyName) == 0) {
            Row = row;
            return true;
        }
    Row = -1;
    return false;
}

UnicodeString TVerInfoStringGrid::GetKeyValue(const UnicodeString& Key) {
    int row;
    return FindRow(Key, row) ? GetCells(1, row) : UnicodeString();
}

void TVerInfoStringGrid::SetKeyValue(const UnicodeString& KeyName, const UnicodeString& Value) {
    int row;
    if (FindRow(KeyName, row))
        SetCells(1, row, Value);
    else
        AddRow(KeyName, Value, false);
}

bool TVerInfoStringGrid::CanEditValueOrDeleteKey(int ARow) {
    return !IsRequiredRow(ARow);
}

bool TVerInfoStringGrid::CanEditAcceptKey(char16_t Key) {
    return GetCol() != 0 || !IsRequiredRow(GetRow());
}

void TVerInfoStringGrid::DeleteRow(int ARow) {
    if (IsRequiredRow(ARow)) throw Exception(sCannotDeleteRequired, {GetCells(0, ARow)});
    const TGridOptions options = GetOptions();
    SetOptions(options - goEditing);
    TStringGrid::DeleteRow(ARow);
    SetOptions(options);
    FocusCell(1, std::max(0, GetRowCount() - 1), true);
    Invalidate();
}

void TVerInfoStringGrid::FillGridFromData(TStrings* Data) {
    const int count = Data->GetCount();
    if (count == 0) {
        // An empty list leaves one empty data row.
        SetRowCount(GetFixedRows() + 1);
        for (int col = 0; col < GetColCount(); ++col) {
            SetCells(col, GetFixedRows(), u"");
            SetObjects(col, GetFixedRows(), nullptr);
        }
        return;
    }
    SetRowCount(count + 1);
    for (int i = 0; i < count; ++i) {
        const UnicodeString line = Data->GetStrings(i);
        const size_t eq = line.find(u'=');
        const UnicodeString name = eq == UnicodeString::npos ? line : line.substr(0, eq);
        const UnicodeString value =
            eq == UnicodeString::npos ? UnicodeString() : line.substr(eq + 1);
        SetCells(0, i + 1, VIEnglishToLocal(name));
        SetObjects(0, i + 1, Data->GetObjects(i));
        SetCells(1, i + 1, value);
    }
}

void TVerInfoStringGrid::FillDataFromGrid(TStrings* Data) {
    Data->Clear();
    for (int row = GetFixedRows(); row < GetRowCount(); ++row) {
        const UnicodeString key = Without(GetCells(0, row), u";=");
        const UnicodeString value = Without(GetCells(1, row), u";");
        if (Trim(key).empty()) continue;
        Data->AddObject(VILocalToEnglish(key) + u"=" + value, GetObjects(0, row));
    }
}

void TVerInfoStringGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
    const int row = GetRow();
    if (Key == VK_DOWN && row == GetRowCount() - 1 && !GetCells(0, row).empty()) {
        AddKey();
        Key = 0;
        return;
    }
    if (Key == VK_TAB && Shift.Contains(ssCtrl)) {
        TWinControl* parent = GetParent();
        if (Focused() && parent) {
            if (TWinControl* next =
                    parent->FindNextControl(this, !Shift.Contains(ssShift), true, false))
                next->SetFocus();
            Key = 0;
            return;
        }
    }
    if (GetCol() == 0 && IsRequiredRow(row) && Key != VK_TAB && !IsNavigationKey(Key)) {
        Key = 0;
        return;
    }
    TStringGrid::KeyDown(Key, Shift);
}
