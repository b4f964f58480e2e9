// The component types that UI events carry: a component, a container of
// components and a top-level window. They belong on the framework's controls
// (TControl, TWinControl), but the control headers declare names this unit
// declares too (TKeyEvent, TMouseEvent, TAlignment), so the two cannot meet
// in one source. Gap: they stand on TComponent, which gives them identity,
// ownership and a name; the control-only operations (visibility, parent,
// bounds) are not there.
#pragma once

#include <runpak/Component.h>

class TKomponent : public TComponent {
public:
    explicit TKomponent(TComponent* AOwner) : TComponent(AOwner) {}
    // Focus requests are answered by the window layer, not here.
    virtual void RequestFocus() {}
};

class TContainer : public TKomponent {
public:
    using TKomponent::TKomponent;
};

class TWindow : public TContainer {
public:
    using TContainer::TContainer;
};
