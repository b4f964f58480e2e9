#include <runpak/Interfaces.h>

namespace {

const char16_t kHexDigits[] = u"0123456789ABCDEF";

void AppendHex(UnicodeString& text, uint64_t value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        text.push_back(kHexDigits[(value >> shift) & 0xF]);
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Reads digits hex digits at text[pos]; false when one of them is not hex.
bool ReadHex(const UnicodeString& text, size_t pos, int digits, uint64_t& value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        int d = HexDigit(text[pos + i]);
        if (d < 0) return false;
        value = value * 16 + unsigned(d);
    }
    return true;
}

} // namespace

HRESULT TInterfacedObject::QueryInterface(REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown) {
        *out = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG TInterfacedObject::AddRef() noexcept {
    return ULONG(++FRefCount);
}

ULONG TInterfacedObject::Release() noexcept {
    LONG count = --FRefCount;
    if (count == 0) {
        BeforeDestruction();
        delete this;
    }
    return ULONG(count);
}

IUnknown* UnknownOf(TObject* instance) {
    return dynamic_cast<IUnknown*>(instance);
}

bool SupportsInterface(IUnknown* instance, REFIID iid, void** out) {
    *out = nullptr;
    if (!instance) return false;
    if (FAILED(instance->QueryInterface(iid, out)) || !*out) {
        *out = nullptr;
        return false;
    }
    return true;
}

bool SupportsObject(TObject* instance, REFIID iid, void** out) {
    return SupportsInterface(UnknownOf(instance), iid, out);
}

bool SupportsWithoutReference(TObject* instance, REFIID iid) {
    IUnknown* unknown = UnknownOf(instance);
    if (!unknown) return false;
    auto* counted = dynamic_cast<TInterfacedObject*>(instance);
    // A counted object that nobody references yet would be freed by dropping
    // the query's reference: hold one more across the query, and give it back
    // without the free.
    if (counted) ++counted->FRefCount;
    void* found = nullptr;
    bool ok = SupportsInterface(unknown, iid, &found);
    if (ok) unknown->Release(); // one object, one count
    if (counted) --counted->FRefCount;
    return ok;
}

void RaiseInterfaceNotSupported() {
    throw EIntfCastError(u"Interface not supported");
}

UnicodeString GUIDToString(const GUID& guid) {
    UnicodeString text = u"{";
    AppendHex(text, guid.Data1, 8);
    text += u'-';
    AppendHex(text, guid.Data2, 4);
    text += u'-';
    AppendHex(text, guid.Data3, 4);
    text += u'-';
    AppendHex(text, guid.Data4[0], 2);
    AppendHex(text, guid.Data4[1], 2);
    text += u'-';
    for (int i = 2; i < 8; ++i)
        AppendHex(text, guid.Data4[i], 2);
    text += u'}';
    return text;
}

GUID StringToGUID(const UnicodeString& text) {
    GUID guid{};
    uint64_t v = 0;
    bool ok = text.size() == 38 && text[0] == u'{' && text[9] == u'-' && text[14] == u'-' &&
              text[19] == u'-' && text[24] == u'-' && text[37] == u'}';
    if (ok && (ok = ReadHex(text, 1, 8, v))) guid.Data1 = uint32_t(v);
    if (ok && (ok = ReadHex(text, 10, 4, v))) guid.Data2 = uint16_t(v);
    if (ok && (ok = ReadHex(text, 15, 4, v))) guid.Data3 = uint16_t(v);
    for (int i = 0; ok && i < 8; ++i) {
        size_t pos = i < 2 ? 20 + 2 * i : 25 + 2 * (i - 2);
        if ((ok = ReadHex(text, pos, 2, v))) guid.Data4[i] = uint8_t(v);
    }
    if (!ok) throw EConvertError(u"'" + text + u"' is not a valid GUID value");
    return guid;
}
