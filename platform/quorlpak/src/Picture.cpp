#include <quorlpak/Bitmap.h>
#include <quorlpak/Icon.h>
#include <quorlpak/Picture.h>
#include <runpak/TypeInfo.h>

#include <runpak/Strings.h>

#include <memory>
#include <mutex>
#include <vector>

namespace {

struct FileFormat {
    UnicodeString Extension;
    UnicodeString Description;
    TGraphicClass Class;
};

struct FormatRegistry {
    std::mutex Lock;
    std::vector<FileFormat> Formats;
};

FormatRegistry& Formats() {
    static FormatRegistry registry;
    static std::once_flag builtIn;
    std::call_once(builtIn, [] {
        registry.Formats.push_back({u"bmp", u"Bitmaps", TBitmap::StaticClass()});
        registry.Formats.push_back({u"ico", u"Icons", TIcon::StaticClass()});
    });
    return registry;
}

UnicodeString ExtensionOf(const UnicodeString& FileName) {
    size_t dot = FileName.find_last_of(u'.');
    size_t slash = FileName.find_last_of(u"\\/:");
    if (dot == UnicodeString::npos || (slash != UnicodeString::npos && slash > dot)) return u"";
    return FileName.substr(dot + 1);
}

} // namespace

TClass TPicture::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TPicture>(u"TPicture", TPersistent::StaticClass()));
    return &meta;
}

TPicture::~TPicture() {
    delete FGraphic;
}

void TPicture::Changed() {
    if (OnChange) OnChange(this);
}

void TPicture::Adopt(TGraphic* Graphic) {
    delete FGraphic;
    FGraphic = Graphic;
    if (FGraphic) FGraphic->OnChange = [this](TObject*) { Changed(); };
    Changed();
}

void TPicture::SetGraphic(TGraphic* Value) {
    if (!Value) {
        Adopt(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> copy(static_cast<TGraphic*>(Value->ClassType()->CreateInstance()));
    copy->Assign(Value);
    Adopt(copy.release());
}

void TPicture::SetBitmap(TBitmap* Value) {
    SetGraphic(Value);
}

TBitmap* TPicture::GetBitmap() {
    if (auto* bitmap = dynamic_cast<TBitmap*>(FGraphic)) return bitmap;
    auto* bitmap = new TBitmap;
    Adopt(bitmap);
    return bitmap;
}

TIcon* TPicture::GetIcon() {
    if (auto* icon = dynamic_cast<TIcon*>(FGraphic)) return icon;
    auto* icon = new TIcon;
    Adopt(icon);
    return icon;
}

int TPicture::GetWidth() const {
    return FGraphic ? FGraphic->GetWidth() : 0;
}
int TPicture::GetHeight() const {
    return FGraphic ? FGraphic->GetHeight() : 0;
}

void TPicture::Assign(TPersistent* Source) {
    if (!Source) {
        SetGraphic(nullptr);
    } else if (auto* picture = dynamic_cast<TPicture*>(Source)) {
        SetGraphic(picture->FGraphic);
    } else if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
        SetGraphic(graphic);
    } else {
        TPersistent::Assign(Source);
    }
}

void TPicture::LoadFromFile(const UnicodeString& FileName) {
    UnicodeString ext = ExtensionOf(FileName);
    TGraphicClass cls = GraphicClassOfExtension(ext);
    if (!cls) throw EInvalidGraphic(u"Unknown picture file extension (." + ext + u")");
    std::unique_ptr<TGraphic> graphic(static_cast<TGraphic*>(cls->CreateInstance()));
    graphic->LoadFromFile(FileName);
    Adopt(graphic.release());
}

void TPicture::SaveToFile(const UnicodeString& FileName) {
    if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::RegisterFileFormat(const UnicodeString& Extension, const UnicodeString& Description,
                                  TGraphicClass GraphicClass) {
    FormatRegistry& r = Formats();
    std::lock_guard<std::mutex> guard(r.Lock);
    for (FileFormat& f : r.Formats)
        if (SameText(f.Extension, Extension)) {
            f = {Extension, Description, GraphicClass};
            return;
        }
    r.Formats.push_back({Extension, Description, GraphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass GraphicClass) {
    FormatRegistry& r = Formats();
    std::lock_guard<std::mutex> guard(r.Lock);
    std::erase_if(r.Formats, [&](const FileFormat& f) { return f.Class == GraphicClass; });
}

TGraphicClass TPicture::GraphicClassOfExtension(const UnicodeString& Extension) {
    FormatRegistry& r = Formats();
    std::lock_guard<std::mutex> guard(r.Lock);
    for (const FileFormat& f : r.Formats)
        if (SameText(f.Extension, Extension)) return f.Class;
    return nullptr;
}
