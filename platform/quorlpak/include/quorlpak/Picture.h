// TPicture: holds one graphic of any registered class, loads files by their
// extension and creates a bitmap or icon on demand.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Graphic.h>

class TBitmap;
class TIcon;

class TPicture : public TPersistent {
public:
    TPicture() = default;
    ~TPicture() override;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    void Assign(TPersistent* Source) override;

    TGraphic* GetGraphic() const { return FGraphic; }
    // Copies Value into a new graphic of its class (null empties the picture).
    void SetGraphic(TGraphic* Value);
    // The picture as a bitmap: another kind of graphic is replaced by an empty bitmap.
    TBitmap* GetBitmap();
    void SetBitmap(TBitmap* Value);
    TIcon* GetIcon();
    int GetWidth() const;
    int GetHeight() const;

    // EInvalidGraphic "Unknown picture file extension (.xyz)" for a file of no
    // registered kind.
    void LoadFromFile(const UnicodeString& FileName);
    void SaveToFile(const UnicodeString& FileName);

    // The registry of graphic classes by file extension (without the dot,
    // case ignored). BMP and ICO are known from the start.
    static void RegisterFileFormat(const UnicodeString& Extension, const UnicodeString& Description,
                                   TGraphicClass GraphicClass);
    static void UnregisterGraphicClass(TGraphicClass GraphicClass);
    static TGraphicClass GraphicClassOfExtension(const UnicodeString& Extension);

    TNotifyEvent OnChange;

protected:
    virtual void Changed();

private:
    void Adopt(TGraphic* Graphic);

    TGraphic* FGraphic = nullptr;
};

#pragma GCC visibility pop
