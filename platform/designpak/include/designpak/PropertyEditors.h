// The workbench's property editors: one IProperty per published property of
// the selected objects, the interfaces an inspector asks them for, and the
// host routines that show their values.
//
// Calls on these interfaces follow the host's safe-call convention: a failure
// inside an editor reaches the caller as the framework exception it raised.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Types.h>
#include <runpak/Interfaces.h>
#include <runpak/TypeInfo.h>
#include <runpak/UString.h>

#include <cstdint>
#include <functional>
#include <vector>

class TCanvas;
class TControl;
class TPersistent;
struct THintInfo;

// The attribute bits an editor answers from GetAttributes.
using TPropertyAttributes = uint32_t;
constexpr TPropertyAttributes paValueList = 0x0001;
constexpr TPropertyAttributes paSubProperties = 0x0002;
constexpr TPropertyAttributes paDialog = 0x0004;
constexpr TPropertyAttributes paMultiSelect = 0x0008;
constexpr TPropertyAttributes paAutoUpdate = 0x0010;
constexpr TPropertyAttributes paSortList = 0x0020;
constexpr TPropertyAttributes paReadOnly = 0x0040;
constexpr TPropertyAttributes paRevertable = 0x0080;
constexpr TPropertyAttributes paFullWidthName = 0x0100;
constexpr TPropertyAttributes paVolatileSubProperties = 0x0200;
constexpr TPropertyAttributes paDisplayReadOnly = 0x1000;
constexpr TPropertyAttributes paCustomDropDown = 0x2000;
constexpr TPropertyAttributes paValueEditable = 0x4000;

struct IProperty;
struct IPropertyHost;
using TGetPropProc = std::function<void(IProperty* Prop)>;
using TGetStrProc = std::function<void(const UnicodeString& S)>;

// The editor of one property of the selected objects.
struct IProperty : virtual IInterface {
    static constexpr InterfaceID<IProperty> IID_{"{6B3C2D10-4E51-4F8A-9C07-1D2E3F405162}"};
    virtual void Activate() = 0;
    // False when the selected objects disagree on the value.
    virtual bool AllEqual() = 0;
    virtual bool AutoFill() = 0;
    // Opens the editor's dialog, when it has one.
    virtual void Edit() = 0;
    virtual TPropertyAttributes GetAttributes() = 0;
    // Longest text the value takes; -1 for no limit.
    virtual int GetEditLimit() = 0;
    // The value as it is edited; false when it cannot be edited as text.
    virtual bool GetEditValue(UnicodeString& Value) = 0;
    virtual UnicodeString GetName() = 0;
    // Calls Proc once per sub-property.
    virtual void GetProperties(const TGetPropProc& Proc) = 0;
    // The published property record; null for editors not over one.
    virtual PPropInfo GetPropInfo() = 0;
    virtual PTypeInfo GetPropType() = 0;
    virtual UnicodeString GetValue() = 0;
    // Calls Proc once per value of the value list.
    virtual void GetValues(const TGetStrProc& Proc) = 0;
    virtual void Revert() = 0;
    virtual void SetValue(const UnicodeString& Value) = 0;
    virtual bool ValueAvailable() = 0;

protected:
    ~IProperty() = default;
};

// Also answers whether the value is the property's default.
struct IProperty70 : virtual IProperty {
    static constexpr InterfaceID<IProperty70> IID_{"{57B97F18-B47F-4635-94CB-3344783E7069}"};
    virtual bool GetIsDefault() = 0;

protected:
    ~IProperty70() = default;
};

// Also opens its editor on behalf of an inspector that can host drop-downs.
struct IProperty80 : virtual IProperty70 {
    static constexpr InterfaceID<IProperty80> IID_{"{0E7A5C41-3B29-4D86-A1F0-7C2B9E6D8435}"};
    virtual void Edit(IPropertyHost* Host, bool DblClick) = 0;

protected:
    ~IProperty80() = default;
};

