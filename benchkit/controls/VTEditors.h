// Ready-made in-place editors for the virtual string tree: link objects that
// put a plain edit, an edit with a button, a combo box or a history combo box
// over the edited cell. The host returns a new link from the tree's
// OnCreateEditor; the tree drives it and drops it when editing ends, which
// frees the link and its control.
//
//   tree->OnCreateEditor = [&](TBaseVirtualTree*, PVirtualNode, TColumnIndex, TVTEditLinkRef& Link) {
//       Link = NewTreeLink<TTreeEditLink>(tree, nullptr);
//   };
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/ButtonedEdit.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/Interfaces.h>

#include <functional>
#include <vector>

class TCustomHistoryManager;
class TCustomImageList;

using TValidateEvent = std::function<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                          TColumnIndex Column, UnicodeString& NewText,
                                          bool& Accept)>;
using TCustomComboBoxClass = std::function<TCustomComboBox*(TComponent* AOwner)>;

struct ITreeControlLink : virtual IInterface {
    static constexpr InterfaceID<ITreeControlLink> IID_{"{021D353C-4F76-4770-A7A6-CD0B1FDDE2EE}"};
    virtual TNotifyEvent GetOnSetControlProperties() = 0;
    virtual void SetOnSetControlProperties(TNotifyEvent Value) = 0;

protected:
    ~ITreeControlLink() = default;
};

struct ITreeEditLink : virtual ITreeControlLink {
    static constexpr InterfaceID<ITreeEditLink> IID_{"{D7A1663C-F06F-4B26-B339-1228DD4C87C9}"};
    virtual bool GetReadOnly() = 0;
    virtual void SetReadOnly(bool Value) = 0;

protected:
    ~ITreeEditLink() = default;
};

struct ITreeButtonedEditLink : virtual ITreeControlLink {
    static constexpr InterfaceID<ITreeButtonedEditLink> IID_{
        "{236C96E6-DA8A-448A-ABF8-70D55FD0E699}"};
    virtual TCustomImageList* GetImages() = 0;
    virtual void SetImages(TCustomImageList* Value) = 0;
    virtual TValidateEvent GetRBClick() = 0;
    virtual void SetRBClick(TValidateEvent Value) = 0;
    virtual int GetRBIndex() = 0;
    virtual void SetRBIndex(int Value) = 0;

protected:
    ~ITreeButtonedEditLink() = default;
};

struct ITreeComboBoxLink : virtual ITreeControlLink {
    static constexpr InterfaceID<ITreeComboBoxLink> IID_{"{CBA550AB-ACDA-4E64-8D59-0F0F271F36A8}"};
    virtual bool GetEditable() = 0;
    virtual void SetEditable(bool Value) = 0;
    virtual TStrings* GetValues() = 0;

protected:
    ~ITreeComboBoxLink() = default;
};

class TTreeLink : public TInterfacedObject, public virtual ITreeControlLink, public IVTEditLink {
public:
    TTreeLink(TCustomVirtualStringTree* Tree, TValidateEvent OnValidate);
    ~TTreeLink() override;

    // Creates the control, puts it on the tree with its window and configures it.
    virtual void AfterConstruction();

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }

    // IVTEditLink
    bool BeginEdit() override;
    bool CancelEdit() override;
    bool EndEdit() override;
    bool PrepareEdit(TBaseVirtualTree* Tree, PVirtualNode Node, TColumnIndex Column) override;
    TRect GetBounds() override;
    void ProcessMessage(TMessage& Message) override;
    void SetBounds(TRect R) override;

    // ITreeControlLink
    TNotifyEvent GetOnSetControlProperties() override { return FOnSetControlProperties; }
    void SetOnSetControlProperties(TNotifyEvent Value) override {
        FOnSetControlProperties = std::move(Value);
    }

    TColumnIndex GetColumn() const { return FColumn; }
    TWinControl* GetControl() const { return FControl; }
    PVirtualNode GetNode() const { return FNode; }
    TCustomVirtualStringTree* GetTree() const { return FTree; }
    UnicodeString GetValue();
    void SetValue(const UnicodeString& Value);
    // The text differs from the one editing started with (letter case counts).
    bool ValueModified();
    // Asks the host; an accepted text goes into the control, a refused edit gets the initial text back.
    bool DoValidate(TBaseVirtualTree* Tree, PVirtualNode Node, TColumnIndex Column);
    void ReleaseControl();

protected:
    virtual void ControlDestroying();
    virtual TWinControl* CreateControl() = 0;
    virtual UnicodeString DoGetValue();
    virtual void CNKeyDown(TMessage& Message, HWND Wnd, WNDPROC Previous);
    virtual void SetControlProperties();
    virtual void DoSetValue(const UnicodeString& Value);
    virtual void WMKeyDown(TMessage& Message, HWND Wnd, WNDPROC Previous);
    virtual void WMChar(TMessage& Message, HWND Wnd, WNDPROC Previous);
    virtual void ControlWndProc(TMessage& Message);
    // Hands the message to Previous, the window's procedure before the link's.
    static void PassOn(TMessage& Message, HWND Wnd, WNDPROC Previous);
    // Subclasses Wnd; Instance and Previous receive the thunk and the old procedure.
    void Subclass(HWND Wnd, std::function<void(TMessage&)> Method, WNDPROC& Instance,
                  WNDPROC& Previous);
    static void Unsubclass(HWND Wnd, WNDPROC& Instance, WNDPROC& Previous);
    TRect CellRect();
    // This link as a reference that keeps it alive through a message, or null while it is freed.
    IVTEditLink* KeepAlive();

    TCustomVirtualStringTree* FTree;
    PVirtualNode FNode = nullptr;
    TColumnIndex FColumn = NoColumn;
    TWinControl* FControl = nullptr;
    TAlignment FAlignment = taLeftJustify;
    TFont* FFont;
    WNDPROC FControlWndProc = nullptr;
    WNDPROC FControlInstance = nullptr;
    HWND FControlWnd = nullptr;
    UnicodeString FInitialValue;
    TValidateEvent FOnValidate;
    TNotifyEvent FOnSetControlProperties;
};

