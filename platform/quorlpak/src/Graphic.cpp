#include "FileBytes.h"

#include <quorlpak/Graphic.h>

#include <runpak/Streams.h>
#include <runpak/TypeInfo.h>

TClass TGraphic::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TGraphic>(u"TGraphic", TPersistent::StaticClass()));
    return &meta;
}

void TGraphic::SetSize(int AWidth, int AHeight) {
    SetWidth(AWidth);
    SetHeight(AHeight);
}

void TGraphic::SetTransparent(bool Value) {
    if (FTransparent == Value) return;
    FTransparent = Value;
    Changed();
}

void TGraphic::SetModified(bool Value) {
    if (Value)
        Changed();
    else
        FModified = false;
}

void TGraphic::Changed() {
    FModified = true;
    if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const UnicodeString& FileName) {
    TBytesStream stream(quorlpak::ReadWholeFile(FileName));
    LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const UnicodeString& FileName) {
    TBytesStream stream;
    SaveToStream(&stream);
    quorlpak::WriteWholeFile(FileName, stream.GetBytes());
}