struct IWidePropertyDescription : virtual IInterface {
    static constexpr InterfaceID<IWidePropertyDescription> IID_{
        "{A4D1E862-93B7-4C5F-8E21-F06B4A3C97D8}"};
    virtual UnicodeString GetDescription() = 0;

protected:
    ~IWidePropertyDescription() = default;
};

// Told the dotted path of the row that shows it, once.
struct IPropertyPath : virtual IProperty {
    static constexpr InterfaceID<IPropertyPath> IID_{"{265F5E34-8999-4B9B-AC30-A2AED60885DF}"};
    virtual void SetPropertyPath(const UnicodeString& Path) = 0;

protected:
    ~IPropertyPath() = default;
};

// A property that refers to another object.
struct IReferenceProperty : virtual IInterface {
    static constexpr InterfaceID<IReferenceProperty> IID_{"{C7EE2B1E-3F89-40AD-9250-D2667BA3D46B}"};
    // An identity of the referenced object, 0 for none.
    virtual uint32_t GetReferenceIdentity() = 0;

protected:
    ~IReferenceProperty() = default;
};

struct IReferenceColorProperty : virtual IInterface {
    static constexpr InterfaceID<IReferenceColorProperty> IID_{
        "{ECD009DA-C711-4C7F-912B-3AB5A6A4B290}"};
    virtual bool ShowReferenceColor() = 0;

protected:
    ~IReferenceColorProperty() = default;
};

struct ICustomPropertyDrawing : virtual IInterface {
    static constexpr InterfaceID<ICustomPropertyDrawing> IID_{
        "{E1A50419-1288-4B26-9EFA-6608A35F0824}"};
    virtual void PropDrawName(TCanvas* Canvas, const TRect& Rect, bool Selected) = 0;
    virtual void PropDrawValue(TCanvas* Canvas, const TRect& Rect, bool Selected) = 0;

protected:
    ~ICustomPropertyDrawing() = default;
};

// The parts of the name and value rectangles a custom-drawing editor paints.
struct ICustomPropertyDrawingAreas : virtual IInterface {
    static constexpr InterfaceID<ICustomPropertyDrawingAreas> IID_{
        "{73100176-DF0B-4900-AA52-4E67D7D04895}"};
    virtual TRect PropDrawNameRect(const TRect& Rect) = 0;
    virtual TRect PropDrawValueRect(const TRect& Rect) = 0;

protected:
    ~ICustomPropertyDrawingAreas() = default;
};

using TGetWideStrProc = std::function<void(const UnicodeString& S)>;

struct IWidePropertyName : virtual IInterface {
    static constexpr InterfaceID<IWidePropertyName> IID_{"{EB335848-4AD4-4423-8598-37FFDF5984D5}"};
    virtual UnicodeString GetWideName() = 0;
    virtual void GetWideValues(const TGetWideStrProc& Proc) = 0;

protected:
    ~IWidePropertyName() = default;
};

struct IWidePropertyValue : virtual IInterface {
    static constexpr InterfaceID<IWidePropertyValue> IID_{"{ACBF6140-1378-4AAC-94D6-D4660DFE7053}"};
    virtual UnicodeString GetWideValue() = 0;
    virtual bool GetWideEditValue(UnicodeString& Value) = 0;
    virtual void SetWideValue(const UnicodeString& Value) = 0;

protected:
    ~IWidePropertyValue() = default;
};

// Mouse events and hints of a row, offered to the editor first. Rect is the
// row cut at the divider to the side of the point; each answers Handled.
struct IPropertyMouseTracking : virtual IInterface {
    static constexpr InterfaceID<IPropertyMouseTracking> IID_{
        "{60E3EB3A-23DD-459C-8936-0607A27D11A8}"};
    virtual bool MouseDown(int Button, uint32_t Shift, const TPoint& Pt, const TRect& Rect,
                           bool InName) = 0;
    virtual bool MouseMove(uint32_t Shift, const TPoint& Pt, const TRect& Rect, bool InName) = 0;
    virtual bool MouseUp(int Button, uint32_t Shift, const TPoint& Pt, const TRect& Rect,
                         bool InName) = 0;
    virtual bool HintShow(THintInfo& HintInfo, bool InName, const TRect& Rect) = 0;

protected:
    ~IPropertyMouseTracking() = default;
};