// Makes a link of class T and creates its control; the caller holds the first reference.
template <class T, class... Args> InterfacePtr<IVTEditLink> NewTreeLink(Args&&... args) {
    InterfacePtr<IVTEditLink> link(new T(std::forward<Args>(args)...));
    static_cast<T*>(link.Get())->AfterConstruction();
    return link;
}

class TTreeEditLink : public TTreeLink, public virtual ITreeEditLink {
public:
    using TTreeLink::TTreeLink;
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }
    TNotifyEvent GetOnSetControlProperties() override {
        return TTreeLink::GetOnSetControlProperties();
    }
    void SetOnSetControlProperties(TNotifyEvent Value) override {
        TTreeLink::SetOnSetControlProperties(std::move(Value));
    }

    bool GetReadOnly() override;
    void SetReadOnly(bool Value) override;
    TCustomEdit* GetEdit() const { return static_cast<TCustomEdit*>(FControl); }

protected:
    TWinControl* CreateControl() override;
    void DoSetValue(const UnicodeString& Value) override;
};

class TTreeButtonedEditLink : public TTreeEditLink, public virtual ITreeButtonedEditLink {
public:
    using TTreeEditLink::TTreeEditLink;
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }
    TNotifyEvent GetOnSetControlProperties() override {
        return TTreeLink::GetOnSetControlProperties();
    }
    void SetOnSetControlProperties(TNotifyEvent Value) override {
        TTreeLink::SetOnSetControlProperties(std::move(Value));
    }

    TCustomImageList* GetImages() override;
    void SetImages(TCustomImageList* Value) override;
    TValidateEvent GetRBClick() override { return FOnButtonClick; }
    void SetRBClick(TValidateEvent Value) override { FOnButtonClick = std::move(Value); }
    int GetRBIndex() override;
    void SetRBIndex(int Value) override;
    TCustomButtonedEdit* GetButtonedEdit() const {
        return static_cast<TCustomButtonedEdit*>(FControl);
    }
    // What a click on the right button does.
    void ButtonClick();

protected:
    TWinControl* CreateControl() override;
    void SetControlProperties() override;
    void ControlWndProc(TMessage& Message) override;

    TValidateEvent FOnButtonClick;
    bool FButtonClicked = false;
};

class TTreeCustomComboBoxLink : public TTreeLink, public virtual ITreeComboBoxLink {
public:
    TTreeCustomComboBoxLink(TCustomVirtualStringTree* Tree, TCustomComboBoxClass ComboClass,
                            TValidateEvent OnValidate);
    ~TTreeCustomComboBoxLink() override;
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }
    TNotifyEvent GetOnSetControlProperties() override {
        return TTreeLink::GetOnSetControlProperties();
    }
    void SetOnSetControlProperties(TNotifyEvent Value) override {
        TTreeLink::SetOnSetControlProperties(std::move(Value));
    }

    bool PrepareEdit(TBaseVirtualTree* Tree, PVirtualNode Node, TColumnIndex Column) override;

    bool GetEditable() override;
    void SetEditable(bool Value) override;
    TStrings* GetValues() override;
    TCustomComboBox* GetComboBox() const { return static_cast<TCustomComboBox*>(FControl); }

protected:
    TWinControl* CreateControl() override;
    void SetControlProperties() override;
    void ControlDestroying() override;
    void DoSetValue(const UnicodeString& Value) override;
    void WMKeyDown(TMessage& Message, HWND Wnd, WNDPROC Previous) override;
    void CNKeyDown(TMessage& Message, HWND Wnd, WNDPROC Previous) override;
    void EditWndProc(TMessage& Message);

    WNDPROC FEditWndProc = nullptr;
    WNDPROC FEditInstance = nullptr;
    HWND FEditWnd = nullptr;
    TCustomComboBoxClass FComboClass;
};

class TTreeComboBoxLink : public TTreeCustomComboBoxLink {
public:
    TTreeComboBoxLink(TCustomVirtualStringTree* Tree, std::vector<UnicodeString> Strings,
                      TValidateEvent OnValidate);

protected:
    void SetControlProperties() override;

    std::vector<UnicodeString> FStrings;
};

class TTreeHistoryPropComboBoxLink : public TTreeCustomComboBoxLink {
public:
    TTreeHistoryPropComboBoxLink(TCustomVirtualStringTree* Tree,
                                 TCustomHistoryManager* HistoryManager,
                                 const UnicodeString& HistoryList, TValidateEvent OnValidate);
    ~TTreeHistoryPropComboBoxLink() override;

protected:
    void SetControlProperties() override;

    TCustomHistoryManager* FHistoryMgr;
    UnicodeString FHistoryList;
};

// Frees the controls of links released while their control was still busy
// (the unit's shut-down).
void FinalizeVTEditors();

#pragma GCC visibility pop
