// Property sets: typed fields that convert, check and format option values,
// the sets that own them and tell bound controls of every change, relay sets,
// and the links through which controls and relays listen.
//
// A field never stores its value: reads and writes go through the owning
// set's GetFieldData and SetFieldData, which the stores implement.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ControlTypes.h>
#include <runpak/Component.h>
#include <runpak/StringList.h>
#include <runpak/Variant.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

class TCustomPropSet;
class TPropSet;
class TPropField;
class TPropFieldDefs;
class TPropLink;
class TPropSetLink;

enum TPropFieldType : uint8_t {
    ptString,
    ptInteger,
    ptBoolean,
    ptReal,
    ptCurrency,
    ptDate,
    ptTime,
    ptDateTime,
    ptEnum,
    ptUnsupported,
    ptUserDefined,
    ptColor
};

// What a set tells its links. The info travelling with an event is the
// changed field (peFieldChange, or none), the component whose attributes
// changed (peUpdateAttributes), a TPropField** naming the field to focus
// (peFocusControl), and none for the rest.
enum TPropEvent : uint8_t {
    peFieldChange,
    peUpdateState,
    peUpdateAttributes,
    peRecordChange,
    peFocusControl,
    peFieldListChange,
    peUpdateRecord
};

enum TPropSetState : uint8_t { psActive, psInactive };

using TFieldName = UnicodeString;
using TPropFieldClass = TClass;

// Raise the subsystem's general error with a fixed or formatted text.
[[noreturn]] void PropError(const UnicodeString& Message);
[[noreturn]] void PropErrorFmt(std::u16string_view Format, std::initializer_list<TVarRec> Args);

// ---- Value names --------------------------------------------------------------------

// Lines "Name=Value", Value the decimal text of a 32-bit integer.
class TPropValueNames : public TStringList {
public:
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Adds "Name=N" (N = Value as integer) unless N is already there: then
    // Duplicates decides (accept adds, error raises, ignore does nothing).
    void AddValue(const UnicodeString& Name, const Variant& Value);
    // The first line whose value is N, -1 when none.
    int IndexOfValue(int N) const;
};

// ---- Fields -------------------------------------------------------------------------

using TPropFieldNotifyEvent = std::function<void(TPropField* Sender)>;
using TPropFieldGetTextEvent =
    std::function<void(TPropField* Sender, UnicodeString& Text, bool DisplayText)>;
using TPropFieldSetTextEvent = std::function<void(TPropField* Sender, const UnicodeString& Text)>;
using TPropFieldValidateEvent = std::function<void(TPropField* Sender, const Variant& NewValue)>;

class TPropField : public TComponent {
public:
    explicit TPropField(TComponent* AOwner);
    ~TPropField() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // --- Value -----------------------------------------------------------------------
    // Empty without a set.
    Variant GetValue();
    // Converts, validates, and writes only when the value differs from the
    // stored one; a failure raises before anything is written.
    void SetValue(const Variant& Value);
    // The name of the value in the value-name list, else the value as text.
    UnicodeString GetValueName();
    void SetValueName(const UnicodeString& Text);
    UnicodeString GetDisplayText();
    UnicodeString GetEditText();
    void SetEditText(const UnicodeString& Text);

    // --- Notifications to the set -----------------------------------------------------
    void Change();
    void FocusControl();
    void UpdateAttributes(TComponent* Component);

    // --- Description ------------------------------------------------------------------
    TCustomPropSet* GetPropSet() const { return FPropSet; }
    void SetPropSet(TCustomPropSet* Value);
    const TFieldName& GetFieldName() const { return FFieldName; }
    void SetFieldName(const TFieldName& Value);
    TPropFieldType GetFieldType() const { return FFieldType; }
    int GetSize() const { return FSize; }
    void SetSize(int Value) { FSize = Value; }
    int GetFieldNo() const { return FFieldNo; }
    void SetFieldNo(int Value) { FFieldNo = Value; }
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    const UnicodeString& GetDescription() const { return FDescription; }
    void SetDescription(const UnicodeString& Value);
    // The label, or the field name when the label is empty.
    UnicodeString GetDisplayLabel() const;
    const UnicodeString& GetDisplayLabelText() const { return FDisplayLabel; }
    void SetDisplayLabel(const UnicodeString& Value);
    // 20 when none was set.
    int GetDisplayWidth() const;
    void SetDisplayWidth(int Value);
    const UnicodeString& GetEditMask() const { return FEditMask; }
    void SetEditMask(const UnicodeString& Value);
    // ControlClass when set, else the type's default.
    UnicodeString GetControlClass();
    const UnicodeString& GetControlClassText() const { return FControlClass; }
    void SetControlClass(const UnicodeString& Value) { FControlClass = Value; }
    TPropValueNames* GetValueNames() const { return FValueNames; }
    // Copies Value, then tells the set the field's attributes changed.
    void SetValueNames(TStrings* Value);

