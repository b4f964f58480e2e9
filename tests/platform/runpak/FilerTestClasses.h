// Small streamable classes for the streaming tests: a form with controls
// that nest by parent, a persistent font, a collection of columns, a
// non-visual timer, and a log of Loaded calls.
#pragma once

#include <runpak/Collection.h>
#include <runpak/Component.h>
#include <runpak/Filer.h>
#include <runpak/TypeInfo.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace filertest {

using TNotifyEvent = std::function<void(TObject* Sender)>;

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

inline PTypeInfo TypeInfo_TFontStyle() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TFontStyle", {u"fsBold", u"fsItalic", u"fsUnderline", u"fsStrikeOut"});
    return &info;
}
inline PTypeInfo TypeInfo_TFontStyles() {
    static const TTypeInfo info = MakeSetTypeInfo(u"TFontStyles", TypeInfo_TFontStyle());
    return &info;
}
inline PTypeInfo TypeInfo_TAlignment() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TAlignment", {u"taLeftJustify", u"taRightJustify", u"taCenter"});
    return &info;
}

// What Loaded saw, in call order.
struct LoadedEntry {
    UnicodeString Name;
    bool WasLoading = false;
    UnicodeString Caption;
    UnicodeString BuddyName;
    int ChildCount = 0;
};
inline std::vector<LoadedEntry>& LoadedLog() {
    static std::vector<LoadedEntry> log;
    return log;
}

class TTestFont : public TPersistent {
public:
    static TClass StaticClass() {
        static const TMetaClass meta(
            TClassBuilder<TTestFont>(u"TTestFont", TPersistent::StaticClass())
                .Property(u"Name", UnicodeStringTypeInfo, &TTestFont::Name, &TTestFont::Name)
                .Property(u"Size", IntegerTypeInfo, &TTestFont::Size, &TTestFont::Size)
                .Default(8)
                .Property(u"Style", TypeInfo_TFontStyles, &TTestFont::Style, &TTestFont::Style)
                .Default(0));
        return &meta;
    }
    TClass ClassType() const override { return StaticClass(); }
    void Assign(TPersistent* Source) override {
        if (auto* other = dynamic_cast<TTestFont*>(Source)) {
            Name = other->Name;
            Size = other->Size;
            Style = other->Style;
            return;
        }
        TPersistent::Assign(Source);
    }

    UnicodeString Name;
    int Size = 8;
    TFontStyles Style;
};

class TTestColumn : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    static TClass StaticClass() {
        static const TMetaClass meta(
            TClassBuilder<TTestColumn>(u"TTestColumn", TCollectionItem::StaticClass())
                .Property(u"Width", IntegerTypeInfo, &TTestColumn::Width, &TTestColumn::Width)
                .Default(50)
                .Property(u"Text", UnicodeStringTypeInfo, &TTestColumn::Text, &TTestColumn::Text)
                .Property(u"Alignment", TypeInfo_TAlignment, &TTestColumn::Alignment,
                          &TTestColumn::Alignment)
                .Default(taLeftJustify));
        return &meta;
    }
    TClass ClassType() const override { return StaticClass(); }

    int Width = 50;
    UnicodeString Text;
    TAlignment Alignment = taLeftJustify;
};

class TTestControl : public TComponent {
public:
    explicit TTestControl(TComponent* AOwner)
        : TComponent(AOwner), FColumns(this, NewCollectionItem<TTestColumn>) {}
    ~TTestControl() override {
        SetParent(nullptr);
        // Children go with their parent only when nobody owns them.
        for (TTestControl* child : std::vector<TTestControl*>(FChildren))
            child->FParent = nullptr;
    }

    static TClass StaticClass() {
        static const TMetaClass meta(
            TClassBuilder<TTestControl>(u"TTestControl", TComponent::StaticClass())
                .Property(u"Caption", UnicodeStringTypeInfo, &TTestControl::Caption,
                          &TTestControl::Caption)
                .Property(u"Width", IntegerTypeInfo, &TTestControl::Width, &TTestControl::Width)
                .Default(0)
                .Property(u"Count", CardinalTypeInfo, &TTestControl::Count, &TTestControl::Count)
                .Default(0)
                .Property(u"Big", Int64TypeInfo, &TTestControl::Big, &TTestControl::Big)
                .Property(u"Ratio", DoubleTypeInfo, &TTestControl::Ratio, &TTestControl::Ratio)
                .Property(u"Small", SingleTypeInfo, &TTestControl::Small, &TTestControl::Small)
                .Property(u"Precise", ExtendedTypeInfo, &TTestControl::Precise,
                          &TTestControl::Precise)
                .Property(u"Visible", BooleanTypeInfo, &TTestControl::Visible,
                          &TTestControl::Visible)
                .Default(1)
                .Property(u"Align", TypeInfo_TAlignment, &TTestControl::Align, &TTestControl::Align)
                .Default(taLeftJustify)
                .Property(u"HotKey", WideCharTypeInfo, &TTestControl::HotKey, &TTestControl::HotKey)
                .Default(0)
                .Property(u"Font", ClassTypeInfo<TTestFont>, &TTestControl::GetFont,
                          &TTestControl::SetFont)
                .Property(u"Columns", ClassTypeInfo<TCollection>, &TTestControl::GetColumns,
                          &TTestControl::SetColumns)
                .Property(u"Buddy", ClassTypeInfo<TTestControl>, &TTestControl::Buddy,
                          &TTestControl::Buddy)
                .Property(u"Secret", UnicodeStringTypeInfo, &TTestControl::Secret,
                          &TTestControl::Secret)
                .Stored(false)
                .Event(u"OnClick", &TTestControl::OnClick));
        return &meta;
    }
    TClass ClassType() const override { return StaticClass(); }

