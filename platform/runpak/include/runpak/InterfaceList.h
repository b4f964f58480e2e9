// The framework's list of counted interface references. Every operation
// takes the list's own lock, so a list may be shared between threads; Lock
// and Unlock hold it across several operations (the same thread may nest).
//
// Items are kept as IInterface. Every interface derives virtually from
// IUnknown, so converting any interface pointer to IInterface lands on the
// object's one IUnknown: two references to one object are the same item
// whatever interface they were added through.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Interfaces.h>

#include <mutex>
#include <vector>

struct IInterfaceList : virtual IInterface {
    static constexpr InterfaceID<IInterfaceList> IID_{"{285DEA8A-B865-11D1-AAA7-00C04FB17A72}"};

    // Index outside 0..Count-1: EListError "List index out of bounds (n)".
    virtual InterfacePtr<IInterface> Get(int Index) = 0;
    virtual int GetCapacity() = 0;
    virtual int GetCount() = 0;
    virtual void Put(int Index, IInterface* Item) = 0;
    virtual void SetCapacity(int NewCapacity) = 0;
    // Growing appends nil items; shrinking releases the items past the count.
    virtual void SetCount(int NewCount) = 0;

    virtual void Clear() = 0;
    virtual void Delete(int Index) = 0;
    virtual void Exchange(int Index1, int Index2) = 0;
    virtual InterfacePtr<IInterface> First() = 0;
    virtual int IndexOf(IInterface* Item) = 0;
    virtual int Add(IInterface* Item) = 0;
    virtual void Insert(int Index, IInterface* Item) = 0;
    virtual InterfacePtr<IInterface> Last() = 0;
    // Deletes the first occurrence; answers its former index or -1.
    virtual int Remove(IInterface* Item) = 0;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;

protected:
    ~IInterfaceList() = default;
};

class TInterfaceList : public TInterfacedObject, public IInterfaceList {
public:
    TInterfaceList() = default;

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;

    InterfacePtr<IInterface> Get(int Index) override;
    int GetCapacity() override;
    int GetCount() override;
    void Put(int Index, IInterface* Item) override;
    void SetCapacity(int NewCapacity) override;
    void SetCount(int NewCount) override;

    void Clear() override;
    void Delete(int Index) override;
    void Exchange(int Index1, int Index2) override;
    InterfacePtr<IInterface> First() override;
    int IndexOf(IInterface* Item) override;
    int Add(IInterface* Item) override;
    void Insert(int Index, IInterface* Item) override;
    InterfacePtr<IInterface> Last() override;
    int Remove(IInterface* Item) override;
    void Lock() override;
    void Unlock() override;

private:
    void CheckIndex(int Index) const;

    std::recursive_mutex FLock;
    std::vector<InterfacePtr<IInterface>> FList;
};

#pragma GCC visibility pop
