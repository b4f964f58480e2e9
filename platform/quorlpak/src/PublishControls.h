// The published properties and events most controls share, added to a
// class's builder, so that each control publishes the same names the same way.
#pragma once

#include <quorlpak/TypeInfos.h>
#include <quorlpak/WinControl.h>

#include <runpak/TypeInfo.h>

namespace quorlpak {

// Looks and layout of any control, and the mouse events.
template <class T> void PublishControl(TClassBuilder<T>& b) {
    b.Property(u"Align", TypeInfo_TAlign, &T::GetAlign, &T::SetAlign)
        .Default(alNone)
        .Property(u"Anchors", TypeInfo_TAnchors, &T::GetAnchors, &T::SetAnchors)
        .Default(TAnchors{akLeft, akTop}.ToInt())
        .Property(u"Color", TypeInfo_TColor, &T::GetColor, &T::SetColor)
        .Stored([](T* c) { return !c->GetParentColor(); })
        .Property(u"Constraints", ClassTypeInfo<TSizeConstraints>, &T::GetConstraints,
                  &T::SetConstraints)
        .Property(u"Cursor", TypeInfo_TCursor, &T::GetCursor, &T::SetCursor)
        .Default(crDefault)
        .Property(u"Enabled", BooleanTypeInfo, &T::GetEnabled, &T::SetEnabled)
        .Default(1)
        .Property(u"Font", ClassTypeInfo<TFont>, &T::GetFont, &T::SetFont)
        .Stored([](T* c) { return !c->GetParentFont(); })
        .Property(u"ParentColor", BooleanTypeInfo, &T::GetParentColor, &T::SetParentColor)
        .Default(1)
        .Property(u"ParentFont", BooleanTypeInfo, &T::GetParentFont, &T::SetParentFont)
        .Default(1)
        .Property(u"ParentShowHint", BooleanTypeInfo, &T::GetParentShowHint, &T::SetParentShowHint)
        .Default(1)
        .Property(u"Hint", UnicodeStringTypeInfo, &T::GetHint, &T::SetHint)
        .Property(u"ShowHint", BooleanTypeInfo, &T::GetShowHint, &T::SetShowHint)
        .Stored([](T* c) { return !c->GetParentShowHint(); })
        .Property(u"HelpContext", IntegerTypeInfo, &T::GetHelpContext, &T::SetHelpContext)
        .Default(0)
        .Property(u"Visible", BooleanTypeInfo, &T::GetVisible, &T::SetVisible)
        .Default(1)
        .Event(u"OnClick", static_cast<TNotifyEvent T::*>(&TControl::OnClick))
        .Event(u"OnDblClick", static_cast<TNotifyEvent T::*>(&TControl::OnDblClick))
        .Event(u"OnMouseDown", static_cast<TMouseEvent T::*>(&TControl::OnMouseDown))
        .Event(u"OnMouseMove", static_cast<TMouseMoveEvent T::*>(&TControl::OnMouseMove))
        .Event(u"OnMouseUp", static_cast<TMouseEvent T::*>(&TControl::OnMouseUp))
        .Event(u"OnMouseEnter", static_cast<TNotifyEvent T::*>(&TControl::OnMouseEnter))
        .Event(u"OnMouseLeave", static_cast<TNotifyEvent T::*>(&TControl::OnMouseLeave));
}

// What windowed controls add: the tab order and the focus and key events.
template <class T> void PublishWinControl(TClassBuilder<T>& b) {
    PublishControl(b);
    b.Property(u"TabOrder", IntegerTypeInfo, &T::GetTabOrder, &T::SetTabOrder)
        .Property(u"TabStop", BooleanTypeInfo, &T::GetTabStop, &T::SetTabStop)
        .Event(u"OnEnter", static_cast<TNotifyEvent T::*>(&TWinControl::OnEnter))
        .Event(u"OnExit", static_cast<TNotifyEvent T::*>(&TWinControl::OnExit))
        .Event(u"OnKeyDown", static_cast<TKeyEvent T::*>(&TWinControl::OnKeyDown))
        .Event(u"OnKeyPress", static_cast<TKeyPressEvent T::*>(&TWinControl::OnKeyPress))
        .Event(u"OnKeyUp", static_cast<TKeyEvent T::*>(&TWinControl::OnKeyUp));
}

template <class T> void PublishCaption(TClassBuilder<T>& b) {
    b.Property(u"Caption", UnicodeStringTypeInfo, &T::GetCaption, &T::SetCaption);
}

} // namespace quorlpak
