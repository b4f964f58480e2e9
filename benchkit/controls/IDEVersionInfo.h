// The standard version-information keys and the two-column grid (key, value)
// in which a project's version information is edited. Rows whose key is
// required keep their key: it can be neither edited nor deleted.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Grids.h>

#include <cstdint>

class TStrings;

struct TStdFieldRec {
    const char16_t* Name;      // the English key
    UnicodeString LocalName;   // the name shown
    const char16_t* Value;     // default value, may be empty
    bool Required;
};
using PStdFieldRec = const TStdFieldRec*;

constexpr int StdFieldCount = 45;
// The table of standard keys, in their documented order.
const TStdFieldRec* StdFields();

// The header of a version-resource block (for the host; nothing here reads it).
struct TVSVersionInfo {
    uint16_t Length;
    uint16_t ValueLength;
    uint16_t TextValue;
    char16_t KeyName[1];
};
using PVSVersionInfo = TVSVersionInfo*;

// Key names between the shown (local) and the English form; unknown names pass unchanged.
UnicodeString VILocalToEnglish(const UnicodeString& LocalName);
UnicodeString VIEnglishToLocal(const UnicodeString& Name);
// The table row of an English key; null when none.
PStdFieldRec VIEnglishToFieldRec(const UnicodeString& Name);

// The required flag as a row's (and a data line's) object.
TObject* const VIRequiredFlag = reinterpret_cast<TObject*>(intptr_t(1));

class TVerInfoInPlaceEdit : public TInplaceEdit {
public:
    using TInplaceEdit::TInplaceEdit;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    void Dispatch(TMessage& Message) override;

protected:
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char16_t& Key) override;

private:
    bool OnRequiredKey();
};

class TVerInfoStringGrid : public TStringGrid {
public:
    explicit TVerInfoStringGrid(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetAllowAddKey() const { return FAllowAddKey; }
    void SetAllowAddKey(bool Value) { FAllowAddKey = Value; }
    UnicodeString GetVerInfoValues(const UnicodeString& Key) { return GetKeyValue(Key); }
    void SetVerInfoValues(const UnicodeString& Key, const UnicodeString& Value) {
        SetKeyValue(Key, Value);
    }

    // Asks for a new key and adds a row for it (with AllowAddKey).
    void AddKey();
    // Reuses an empty last row or appends one; answers the row.
    int AddRow(const UnicodeString& KeyName, const UnicodeString& Value, bool Required);
    // Raises when a row already has the key.
    void ValidateInGrid(const UnicodeString& NewKey);
    bool FindRow(const UnicodeString& KeyName, int& Row);
    UnicodeString GetKeyValue(const UnicodeString& Key);
    void SetKeyValue(const UnicodeString& KeyName, const UnicodeString& Value);
    bool CanEditValueOrDeleteKey(int ARow);
    // Raises for a required row.
    void DeleteRow(int ARow) override;
    // Lines "key=value" with the required flags as objects.
    void FillGridFromData(TStrings* Data);
    void FillDataFromGrid(TStrings* Data);
    bool IsRequiredRow(int ARow) const { return GetObjects(0, ARow) != nullptr; }

protected:
    void Loaded() override;
    TInplaceEdit* CreateEditor() override;
    bool CanEditAcceptKey(char16_t Key) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;

private:
    bool FAllowAddKey = true;
};

#pragma GCC visibility pop
