// TPersistent (assignment, name paths, streaming hooks) and TComponent
// (ownership, names, component state, notifications).
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Interfaces.h>
#include <runpak/Object.h>
#include <runpak/Set.h>

#include <cstdint>
#include <functional>
#include <vector>

// Component streaming (Filer.h).
class TFiler;
class TReader;
class TWriter;

// The base of everything that can be assigned, streamed and inspected.
class TPersistent : public TObject {
public:
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Copies Source into this object. The base asks Source to assign itself
    // (AssignTo); when nobody knows how, EConvertError
    // "Cannot assign a <source class> to a <own class>" ("nil" for no source).
    virtual void Assign(TPersistent* Source);
    // The name by which the object inspector and the designer show the object:
    // the owner's path, a dot, and the class name.
    virtual UnicodeString GetNamePath() const;
    // The object this one belongs to, for name paths and the designer.
    virtual TPersistent* GetOwner() const { return nullptr; }
    // Lets a class stream data that is not a published property.
    virtual void DefineProperties(TFiler* Filer) {}

protected:
    virtual void AssignTo(TPersistent* Dest);

private:
    [[noreturn]] void AssignError(TPersistent* Source);
};

enum TComponentStateItem {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

enum TComponentStyleItem { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
using TComponentStyle = TSet<TComponentStyleItem>;

enum TOperation { opInsert, opRemove };

using TGetChildProc = std::function<void(class TComponent* Child)>;

// A component is owned by its owner, which deletes it (last owned first).
// Deleting a component first removes it from its owner. Components implement
// IInterface without counting references: their life is their owner's.
class TComponent : public TPersistent, public virtual IInterface {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // --- Ownership ---
    TComponent* GetOwner() const override { return FOwner; }
    int GetComponentCount() const { return int(FComponents.size()); }
    // EListError for an index out of range.
    TComponent* GetComponents(int Index) const;
    // Position in the owner's list, -1 without owner. Setting moves the
    // component (clamped to the list).
    int GetComponentIndex() const;
    void SetComponentIndex(int Value);
    // Takes AComponent from its present owner, if any, and owns it.
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    // The owned component of that name, regardless of case; null if none.
    TComponent* FindComponent(const UnicodeString& AName) const;
    // Deletes every owned component, last first.
    void DestroyComponents();

    // --- Name and tag ---
    const UnicodeString& GetName() const { return FName; }
    // Empty or a valid identifier, unique among the owner's components:
    // EComponentError otherwise.
    virtual void SetName(const UnicodeString& NewName);
    intptr_t GetTag() const { return FTag; }
    void SetTag(intptr_t Value) { FTag = Value; }
    UnicodeString GetNamePath() const override;

    // --- State ---
    TComponentState GetComponentState() const { return FComponentState; }
    TComponentStyle GetComponentStyle() const { return FComponentStyle; }
    void SetSubComponent(bool IsSubComponent);
    void SetDesigning(bool Value, bool SetChildren = true);
    void SetAncestor(bool Value);
    void SetInline(bool Value);
    void SetDesignInstance(bool Value);
    // The streaming system brackets the reading of a component with Loading
    // (csLoading on) and Loaded (csLoading off, then the class reacts).
    void Loading();
    virtual void Loaded();
    void Updating();
    void Updated();
    // Marks this component and everything it owns csDestroying.
    void Destroying();
    void BeforeDestruction() override;

    // --- Free notification ---
    // AComponent's Notification(this, opRemove) runs when this component is
    // deleted, and the other way round. The link is dropped on both sides
    // when either goes, so neither keeps a pointer to a deleted component.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // --- Streaming parentage (overridden by controls) ---
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent* Value) {}
    virtual void GetChildren(const TGetChildProc& Proc, TComponent* Root) {}

    // --- Streaming hooks (Filer.h) ---
    // Reads or writes this component's properties and children; the base
    // runs Reader->ReadData(this) / Writer->WriteData(this). Before
    // ReadState, the reader has given a component that HasParent() its
    // parent through SetParentComponent(Reader->GetParent()).
    virtual void ReadState(TReader* Reader);
    virtual void WriteState(TWriter* Writer);
    // The owner of the components streamed inside this one (null: the root).
    virtual TComponent* GetChildOwner() { return nullptr; }
    // The parent given (SetParentComponent) to the components streamed inside.
    virtual TComponent* GetChildParent() { return this; }
    // Moves Child to position Order among this component's children.
    virtual void SetChildOrder(TComponent* Child, int Order) {}

    // --- IInterface, without reference counting ---
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return ULONG(-1); }
    ULONG Release() noexcept override { return ULONG(-1); }

protected:
    // Told when AComponent is inserted into or removed from this component's
    // owned list, when one it asked about goes, and (through the base
    // implementation, which forwards) whenever its owner is told. Overrides
    // call the base.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    virtual void ValidateRename(TComponent* AComponent, const UnicodeString& CurName,
                                const UnicodeString& NewName);
    virtual void ValidateInsert(TComponent* AComponent) {}
    // Tells every component that asked for a free notice that this one goes.
    // The base destructor does it; a class whose members those notices reach
    // back into (a list of clients, say) calls it first in its own destructor,
    // while the members still exist.
    void RemoveFreeNotifications();

private:
    // The reader and writer set csReading and csWriting.
    friend class TReader;
    friend class TWriter;

    // Points the owner's published field of this component's name at this
    // component (or at null), so that a form's members follow its components.
    void SetReference(bool Enable);
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    void UnlinkFreeNotification(TComponent* AComponent);

    TComponent* FOwner = nullptr;
    UnicodeString FName;
    intptr_t FTag = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    TComponentState FComponentState;
    TComponentStyle FComponentStyle{csInheritable};
};

#pragma GCC visibility pop