    // --- Virtual operations -----------------------------------------------------------
    virtual void Changed();
    virtual int GetDataSize() const { return 0; }
    virtual UnicodeString GetDefaultControlClass();
    virtual Variant GetDefaultValue() const { return Variant(0); }
    virtual void GetText(UnicodeString& Text, bool DisplayText);
    virtual void Validate(const Variant& Value);
    virtual void ConvertType(Variant& Value);

    // --- Streaming parentage: a field's parent is its set ------------------------------
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;
    void ReadState(TReader* Reader) override;

    TPropFieldNotifyEvent OnChange;
    TPropFieldGetTextEvent OnGetText;
    TPropFieldSetTextEvent OnSetText;
    TPropFieldValidateEvent OnValidate;

protected:
    friend class TPropSet;
    friend class TPropFieldDef;

    // The set keeps this pointer when it adds or removes the field.
    void AttachSet(TCustomPropSet* Set) { FPropSet = Set; }

    TPropValueNames* FValueNames;
    TCustomPropSet* FPropSet = nullptr;
    TFieldName FFieldName;
    UnicodeString FDisplayLabel;
    UnicodeString FEditMask;
    UnicodeString FDescription;
    UnicodeString FControlClass;
    int FDisplayWidth = 0;
    TAlignment FAlignment = taLeftJustify;
    int FSize = 0;
    int FFieldNo = 0;
    TPropFieldType FFieldType = ptUnsupported;
};

class TStringPropField : public TPropField {
public:
    explicit TStringPropField(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    const UnicodeString& GetDefaultValueText() const { return FDefaultValue; }
    void SetDefaultValue(const UnicodeString& Value) { FDefaultValue = Value; }
    bool GetOleStringsOnly() const { return FOleStringsOnly; }
    void SetOleStringsOnly(bool Value) { FOleStringsOnly = Value; }

    int GetDataSize() const override { return FSize + 1; }
    UnicodeString GetDefaultControlClass() override { return u"TPropEdit"; }
    Variant GetDefaultValue() const override { return Variant(FDefaultValue); }
    void GetText(UnicodeString& Text, bool DisplayText) override;
    void ConvertType(Variant& Value) override;

private:
    UnicodeString FDefaultValue;
    bool FOleStringsOnly = false;
};

// The number formats shared by the integer and float fields.
class TNumericPropField : public TPropField {
public:
    explicit TNumericPropField(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    const UnicodeString& GetDisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const UnicodeString& Value);
    const UnicodeString& GetEditFormat() const { return FEditFormat; }
    void SetEditFormat(const UnicodeString& Value);

protected:
    UnicodeString FDisplayFormat;
    UnicodeString FEditFormat;
};

class TIntegerPropField : public TNumericPropField {
public:
    explicit TIntegerPropField(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int GetMinValue() const { return FMinValue; }
    void SetMinValue(int Value) { FMinValue = Value; }
    int GetMaxValue() const { return FMaxValue; }
    void SetMaxValue(int Value) { FMaxValue = Value; }
    int GetDefaultValueInt() const { return FDefaultValue; }
    void SetDefaultValue(int Value) { FDefaultValue = Value; }

    int GetDataSize() const override { return 4; }
    UnicodeString GetDefaultControlClass() override { return u"TPropEdit"; }
    Variant GetDefaultValue() const override { return Variant(FDefaultValue); }
    void GetText(UnicodeString& Text, bool DisplayText) override;
    void Validate(const Variant& Value) override;
    void ConvertType(Variant& Value) override;

private:
    int FMinValue = 0;
    int FMaxValue = 0;
    int FDefaultValue = 0;
};

class TFloatPropField : public TNumericPropField {
public:
    explicit TFloatPropField(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetCurrency() const { return FCurrency; }
    void SetCurrency(bool Value);
    int GetPrecision() const { return FPrecision; }
    // Clamped to 2..15.
    void SetPrecision(int Value);
    double GetMinValue() const { return FMinValue; }
    void SetMinValue(double Value);
    double GetMaxValue() const { return FMaxValue; }
    void SetMaxValue(double Value);
    double GetDefaultValueFloat() const { return FDefaultValue; }
    void SetDefaultValue(double Value) { FDefaultValue = Value; }
    // On when either bound is non-zero.
    bool GetCheckRange() const { return FCheckRange; }

    int GetDataSize() const override { return 8; }
    UnicodeString GetDefaultControlClass() override { return u"TPropEdit"; }
    Variant GetDefaultValue() const override { return Variant(FDefaultValue); }
    void GetText(UnicodeString& Text, bool DisplayText) override;
    void Validate(const Variant& Value) override;
    void ConvertType(Variant& Value) override;

private:
    void UpdateCheckRange() { FCheckRange = FMinValue != 0 || FMaxValue != 0; }

    bool FCurrency = false;
    bool FCheckRange = false;
    int FPrecision = 15;
    double FMinValue = 0;
    double FMaxValue = 0;
    double FDefaultValue = 0;
};

class TDateTimePropField : public TPropField {
public:
    explicit TDateTimePropField(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TDateTime GetDefaultValueDate() const { return FDefaultValue; }
    // A date field keeps only the day, a time field only the time of day.
    void SetDefaultValue(TDateTime Value);
    const UnicodeString& GetDisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const UnicodeString& Value);

