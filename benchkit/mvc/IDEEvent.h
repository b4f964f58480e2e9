// Events and listeners: the marker and dispatch interfaces every event of the
// model-view framework implements, the counted event base classes with their
// exception chain, and the framework's own exception classes.
//
// The framework's interfaces (unlike IUnknown's three methods) raise: an
// event's Dispatch lets a listener's exception through to whoever fired it.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Exceptions.h>
#include <runpak/Interfaces.h>

#include <exception>

class TStream;

struct IEventObject : virtual IInterface {
    static constexpr InterfaceID<IEventObject> IID_{"{7861BFA1-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual InterfacePtr<IInterface> GetSource() = 0;

protected:
    ~IEventObject() = default;
};

// Marker of every listener.
struct IEventListener : virtual IInterface {
    static constexpr InterfaceID<IEventListener> IID_{"{AB3EB0CB-F8AA-11D0-9AD2-0000C0091B45}"};

protected:
    ~IEventListener() = default;
};

struct IDispatchableEvent : virtual IEventObject {
    static constexpr InterfaceID<IDispatchableEvent> IID_{"{7861BFA2-1F26-11D1-AEB4-0020AF32BB01}"};
    // Calls the listener operation that this event stands for.
    virtual void Dispatch(IEventListener* Listener) = 0;

protected:
    ~IDispatchableEvent() = default;
};

// An event that asks before a change; a listener refuses with EVetoException.
struct IVetoableDispatch : virtual IInterface {
    static constexpr InterfaceID<IVetoableDispatch> IID_{"{AB3EB0CA-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual void VetoableDispatch(IEventListener* Listener) = 0;

protected:
    ~IVetoableDispatch() = default;
};

struct IExceptionDispatch : virtual IInterface {
    static constexpr InterfaceID<IExceptionDispatch> IID_{"{AB3EB0C9-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual void ExceptionDispatch(IEventListener* Listener) = 0;

protected:
    ~IExceptionDispatch() = default;
};

// The framework's exceptions. EVetoException is how a listener refuses a
// vetoable change.
#define IDE_EVENT_EXCEPTION(name)                                                                  \
    class name : public Exception {                                                                \
    public:                                                                                        \
        using Exception::Exception;                                                                \
    }
IDE_EVENT_EXCEPTION(EVetoException);
IDE_EVENT_EXCEPTION(EIllegalArgumentException);
IDE_EVENT_EXCEPTION(EClassCastException);
IDE_EVENT_EXCEPTION(EInvalidFormatException);
IDE_EVENT_EXCEPTION(ENullPointerException);
IDE_EVENT_EXCEPTION(ENoSuchElementException);
IDE_EVENT_EXCEPTION(EIllegalStateException);
#undef IDE_EVENT_EXCEPTION

// Exceptions collected while an event was delivered. The head keeps the
// first exception; later ones follow it, newest first. A link owns the rest
// of its chain.
class TExceptionChain : public TObject {
public:
    TExceptionChain() = default;
    TExceptionChain(TExceptionChain* Next, std::exception_ptr E) : FNext(Next), FE(std::move(E)) {}
    ~TExceptionChain() override;
    TExceptionChain(const TExceptionChain&) = delete;
    TExceptionChain& operator=(const TExceptionChain&) = delete;

    void Append(std::exception_ptr E);
    // Sounds the system beep for each link that holds an exception, from the
    // end of the chain back to this link; writes nothing to the stream.
    void PrintStackTrace(TStream* Stream);
    void PrintStackTrace2(TExceptionChain* Chain, TStream* Stream);
    bool HasExceptions() const { return bool(FE); }
    TExceptionChain* GetNext() const { return FNext; }
    std::exception_ptr GetException() const { return FE; }

private:
    TExceptionChain* FNext = nullptr;
    std::exception_ptr FE;
};

class TEventObject : public TInterfacedObject, public virtual IEventObject {
public:
    explicit TEventObject(IInterface* Source) : FSource(Source) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    // EIllegalArgumentException "Null source" for an event without source.
    InterfacePtr<IInterface> GetSource() override;

protected:
    InterfacePtr<IInterface> FSource;
};

class TDispatchableEvent : public TEventObject, public virtual IDispatchableEvent {
public:
    using TEventObject::TEventObject;
    ~TDispatchableEvent() override;

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    // Every concrete event says which listener operation it calls.
    void Dispatch(IEventListener* Listener) override = 0;
    virtual void AppendException(std::exception_ptr E);
    // Nil until something was appended.
    virtual TExceptionChain* GetExceptionChain() { return FChain; }

private:
    TExceptionChain* FChain = nullptr;
};

// A listener taken as the interface an event calls: the framework's
// interface cast, which raises EIntfCastError when the listener lacks it.
template <class I> InterfacePtr<I> ListenerAs(IEventListener* Listener) {
    return InterfaceCast<I>(static_cast<IInterface*>(Listener));
}

#pragma GCC visibility pop
