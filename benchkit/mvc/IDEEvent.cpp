#include "benchkit/mvc/IDEEvent.h"

namespace {

// The layer has no sound yet; a beep is where a user would hear the chain.
void SystemBeep() {}

} // namespace

// --- TExceptionChain -----------------------------------------------------------------

TExceptionChain::~TExceptionChain() {
    // Iteratively, so that a long chain cannot exhaust the stack.
    TExceptionChain* next = FNext;
    FNext = nullptr;
    while (next) {
        TExceptionChain* after = next->FNext;
        next->FNext = nullptr;
        delete next;
        next = after;
    }
}

void TExceptionChain::Append(std::exception_ptr E) {
    if (!FE) {
        FE = std::move(E);
        return;
    }
    FNext = new TExceptionChain(FNext, std::move(E));
}

void TExceptionChain::PrintStackTrace(TStream* Stream) {
    PrintStackTrace2(this, Stream);
}

void TExceptionChain::PrintStackTrace2(TExceptionChain* Chain, TStream* Stream) {
    if (!Chain) return;
    PrintStackTrace2(Chain->FNext, Stream);
    if (Chain->HasExceptions()) SystemBeep();
}

// --- TEventObject --------------------------------------------------------------------

HRESULT TEventObject::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IEventObject>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

InterfacePtr<IInterface> TEventObject::GetSource() {
    if (!FSource) throw EIllegalArgumentException(u"Null source");
    return FSource;
}

// --- TDispatchableEvent --------------------------------------------------------------

TDispatchableEvent::~TDispatchableEvent() {
    delete FChain;
}

HRESULT TDispatchableEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IDispatchableEvent>(this, iid, out)) return S_OK;
    return TEventObject::QueryInterface(iid, out);
}

void TDispatchableEvent::AppendException(std::exception_ptr E) {
    if (!FChain) FChain = new TExceptionChain;
    FChain->Append(std::move(E));
}
