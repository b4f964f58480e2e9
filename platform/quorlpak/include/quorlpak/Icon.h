// TIcon: an icon handle with its size, drawn through DrawIconEx.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Graphic.h>
#include <win32/winuser.h>

class TIcon : public TGraphic {
public:
    TIcon() = default;
    ~TIcon() override;
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    void Assign(TPersistent* Source) override;

    bool GetEmpty() const override { return FHandle == nullptr; }
    int GetWidth() const override { return FWidth; }
    // An icon's size comes from its image: setting it raises EInvalidGraphicOperation.
    void SetWidth(int Value) override;
    int GetHeight() const override { return FHeight; }
    void SetHeight(int Value) override;

    HICON GetHandle() const { return FHandle; }
    // Owns the icon from now on (destroys it with DestroyIcon).
    void SetHandle(HICON Value);
    HICON ReleaseHandle();

    // The icon file format is not read or written here.
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;

protected:
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
    HICON FHandle = nullptr;
    int FWidth = 0;
    int FHeight = 0;
};

#pragma GCC visibility pop