// Measures and draws the entries of the editor's value list.
struct ICustomPropertyListDrawing : virtual IInterface {
    static constexpr InterfaceID<ICustomPropertyListDrawing> IID_{
        "{BE2B8CF7-DDCA-4D4B-BE26-2396B969F8E0}"};
    virtual void ListMeasureWidth(const UnicodeString& Value, TCanvas* Canvas, int& Width) = 0;
    virtual void ListMeasureHeight(const UnicodeString& Value, TCanvas* Canvas, int& Height) = 0;
    virtual void ListDrawValue(const UnicodeString& Value, TCanvas* Canvas, const TRect& Rect,
                               bool Selected) = 0;

protected:
    ~ICustomPropertyListDrawing() = default;
};

// The host's current selection of properties.
struct IPropListBoxSelection : virtual IInterface {
    static constexpr InterfaceID<IPropListBoxSelection> IID_{
        "{3F9C71B2-0D64-4E18-B5A7-6E2C8D41F903}"};
    virtual int GetCount() = 0;
    // The property whose sub-properties are listed, or null.
    virtual InterfacePtr<IProperty> GetActiveProperty() = 0;
    virtual InterfacePtr<IProperty> GetSubProperty(int Index) = 0;
    virtual int GetSubPropertyCount() = 0;
    virtual InterfacePtr<IProperty> GetProperty(int Index) = 0;
    // Lists the sub-properties of Prop from now on; null forgets it.
    virtual void SetActiveProperty(IProperty* Prop) = 0;

protected:
    ~IPropListBoxSelection() = default;
};

// What an inspector offers the editors it shows.
struct IPropertyHost : virtual IInterface {
    static constexpr InterfaceID<IPropertyHost> IID_{"{093B302C-2AFC-4891-9B17-FAB69678C956}"};
    // Drops Control down under the row's button.
    virtual void DropDownControl(TControl* Control) = 0;
    virtual void CloseDropDown() = 0;

protected:
    ~IPropertyHost() = default;
};

struct IPropertyHost20 : virtual IInterface {
    static constexpr InterfaceID<IPropertyHost20> IID_{"{46000055-6FD3-4C80-8E4C-8B28D0CD0593}"};
    virtual int GetDropDownWidth() = 0;

protected:
    ~IPropertyHost20() = default;
};

// --- Editors over the framework's published properties -------------------------------

// Which published properties an inspector page lists.
enum TPropertyKinds { pkProperties, pkEvents };

// Calls Proc with one editor per published property that every object of
// Components has (events or the others), in the first object's order.
void GetComponentProperties(const std::vector<TPersistent*>& Components, TPropertyKinds Kinds,
                            const TGetPropProc& Proc);

// A selection over Components for a property list.
InterfacePtr<IPropListBoxSelection>
CreatePropertySelection(const std::vector<TPersistent*>& Components,
                        TPropertyKinds Kinds = pkProperties);

// --- Companions of property editors ----------------------------------------------------

// An editor that wants to know when its row becomes the selected one.
struct IActivatable : virtual IInterface {
    static constexpr InterfaceID<IActivatable> IID_{"{F8C1D5A2-7B34-4E96-A0D3-5E2B8C7F1A46}"};
    virtual void Activate() = 0;

protected:
    ~IActivatable() = default;
};

// --- Host routines -------------------------------------------------------------------

// The text a property list shows in the value column: empty while the selected
// objects disagree, the failure's message in parentheses when reading fails.
UnicodeString GetDisplayValue(IProperty* Prop);

// Draws one entry of a value list as plain text.
void DefaultPropertyListDrawValue(const UnicodeString& Value, TCanvas* Canvas, const TRect& Rect,
                                  bool Selected);

// While the host rearranges its desktop it locks it; inspectors then leave
// their rows and sizes alone.
bool IsDesktopLocked();
void SetDesktopLocked(bool Locked);

#pragma GCC visibility pop
