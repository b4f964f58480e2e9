// Enumerations and iterators over the items of a container.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Interfaces.h>

struct IEnumeration : virtual IInterface {
    static constexpr InterfaceID<IEnumeration> IID_{"{70449A60-07C0-11D1-AE96-0020AF32BB01}"};
    virtual bool HasMoreElements() = 0;
    // The next item; ENoSuchElementException when there is none.
    virtual InterfacePtr<IInterface> NextElement() = 0;

protected:
    ~IEnumeration() = default;
};

struct IInputIterator : virtual IEnumeration {
    static constexpr InterfaceID<IInputIterator> IID_{"{10778B81-086A-11D1-AE97-0020AF32BB01}"};
    virtual bool AtFirst() = 0;
    virtual bool AtLast() = 0;
    virtual InterfacePtr<IInterface> Get() = 0;
    virtual void Advance() = 0;
    virtual void Advance2(int Offset) = 0;
    virtual InterfacePtr<IInputIterator> Clone() = 0;

protected:
    ~IInputIterator() = default;
};

struct IOutputIterator : virtual IInputIterator {
    static constexpr InterfaceID<IOutputIterator> IID_{"{10778B83-086A-11D1-AE97-0020AF32BB01}"};
    virtual void Put(IInterface* Data) = 0;

protected:
    ~IOutputIterator() = default;
};

struct IForwardIterator : virtual IOutputIterator {
    static constexpr InterfaceID<IForwardIterator> IID_{"{10778B82-086A-11D1-AE97-0020AF32BB01}"};
    // Advance steps from That to this iterator, -1 when That never gets here.
    virtual int Distance(IForwardIterator* That) = 0;
    virtual InterfacePtr<IInterface> GetContainer() = 0;

protected:
    ~IForwardIterator() = default;
};

#pragma GCC visibility pop
