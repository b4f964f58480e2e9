// Value objects that models, selections and views pass around as interfaces
// (texts, integers, images, pairs, identity-hashed objects), the geometry
// records of painters and editors, and list helpers.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEEvent.h"

#include <quorlpak/ControlTypes.h>
#include <runpak/Component.h>
#include <runpak/InterfaceList.h>
#include <runpak/Set.h>

#include <cstdint>

class TBitmap;
class TStrings;

struct IStringObject : virtual IInterface {
    static constexpr InterfaceID<IStringObject> IID_{"{287FCB83-0883-11D1-AE97-0020AF32BB01}"};
    virtual UnicodeString GetString() = 0;

protected:
    ~IStringObject() = default;
};

// Data whose text to edit differs from the text it shows.
struct IEditStringObject : virtual IInterface {
    static constexpr InterfaceID<IEditStringObject> IID_{"{90100F7B-BD4A-11D1-B8F8-00C04FB17609}"};
    virtual UnicodeString GetEditString() = 0;

protected:
    ~IEditStringObject() = default;
};

struct IImageObject : virtual IInterface {
    static constexpr InterfaceID<IImageObject> IID_{"{81FE5C51-0AD1-11D1-AE9B-0020AF32BB01}"};
    // Not owned by the caller.
    virtual TBitmap* GetImage() = 0;

protected:
    ~IImageObject() = default;
};

struct IIndexObject : virtual IInterface {
    static constexpr InterfaceID<IIndexObject> IID_{"{A0F3E830-1AA7-11D1-AEAF-0020AF32BB01}"};
    virtual int32_t GetIndex() = 0;

protected:
    ~IIndexObject() = default;
};

struct IHashObject : virtual IInterface {
    static constexpr InterfaceID<IHashObject> IID_{"{287FCB84-0883-11D1-AE97-0020AF32BB01}"};
    virtual int32_t GetHashCode() = 0;

protected:
    ~IHashObject() = default;
};

struct IPair : virtual IInterface {
    static constexpr InterfaceID<IPair> IID_{"{4BC570C2-4EFC-11D1-AEFA-0020AF32BB01}"};
    virtual InterfacePtr<IInterface> GetFirst() = 0;
    virtual void SetFirst(IInterface* Value) = 0;
    virtual InterfacePtr<IInterface> GetSecond() = 0;
    virtual void SetSecond(IInterface* Value) = 0;

protected:
    ~IPair() = default;
};

// A counted wrapper of a framework object (not owned); the source of the
// component events.
class TTamrelObject : public TInterfacedObject {
public:
    explicit TTamrelObject(TObject* Data) : FData(Data) {}
    TObject* GetData() const { return FData; }

protected:
    TObject* FData;
};

class TTextObject : public TInterfacedObject, public IHashObject, public IStringObject {
public:
    explicit TTextObject(UnicodeString Data) : FData(std::move(Data)) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    UnicodeString GetString() override { return FData; }
    int32_t GetHashCode() override;

protected:
    UnicodeString FData;
};

// The hash of a text: every character ×37 for texts under 16 characters,
// else every (length div 8)-th character ×39; 32-bit arithmetic that wraps.
int32_t TextHashCode(const UnicodeString& Text);

class TImageObject : public TTamrelObject, public IImageObject {
public:
    explicit TImageObject(TBitmap* Data);

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    TBitmap* GetImage() override { return FImage; }

private:
    TBitmap* FImage; // the wrapped object, typed
};

class TTextImageObject : public TTextObject, public IImageObject {
public:
    TTextImageObject(UnicodeString Data, TBitmap* Image)
        : TTextObject(std::move(Data)), FImage(Image) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    TBitmap* GetImage() override { return FImage; }

private:
    TBitmap* FImage;
};

// A text with a value. As a pair it is both parts at once: the first part
// is its text, the second its value.
class TTextIndexObject : public TTextObject, public IPair, public IIndexObject {
public:
    TTextIndexObject(UnicodeString Data, int32_t Value)
        : TTextObject(std::move(Data)), FValue(Value) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    int32_t GetIndex() override { return FValue; }
    InterfacePtr<IInterface> GetFirst() override;
    // Takes Value's text (EIntfCastError without IStringObject).
    void SetFirst(IInterface* Value) override;
    InterfacePtr<IInterface> GetSecond() override;
    // Takes Value's index (EIntfCastError without IIndexObject).
    void SetSecond(IInterface* Value) override;

private:
    int32_t FValue;
};

class TIntegerObject : public TInterfacedObject, public IIndexObject {
public:
    explicit TIntegerObject(int32_t Data) : FData(Data) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    int32_t GetIndex() override { return FData; }
    int32_t GetHashCode() const { return FData; }

private:
    int32_t FData;
};

// Hashes by identity: two objects are equal keys only when they are one.
class THashObject : public TInterfacedObject, public IHashObject {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    int32_t GetHashCode() override;
};

class TInsets : public TPersistent {
public:
    TInsets(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom)
        : FLeft(Left), FTop(Top), FRight(Right), FBottom(Bottom) {}

    int32_t GetLeft() const { return FLeft; }
    int32_t GetTop() const { return FTop; }
    int32_t GetRight() const { return FRight; }
    int32_t GetBottom() const { return FBottom; }
    void SetLeft(int32_t Value) { FLeft = Value; }
    void SetTop(int32_t Value) { FTop = Value; }
    void SetRight(int32_t Value) { FRight = Value; }
    void SetBottom(int32_t Value) { FBottom = Value; }

protected:
    // Only onto another TInsets; anything else is EInvalidCast.
    void AssignTo(TPersistent* Dest) override;

private:
    int32_t FLeft, FTop, FRight, FBottom;
};

struct TRectangle {
    int32_t Left, Top, Width, Height;
    friend bool operator==(const TRectangle&, const TRectangle&) = default;
};

struct TDimension {
    int32_t Width, Height;
    friend bool operator==(const TDimension&, const TDimension&) = default;
};

TRectangle Rectangle(int32_t Left, int32_t Top, int32_t Width, int32_t Height);
TDimension Dimension(int32_t Width, int32_t Height);

// Where an item sits in its rectangle, on each axis. The framework's
// TAlignment is a text's justification; this set has its own name so that
// one unit can speak both.
enum TAlignments { aLeft, aCenter, aRight, aHorzStretch, aTop, aMiddle, aBottom, aVertStretch };
using TAlignmentSet = TSet<TAlignments, 8>;

// The item alignment that matches a control's docking: a control docked to
// the top stretches across and sits at the top, and so on.
TAlignmentSet AlignToAlignment(TAlign Align);

enum TOrientation { oHorizontal, oVertical };

// One new TTextObject per string, in list order.
InterfacePtr<IInterfaceList> StringsToInterfaces(TStrings* Strings);
// A shallow copy: the same references in the same order. Every multicaster
// delivers from such a snapshot.
InterfacePtr<IInterfaceList> CloneInterfaceList(IInterfaceList* Source);

#pragma GCC visibility pop
