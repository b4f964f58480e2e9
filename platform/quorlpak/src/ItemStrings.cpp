#include <quorlpak/ItemStrings.h>

#include <runpak/Filer.h>
#include <runpak/ScopeGuard.h>

TClass TItemStrings::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TItemStrings>(u"TItemStrings", TStringList::StaticClass()));
    return &meta;
}

void TItemStrings::DefineProperties(TFiler* Filer) {
    auto read = [this](TReader* Reader) {
        auto update = runpak::UpdateBracket(*this);
        Clear();
        Reader->ReadListBegin();
        while (!Reader->EndOfList())
            Add(Reader->ReadString());
        Reader->ReadListEnd();
    };
    auto write = [this](TWriter* Writer) {
        Writer->WriteListBegin();
        for (int i = 0; i < GetCount(); ++i)
            Writer->WriteString(Get(i));
        Writer->WriteListEnd();
    };
    Filer->DefineProperty(u"Strings", read, write, GetCount() > 0);
}
