// Runs a change inside BeginUpdate/EndUpdate, closing the bracket also when
// the change raises, so that a failed change does not mute the list's events.
#pragma once

#include <runpak/ScopeGuard.h>
#include <runpak/StringList.h>

namespace runpak {

template <class F> void Updating(TStrings& strings, F&& change) {
    auto update = UpdateBracket(strings);
    change();
}

} // namespace runpak