    TTestFont* GetFont() { return &FFont; }
    void SetFont(TTestFont* Value) { FFont.Assign(Value); }
    TCollection* GetColumns() { return &FColumns; }
    void SetColumns(TCollection* Value) { FColumns.Assign(Value); }
    TTestColumn* Column(int Index) { return static_cast<TTestColumn*>(FColumns.GetItems(Index)); }

    // Controls nest by parent; the root owns them all.
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override { return FParent; }
    void SetParentComponent(TComponent* Value) override {
        SetParent(dynamic_cast<TTestControl*>(Value));
    }
    void SetParent(TTestControl* Value) {
        if (FParent) std::erase(FParent->FChildren, this);
        FParent = Value;
        if (FParent) FParent->FChildren.push_back(this);
    }
    TTestControl* GetParent() const { return FParent; }
    const std::vector<TTestControl*>& Children() const { return FChildren; }
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override {
        for (TTestControl* child : FChildren)
            if (child->GetOwner() == Root) Proc(child);
    }

    void Loaded() override {
        LoadedEntry entry;
        entry.Name = GetName();
        entry.WasLoading = GetComponentState().Contains(csLoading);
        entry.Caption = Caption;
        entry.BuddyName = Buddy ? Buddy->GetName() : u"";
        entry.ChildCount = int(FChildren.size());
        LoadedLog().push_back(entry);
        TComponent::Loaded();
    }

    // Data that is no published property: a legacy number and some bytes.
    void DefineProperties(TFiler* Filer) override {
        TComponent::DefineProperties(Filer);
        Filer->DefineProperty(
            u"Legacy", [this](TReader* Reader) { Legacy = Reader->ReadInteger(); },
            [this](TWriter* Writer) { Writer->WriteInteger(Legacy); }, Legacy != 0);
        Filer->DefineBinaryProperty(
            u"Blob",
            [this](TStream* Stream) {
                Blob.assign(size_t(Stream->GetSize()), 0);
                if (!Blob.empty()) Stream->ReadBuffer(Blob.data(), int(Blob.size()));
            },
            [this](TStream* Stream) { Stream->WriteBuffer(Blob.data(), int(Blob.size())); },
            !Blob.empty());
    }

    UnicodeString Caption;
    int Width = 0;
    unsigned Count = 0;
    int64_t Big = 0;
    double Ratio = 0;
    float Small = 0;
    long double Precise = 0;
    bool Visible = true;
    TAlignment Align = taLeftJustify;
    char16_t HotKey = 0;
    TTestControl* Buddy = nullptr;
    UnicodeString Secret;
    TNotifyEvent OnClick;
    int Legacy = 0;
    TBytes Blob;

private:
    TTestFont FFont;
    TOwnedCollection FColumns;
    TTestControl* FParent = nullptr;
    std::vector<TTestControl*> FChildren;
};

// A non-visual component: owned by the form, parented by nobody.
class TTestTimer : public TComponent {
public:
    using TComponent::TComponent;
    static TClass StaticClass() {
        static const TMetaClass meta(
            TClassBuilder<TTestTimer>(u"TTestTimer", TComponent::StaticClass())
                .Property(u"Interval", CardinalTypeInfo, &TTestTimer::Interval,
                          &TTestTimer::Interval)
                .Default(1000)
                .Property(u"Enabled", BooleanTypeInfo, &TTestTimer::Enabled, &TTestTimer::Enabled)
                .Default(1)
                .Event(u"OnTimer", &TTestTimer::OnTimer));
        return &meta;
    }
    TClass ClassType() const override { return StaticClass(); }

    unsigned Interval = 1000;
    bool Enabled = true;
    TNotifyEvent OnTimer;
};

class TTestForm : public TTestControl {
public:
    using TTestControl::TTestControl;
    static TClass StaticClass() {
        static const TMetaClass meta(
            TClassBuilder<TTestForm>(u"TTestForm", TTestControl::StaticClass())
                .Method(u"Button1Click", &TTestForm::Button1Click)
                .Method(u"TimerTick", &TTestForm::TimerTick)
                .Method(u"WrongShape", &TTestForm::WrongShape)
                .Field(u"Button1", &TTestForm::Button1)
                .Field(u"Panel1", &TTestForm::Panel1));
        return &meta;
    }
    TClass ClassType() const override { return StaticClass(); }

    // The root has no parent; it lists its non-visual components first,
    // then its controls.
    bool HasParent() const override { return false; }
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override {
        for (int i = 0; i < GetComponentCount(); ++i)
            if (!GetComponents(i)->HasParent()) Proc(GetComponents(i));
        TTestControl::GetChildren(Proc, Root);
    }

    void Button1Click(TObject* Sender) { Clicks.push_back(Sender); }
    void TimerTick(TObject*) { ++Ticks; }
    void WrongShape(int) {}

    TTestControl* Button1 = nullptr;
    TTestControl* Panel1 = nullptr;
    std::vector<TObject*> Clicks;
    int Ticks = 0;
};

// A descendant form whose description adds to its ancestor's.
class TTestDialog : public TTestForm {
public:
    using TTestForm::TTestForm;
    static TClass StaticClass() {
        static const TMetaClass meta(
            TClassBuilder<TTestDialog>(u"TTestDialog", TTestForm::StaticClass()));
        return &meta;
    }
    TClass ClassType() const override { return StaticClass(); }
};

inline void RegisterTestClasses() {
    RegisterClasses({TTestControl::StaticClass(), TTestTimer::StaticClass(),
                     TTestForm::StaticClass(), TTestDialog::StaticClass()});
}

} // namespace filertest
