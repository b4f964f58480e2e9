// TItemStrings: the string list behind a control's Items. It streams its
// strings as a list ("Items.Strings = ("a", "b")", or the same inside an
// "Items = { ... }" block), so that form descriptions carry a control's items.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/StringList.h>

class TItemStrings : public TStringList {
public:
    TItemStrings() = default;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

protected:
    void DefineProperties(TFiler* Filer) override;
};

#pragma GCC visibility pop
