#include <quorlpak/Control.h>
#include <quorlpak/SizeConstraints.h>

#include <runpak/TypeInfo.h>

#include <algorithm>

TClass TSizeConstraints::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TSizeConstraints>(u"TSizeConstraints", TPersistent::StaticClass())
            .Property(u"MaxHeight", IntegerTypeInfo, &TSizeConstraints::GetMaxHeight,
                      &TSizeConstraints::SetMaxHeight)
            .Default(0)
            .Property(u"MaxWidth", IntegerTypeInfo, &TSizeConstraints::GetMaxWidth,
                      &TSizeConstraints::SetMaxWidth)
            .Default(0)
            .Property(u"MinHeight", IntegerTypeInfo, &TSizeConstraints::GetMinHeight,
                      &TSizeConstraints::SetMinHeight)
            .Default(0)
            .Property(u"MinWidth", IntegerTypeInfo, &TSizeConstraints::GetMinWidth,
                      &TSizeConstraints::SetMinWidth)
            .Default(0));
    return &meta;
}

TPersistent* TSizeConstraints::GetOwner() const {
    return FControl;
}

void TSizeConstraints::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TSizeConstraints*>(Source);
    if (!other) {
        TPersistent::Assign(Source);
        return;
    }
    FMinHeight = other->FMinHeight;
    FMaxHeight = other->FMaxHeight;
    FMinWidth = other->FMinWidth;
    FMaxWidth = other->FMaxWidth;
    if (OnChange) OnChange(this);
}

// A minimum above the maximum raises the maximum, and the other way round.
void TSizeConstraints::Set(int& Field, int Value, int& Other, bool IsMin) {
    Value = std::max(Value, 0);
    if (Field == Value) return;
    Field = Value;
    if (Value > 0 && Other > 0) {
        if (IsMin && Other < Value) Other = Value;
        if (!IsMin && Other > Value) Other = Value;
    }
    if (OnChange) OnChange(this);
}

void TSizeConstraints::Apply(int& Width, int& Height) const {
    if (FMaxWidth > 0 && Width > FMaxWidth) Width = FMaxWidth;
    if (FMinWidth > 0 && Width < FMinWidth) Width = FMinWidth;
    if (FMaxHeight > 0 && Height > FMaxHeight) Height = FMaxHeight;
    if (FMinHeight > 0 && Height < FMinHeight) Height = FMinHeight;
}
