#include "benchkit/props/PropCache.h"

namespace benchkit::props {

bool ReadCachedValue(TCustomIniFile* Cache, const UnicodeString& Section, const UnicodeString& Name,
                     TPropField* Field, Variant& Value) {
    Variant def = Field->GetDefaultValue();
    switch (Field->GetFieldType()) {
    case ptString:
    case ptColor:
        Value = Cache->ReadString(Section, Name, VarToStr(def));
        return true;
    case ptInteger:
        Value = Cache->ReadInteger(Section, Name, def.AsInteger());
        return true;
    case ptBoolean:
    case ptEnum: {
        UnicodeString text = Cache->ReadString(Section, Name, u"");
        TPropValueNames* names = Field->GetValueNames();
        int index = text.empty() ? -1 : names->IndexOfName(text);
        if (index >= 0)
            Value = names->GetValueFromIndex(index);
        else
            Value = Cache->ReadInteger(Section, Name, def.AsInteger());
        return true;
    }
    case ptReal:
        Value = Cache->ReadFloat(Section, Name, def.AsDouble());
        return true;
    case ptDate:
        Value = Cache->ReadDate(Section, Name, def.AsDateTime());
        return true;
    case ptTime:
        Value = Cache->ReadTime(Section, Name, def.AsDateTime());
        return true;
    case ptDateTime:
        Value = Cache->ReadDateTime(Section, Name, def.AsDateTime());
        return true;
    default:
        return false;
    }
}

void WriteCachedValue(TCustomIniFile* Cache, const UnicodeString& Section,
                      const UnicodeString& Name, TPropField* Field, const Variant& Value) {
    switch (Field->GetFieldType()) {
    case ptString:
    case ptColor:
        Cache->WriteString(Section, Name, VarToStr(Value));
        break;
    case ptInteger:
        Cache->WriteInteger(Section, Name, Value.AsInteger());
        break;
    case ptBoolean:
    case ptEnum: {
        int n = Value.AsInteger();
        TPropValueNames* names = Field->GetValueNames();
        int index = names->IndexOfValue(n);
        if (index >= 0)
            Cache->WriteString(Section, Name, names->GetNames(index));
        else
            Cache->WriteInteger(Section, Name, n);
        break;
    }
    case ptReal:
        Cache->WriteFloat(Section, Name, Value.AsDouble());
        break;
    case ptDate:
        Cache->WriteDate(Section, Name, Value.AsDateTime());
        break;
    case ptTime:
        Cache->WriteTime(Section, Name, Value.AsDateTime());
        break;
    case ptDateTime:
        Cache->WriteDateTime(Section, Name, Value.AsDateTime());
        break;
    default:
        break;
    }
}

bool AcceptsStoredValue(TPropField* Field, const Variant& Value) {
    try {
        Field->Validate(Value);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

} // namespace benchkit::props