    int GetDataSize() const override { return 8; }
    UnicodeString GetDefaultControlClass() override { return u"TPropEdit"; }
    Variant GetDefaultValue() const override { return Variant(FDefaultValue); }
    void GetText(UnicodeString& Text, bool DisplayText) override;
    void ConvertType(Variant& Value) override;

private:
    TDateTime FDefaultValue;
    UnicodeString FDisplayFormat;
};

class TDatePropField : public TDateTimePropField {
public:
    explicit TDatePropField(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

class TTimePropField : public TDateTimePropField {
public:
    explicit TTimePropField(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// Value names True/False/Yes/No/1/0, so that any of them may be entered.
class TBooleanPropField : public TPropField {
public:
    explicit TBooleanPropField(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetDefaultValueBool() const { return FDefaultValue; }
    void SetDefaultValue(bool Value) { FDefaultValue = Value; }

    int GetDataSize() const override { return 1; }
    UnicodeString GetDefaultControlClass() override { return u"TPropCheckBox"; }
    Variant GetDefaultValue() const override { return Variant(FDefaultValue); }

private:
    bool FDefaultValue = false;
};

class TEnumPropField : public TPropField {
public:
    explicit TEnumPropField(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetStrictValues() const { return FStrictValues; }
    void SetStrictValues(bool Value) { FStrictValues = Value; }
    int GetDefaultValueInt() const { return FDefaultValue; }
    void SetDefaultValue(int Value) { FDefaultValue = Value; }

    int GetDataSize() const override { return 4; }
    UnicodeString GetDefaultControlClass() override { return u"TPropComboBox"; }
    Variant GetDefaultValue() const override { return Variant(FDefaultValue); }
    void GetText(UnicodeString& Text, bool DisplayText) override;
    void Validate(const Variant& Value) override;

private:
    bool FStrictValues = true;
    int FDefaultValue = 0;
};

// Colours are stored as their canonical text ("clRed", "$00123456").
class TColorPropField : public TPropField {
public:
    explicit TColorPropField(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int32_t GetDefaultValueColor() const { return FDefaultValue; }
    void SetDefaultValue(int32_t Value) { FDefaultValue = Value; }
    int32_t GetColor();
    void SetColor(int32_t Value);

    int GetDataSize() const override { return FSize + 1; }
    UnicodeString GetDefaultControlClass() override { return u"TPropColorBox"; }
    Variant GetDefaultValue() const override;
    void ConvertType(Variant& Value) override;

private:
    int32_t FDefaultValue = 0;
};

// ---- Field definitions ----------------------------------------------------------------

class TPropFieldDef : public TObject {
public:
    // Appends itself to Owner.
    TPropFieldDef(TPropFieldDefs* Owner, const UnicodeString& Name, TPropFieldType DataType,
                  int Size, int FieldNo);
    // Removes itself from its owner.
    ~TPropFieldDef() override;
    TPropFieldDef(const TPropFieldDef&) = delete;
    TPropFieldDef& operator=(const TPropFieldDef&) = delete;

    // A field of the set's class for DataType, owned by Owner, attached to the set.
    virtual TPropField* CreateField(TComponent* Owner);

    const UnicodeString& GetName() const { return FName; }
    TPropFieldType GetDataType() const { return FDataType; }
    TPropValueNames* GetValueNames() const { return FValueNames; }
    int GetFieldNo() const { return FFieldNo; }
    int GetSize() const { return FSize; }

private:
    TPropFieldDefs* FOwner;
    UnicodeString FName;
    TPropFieldType FDataType;
    TPropValueNames* FValueNames;
    int FFieldNo;
    int FSize;
};

class TPropFieldDefs : public TObject {
public:
    explicit TPropFieldDefs(TPropSet* PropSet) : FPropSet(PropSet) {}
    ~TPropFieldDefs() override;
    TPropFieldDefs(const TPropFieldDefs&) = delete;
    TPropFieldDefs& operator=(const TPropFieldDefs&) = delete;

    void Add(const UnicodeString& Name, TPropFieldType DataType, int Size = 0, int FieldNo = 0);
    int IndexOf(const UnicodeString& Name) const;
    TPropFieldDef* Find(const UnicodeString& Name) const;
    int GetCount() const { return int(FItems.size()); }
    TPropFieldDef* GetItems(int Index) const;
    void Clear();
    void Update();
    bool GetUpdated() const { return FUpdated; }
    void SetUpdated(bool Value) { FUpdated = Value; }
    TPropSet* GetPropSet() const { return FPropSet; }

private:
    friend class TPropFieldDef;

    TPropSet* FPropSet;
    std::vector<TPropFieldDef*> FItems;
    bool FUpdated = false;
};

// ---- Sets -------------------------------------------------------------------------------

// The designer's view of a set (the host's design-time code derives from it).
// It makes itself the set's designer when made; the set frees it.
class TPropSetDesigner : public TObject {
public:
    explicit TPropSetDesigner(TCustomPropSet* PropSet);
    ~TPropSetDesigner() override;
    // Called by the set after its links, for every event it dispatches.
    virtual void DataEvent(TPropEvent Event, void* Info) {}
    TCustomPropSet* GetPropSet() const { return FPropSet; }
    // Quiets the links for a design operation; the end refreshes them once.
    void BeginDesign();
    void EndDesign();

private:
    TCustomPropSet* FPropSet;
};

class TCustomPropSet : public TComponent {
public:
    explicit TCustomPropSet(TComponent* AOwner);
    ~TCustomPropSet() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // --- Virtual operations -------------------------------------------------------------
    virtual void AddField(TPropField* Field) = 0;
    virtual void DataEvent(TPropEvent Event, void* Info) = 0;
    virtual TPropField* GetField(int Index) = 0;
    virtual TPropFieldClass GetFieldClass(TPropFieldType FieldType) = 0;
    virtual int GetFieldCount() = 0;
    // True when the field's type is handled; Value is untouched otherwise.
    virtual bool GetFieldData(TPropField* Field, Variant& Value) = 0;
    virtual TPropFieldDefs* GetFieldDefs() = 0;
    virtual Variant GetFieldValue(const UnicodeString& FieldNames) = 0;
    virtual TPropValueNames* GetFieldValuesList(const UnicodeString& FieldName) = 0;
    virtual TPropSetState GetState() = 0;
    virtual void RemoveField(TPropField* Field) = 0;
    virtual void SetFieldData(TPropField* Field, const Variant& Value) = 0;
    virtual void SetFieldValue(const UnicodeString& FieldNames, const Variant& Value) = 0;
    virtual void SetState(TPropSetState Value) = 0;
    virtual void BeginUpdate();
    virtual void EndUpdate();
    virtual void GetFieldNames(TStrings* List) = 0;

    // --- Links --------------------------------------------------------------------------
    void AddLink(TPropLink* Link);
    void RemoveLink(TPropLink* Link);
    int GetLinkCount() const { return int(FLinks.size()); }
    TPropLink* GetLinks(int Index) const;
    // Every link's DataEvent, in attachment order. A link removed while this
    // runs is not called; one added while it runs waits for the next event.
    void NotifyPropLinks(TPropEvent Event, void* Info);

    // --- Fields by name -----------------------------------------------------------------
    TPropField* FindField(const UnicodeString& FieldName);
    TPropField* FieldByName(const UnicodeString& FieldName);
    void CheckFieldName(const UnicodeString& FieldName);

    // --- Update brackets ----------------------------------------------------------------
    // Both count; the first of a nesting decides the closing event:
    // peRecordChange for BeginUpdate, peFieldListChange for DisableControls.
    void DisableControls();
    void EnableControls();
    int GetDisableCount() const { return FDisableCount; }

    // "TPropEdit", or the check box or combo box for Boolean and enum fields.
    static UnicodeString GetDefaultControlClass(TPropFieldClass FieldClass);

    TPropSetDesigner* GetDesigner() const { return FDesigner; }
    // Takes ownership; the old designer is freed.
    void SetDesigner(TPropSetDesigner* Value);
    TPropValueNames* GetEmptyValuesList() const { return FEmptyValuesList; }

protected:
    // Detaches every link (each recomputes its state), so that nothing keeps
    // the set or its fields once it starts going. Every destructor of the
    // family calls it first, while its own part is still whole.
    void DetachLinks();
    // Links whose field is going lose it before the field is freed.
    void ForgetField(TPropField* Field);

    std::vector<TPropLink*> FLinks;
    friend class TPropSetDesigner;
    TPropSetDesigner* FDesigner = nullptr;
    TPropValueNames* FEmptyValuesList;
    int FDisableCount = 0;
    TPropEvent FEnableEvent = peRecordChange;
};

using TPropSetNotifyEvent = std::function<void(TObject* Sender)>;

class TPropSet : public TCustomPropSet {
public:
    explicit TPropSet(TComponent* AOwner);
    ~TPropSet() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    void AddField(TPropField* Field) override;
    void DataEvent(TPropEvent Event, void* Info) override;
    TPropField* GetField(int Index) override;
    TPropFieldClass GetFieldClass(TPropFieldType FieldType) override;
    int GetFieldCount() override { return int(FFields.size()); }
    TPropFieldDefs* GetFieldDefs() override { return FFieldDefs; }
    // One name gives that field's value, several names (separated by ';')
    // an array of their values.
    Variant GetFieldValue(const UnicodeString& FieldNames) override;
    TPropValueNames* GetFieldValuesList(const UnicodeString& FieldName) override;
    TPropSetState GetState() override { return FState; }
    void RemoveField(TPropField* Field) override;
    // One name takes Value; several names take the elements of an array in order.
    void SetFieldValue(const UnicodeString& FieldNames, const Variant& Value) override;
    void SetState(TPropSetState Value) override;
    void GetFieldNames(TStrings* List) override;

    void DestroyFields();
    void UpdateFieldDefs();
    void CreateDefaultFields();
    void LoadPropValues();
    void SavePropValues();

    TPropSetNotifyEvent BeforeSave;
    TPropSetNotifyEvent AfterSave;
    TPropSetNotifyEvent BeforeLoad;
    TPropSetNotifyEvent AfterLoad;

protected:
    virtual void DoAfterLoad();
    virtual void DoAfterSave();
    virtual void DoBeforeLoad();
    virtual void DoBeforeSave();
    virtual void InitFieldDefs() = 0;
    // Pushes pending edits of bound controls.
    virtual void InternalSavePropValues();
    // Makes the set active.
    virtual void InternalLoadPropValues();
    virtual void StateChanged() = 0;

    std::vector<TPropField*> FFields;
    TPropFieldDefs* FFieldDefs;
    TPropSetState FState = psInactive;
};

// Shows another set's fields under links of its own.
class TPropSetSource : public TCustomPropSet {
public:
    explicit TPropSetSource(TComponent* AOwner);
    ~TPropSetSource() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TCustomPropSet* GetPropSet() const;
    // The source itself is refused.
    void SetPropSet(TCustomPropSet* Value);

    void AddField(TPropField* Field) override;
    void DataEvent(TPropEvent Event, void* Info) override;
    TPropField* GetField(int Index) override;
    TPropFieldClass GetFieldClass(TPropFieldType FieldType) override;
    int GetFieldCount() override;
    bool GetFieldData(TPropField* Field, Variant& Value) override;
    TPropFieldDefs* GetFieldDefs() override;
    Variant GetFieldValue(const UnicodeString& FieldNames) override;
    TPropValueNames* GetFieldValuesList(const UnicodeString& FieldName) override;
    TPropSetState GetState() override;
    void RemoveField(TPropField* Field) override;
    void SetFieldData(TPropField* Field, const Variant& Value) override;
    void SetFieldValue(const UnicodeString& FieldNames, const Variant& Value) override;
    void SetState(TPropSetState Value) override;
    void GetFieldNames(TStrings* List) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TPropSetLink* FPropSetLink;
};

// ---- Links --------------------------------------------------------------------------------

class TPropLink : public TObject {
public:
    TPropLink() = default;
    ~TPropLink() override;
    TPropLink(const TPropLink&) = delete;
    TPropLink& operator=(const TPropLink&) = delete;

    TCustomPropSet* GetPropSet() const { return FPropSet; }
    void SetPropSet(TCustomPropSet* Value);
    bool GetActive() const { return FActive; }
    bool GetUpdating() const { return FUpdating; }
    void UpdateState();
    // UpdateData with the updating mark set, so this link skips its own refresh.
    void UpdateRecord();

    virtual void DataEvent(TPropEvent Event, void* Info);
    virtual void FocusControl(TPropField** FieldRef) {}
    virtual void UpdateData() {}
    virtual void RecordChanged(TPropField* Field) {}
    virtual void ActiveChanged() {}
    virtual void UpdateAttributes(TComponent* Component) {}

protected:
    friend class TCustomPropSet;

    void SetActive(bool Value);

    TCustomPropSet* FPropSet = nullptr;
    bool FUpdating = false;
    bool FActive = false;
};

// The relay's link to its target: what the target says, the relay repeats.
class TPropSetLink : public TPropLink {
public:
    explicit TPropSetLink(TPropSetSource* PropSetSource) : FPropSetSource(PropSetSource) {}

    void DataEvent(TPropEvent Event, void* Info) override;
    void ActiveChanged() override;

private:
    friend class TCustomPropSet;

    TPropSetSource* FPropSetSource;
};

// The link of one bound control.
class TFieldPropLink : public TPropLink {
public:
    TFieldPropLink() = default;
    explicit TFieldPropLink(TComponent* Control) : FControl(Control) {}

    TPropField* GetField() const { return FField; }
    const UnicodeString& GetFieldName() const { return FFieldName; }
    void SetFieldName(const UnicodeString& Value);
    TComponent* GetControl() const { return FControl; }
    void SetControl(TComponent* Value) { FControl = Value; }
    bool GetModified() const { return FModified; }
    void Modified() { FModified = true; }
    void Reset() { RecordChanged(nullptr); }
    // Resolves the field name afresh (fails when the set lacks it and the
    // link serves a control).
    void UpdateField();

    void FocusControl(TPropField** FieldRef) override;
    void UpdateData() override;
    void RecordChanged(TPropField* Field) override;
    void ActiveChanged() override;
    void UpdateAttributes(TComponent* Component) override;

    TNotifyEvent OnDataChange;
    TNotifyEvent OnUpdateData;
    TNotifyEvent OnActiveChange;
    TNotifyEvent OnAttributesChange;

private:
    friend class TCustomPropSet;

    void SetField(TPropField* Value);

    TPropField* FField = nullptr;
    UnicodeString FFieldName;
    TComponent* FControl = nullptr;
    bool FModified = false;
};

// ---- Registration ---------------------------------------------------------------------------

// Installed by the host's design-time code; empty until then.
using TRegisterPropFieldsProc = void (*)(const TPropFieldClass* FieldClasses, int Count);
extern TRegisterPropFieldsProc RegisterPropFieldsProc;

// Hands the classes to RegisterPropFieldsProc; fails when none is installed.
void RegisterPropFields(const TPropFieldClass* FieldClasses, int Count);
void RegisterPropFields(std::initializer_list<TPropFieldClass> FieldClasses);

// Start-up and shut-down of the unit: registers the field and set classes
// for streaming, and forgets the host's registration routine.
void InitializeIDEPropSet();
void FinalizeIDEPropSet();

#pragma GCC visibility pop
