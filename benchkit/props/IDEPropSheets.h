// Property sheets: separately designed pages of the host's option dialogs,
// a page control that makes one page per entry of a collection of sheet
// class names, the process-wide registry of sheet classes, and the routine
// that splits the dotted area paths sheets are filed under.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ComCtrls.h>
#include <quorlpak/Messages.h>
#include <runpak/Collection.h>

#include <functional>

class TPropertySheetControl;

using TBroadcastEvent = std::function<void(TObject* Sender, TMessage& Msg)>;
using TFreePageEvent = std::function<void(TObject* Sender, TTabSheet* Sheet, bool& Allow)>;

class TPropertySheet : public TTabSheet {
public:
    explicit TPropertySheet(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Reads the sheet class's designed children (once); EResNotFound for a
    // class without a description.
    void LoadDesignedContent();
    // Loads the designed content if not done yet, then fires OnCreate; the
    // creator calls it once the sheet is whole.
    virtual void AfterConstruction();
    void BeforeDestruction() override;

    LRESULT Broadcast(UINT Msg, WPARAM WParam, LPARAM LParam);
    // Through the sheet control the sheet lies on; 0 on any other parent.
    LRESULT ParentBroadcast(UINT Msg, WPARAM WParam, LPARAM LParam);
    // When a page control is the parent, the sheet fills it.
    void SetParent(TWinControl* AParent) override;

    const UnicodeString& GetArea() const { return FArea; }
    void SetArea(const UnicodeString& Value) { FArea = Value; }

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TBroadcastEvent OnBroadcast;

protected:
    friend class TPropertySheetControl;
    virtual void DoBroadcast(TMessage& Msg);

private:
    UnicodeString FArea;
    bool FContentLoaded = false;
};

using TPropertySheetClass = TClass;

class TPropertySheetItem : public TCollectionItem {
public:
    explicit TPropertySheetItem(TCollection* Collection) : TCollectionItem(Collection) {}
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    const UnicodeString& GetPropertySheetClassName() const { return FClassName; }
    // A name that differs (ignoring case) looks its class up again.
    void SetPropertySheetClassName(const UnicodeString& Value);
    TPropertySheetClass GetSheetClass() const { return FSheetClass; }
    TPropertySheet* GetSheet() const { return FSheet; }

private:
    friend class TPropertySheetControl;
    UnicodeString FClassName;
    TPropertySheetClass FSheetClass = nullptr;
    TPropertySheet* FSheet = nullptr;
};

class TPropertySheets : public TOwnedCollection {
public:
    explicit TPropertySheets(TPersistent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TPropertySheetItem* Add() { return static_cast<TPropertySheetItem*>(TCollection::Add()); }
    TPropertySheetItem* GetPropertySheets(int Index) const {
        return static_cast<TPropertySheetItem*>(GetItems(Index));
    }
    // The first item naming Name exactly, or null.
    TPropertySheetItem* FindPropertySheetClass(const UnicodeString& Name) const;

    std::function<void(TPropertySheets* Sender, TPropertySheetItem* Item)> OnItemChanged;

protected:
    void Update(TCollectionItem* Item) override;
};

class TPropertySheetControl : public TPageControl {
public:
    explicit TPropertySheetControl(TComponent* AOwner);
    ~TPropertySheetControl() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Delivers the message to every property sheet, last page first; the
    // result the first page leaves is the answer.
    LRESULT Broadcast(UINT Msg, WPARAM WParam, LPARAM LParam);
    TPropertySheets* GetPropertySheets() const { return FPropertySheets; }

    TFreePageEvent OnFreePage;

protected:
    void FreeTabSheet(TTabSheet*& Sheet);
    void CreateTabSheet(TPropertySheetItem* Item);
    void PropertySheetChanged(TPropertySheets* Sender, TPropertySheetItem* Item);

private:
    TPropertySheets* FPropertySheets;
};

void RegisterPropertySheetClass(TPropertySheetClass Class);
void UnregisterPropertySheetClass(TPropertySheetClass Class);
// The first registered class of that name (any letter case), or null.
TPropertySheetClass FindPropertySheetClass(const UnicodeString& Name);

// The first area of a dotted path, removed from Path; "\." is a dot that
// belongs to the area.
UnicodeString ExtractSheetArea(UnicodeString& Path);

#pragma GCC visibility pop
