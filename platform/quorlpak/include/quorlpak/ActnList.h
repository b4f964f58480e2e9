// Actions: commands that menus, buttons and keys share. An action without
// an OnExecute handler of its own is offered to the focused control
// (CM_ACTIONEXECUTE, LParam the action; a non-zero result means the control
// took it) and otherwise works on that control itself when it can; updating
// goes the same way (CM_ACTIONUPDATE).
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ControlTypes.h>
#include <runpak/Component.h>
#include <runpak/UString.h>

class TWinControl;

class TBasicAction : public TComponent {
public:
    explicit TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

    // Whether the action can work on Target, and that work.
    virtual bool HandlesTarget(TObject* Target) { return false; }
    virtual void ExecuteTarget(TObject* Target) {}
    virtual void UpdateTarget(TObject* Target) {}
    // True when a handler, the focused control or the action itself took it.
    virtual bool Execute();
    virtual bool Update();

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;
};

class TCustomAction : public TBasicAction {
public:
    using TBasicAction::TBasicAction;
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    const UnicodeString& GetCaption() const { return FCaption; }
    void SetCaption(const UnicodeString& Value) { FCaption = Value; }
    // A disabled action does nothing.
    bool Execute() override;

private:
    bool FEnabled = true;
    UnicodeString FCaption;
};

class TAction : public TCustomAction {
public:
    using TCustomAction::TCustomAction;
};

// The standard edit commands. They work on the focused edit control (only
// on Control when one is set); other controls take them through
// CM_ACTIONEXECUTE.
class TEditAction : public TAction {
public:
    using TAction::TAction;
    TWinControl* GetControl() const { return FControl; }
    void SetControl(TWinControl* Value) { FControl = Value; }
    bool HandlesTarget(TObject* Target) override;

private:
    TWinControl* FControl = nullptr;
};

class TEditCut : public TEditAction {
public:
    using TEditAction::TEditAction;
    void ExecuteTarget(TObject* Target) override;
    void UpdateTarget(TObject* Target) override;
};

class TEditCopy : public TEditAction {
public:
    using TEditAction::TEditAction;
    void ExecuteTarget(TObject* Target) override;
    void UpdateTarget(TObject* Target) override;
};

class TEditPaste : public TEditAction {
public:
    using TEditAction::TEditAction;
    void ExecuteTarget(TObject* Target) override;
    void UpdateTarget(TObject* Target) override;
};

class TEditSelectAll : public TEditAction {
public:
    using TEditAction::TEditAction;
    void ExecuteTarget(TObject* Target) override;
    void UpdateTarget(TObject* Target) override;
};

class TEditDelete : public TEditAction {
public:
    using TEditAction::TEditAction;
    void ExecuteTarget(TObject* Target) override;
    void UpdateTarget(TObject* Target) override;
};

#pragma GCC visibility pop
