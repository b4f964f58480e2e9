// Cleanup by scope: a bracket opened on one line is closed on every way out
// of the scope, also when an exception passes through.
//
//   auto done = runpak::ScopeExit([&] { Canvas->Unlock(); });
//   auto restore = runpak::SaveAndRestore(FUpdating, true);
//   auto update = runpak::UpdateBracket(*List);        // BeginUpdate ... EndUpdate
#pragma once
#pragma GCC visibility push(default)

#include <exception>
#include <utility>

namespace runpak {

// Runs an action when the scope ends, unless it was released first. An
// action that fails on a normal exit throws as the action would; while
// another exception unwinds the scope its failure is dropped, so the first
// error is the one reported.
template <class F> class TScopeExit {
public:
    explicit TScopeExit(F Action) : FAction(std::move(Action)) {}
    ~TScopeExit() noexcept(false) {
        if (!FArmed) return;
        if (std::uncaught_exceptions() == FUnwinding) {
            FAction();
            return;
        }
        try {
            FAction();
        } catch (...) {
        }
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

    // Keeps the action from running: the scope's work succeeded and what the
    // action would undo stays.
    void Release() { FArmed = false; }

private:
    F FAction;
    int FUnwinding = std::uncaught_exceptions();
    bool FArmed = true;
};

template <class F> [[nodiscard]] TScopeExit<F> ScopeExit(F Action) {
    return TScopeExit<F>(std::move(Action));
}

// Gives a variable a value for a scope and puts the old value back at its end.
template <class T> class TSaveAndRestore {
public:
    explicit TSaveAndRestore(T& Variable) : FVariable(Variable), FSaved(Variable) {}
    template <class U>
    TSaveAndRestore(T& Variable, U&& Value) : FVariable(Variable), FSaved(std::move(Variable)) {
        FVariable = std::forward<U>(Value);
    }
    ~TSaveAndRestore() { FVariable = std::move(FSaved); }
    TSaveAndRestore(const TSaveAndRestore&) = delete;
    TSaveAndRestore& operator=(const TSaveAndRestore&) = delete;

    const T& Saved() const { return FSaved; }

private:
    T& FVariable;
    T FSaved;
};

template <class T> [[nodiscard]] TSaveAndRestore<T> SaveAndRestore(T& Variable) {
    return TSaveAndRestore<T>(Variable);
}
template <class T, class U>
[[nodiscard]] TSaveAndRestore<T> SaveAndRestore(T& Variable, U&& Value) {
    return TSaveAndRestore<T>(Variable, std::forward<U>(Value));
}

// BeginUpdate now, EndUpdate when the scope ends: for anything with the pair
// (string lists, collections, trees).
template <class T> [[nodiscard]] auto UpdateBracket(T& Target) {
    Target.BeginUpdate();
    return ScopeExit([&Target] { Target.EndUpdate(); });
}

} // namespace runpak

#pragma GCC visibility pop
