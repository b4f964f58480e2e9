// TGraphic: the abstract image that a canvas draws and a picture holds.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ControlTypes.h>
#include <quorlpak/Types.h>
#include <runpak/Component.h>
#include <runpak/Exceptions.h>

class TCanvas;
class TStream;

class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};
class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};

class TGraphic : public TPersistent {
public:
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    virtual bool GetEmpty() const = 0;
    virtual int GetWidth() const = 0;
    virtual void SetWidth(int Value) = 0;
    virtual int GetHeight() const = 0;
    virtual void SetHeight(int Value) = 0;
    virtual void SetSize(int AWidth, int AHeight);
    virtual bool GetTransparent() const { return FTransparent; }
    virtual void SetTransparent(bool Value);
    bool GetModified() const { return FModified; }
    void SetModified(bool Value);

    virtual void LoadFromStream(TStream* Stream) = 0;
    virtual void SaveToStream(TStream* Stream) = 0;
    // Windows paths, through the framework's file streams.
    virtual void LoadFromFile(const UnicodeString& FileName);
    virtual void SaveToFile(const UnicodeString& FileName);

    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    // Draws the whole image into Rect, stretching it to fit.
    virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;
    virtual void Changed();

private:
    bool FTransparent = false;
    bool FModified = false;
};

// A class of graphics that TPicture can create by file extension.
using TGraphicClass = TClass;

#pragma GCC visibility pop
