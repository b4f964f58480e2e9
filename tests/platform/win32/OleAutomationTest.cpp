#include <win32/oleauto.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>

namespace {

std::u16string Text(BSTR s) {
    return std::u16string(s ? s : u"", SysStringLen(s));
}

TEST(BstrTest, CarriesItsLengthAndEmbeddedNulls) {
    BSTR hello = SysAllocString(u"hello");
    ASSERT_NE(hello, nullptr);
    EXPECT_EQ(SysStringLen(hello), 5u);
    EXPECT_EQ(SysStringByteLen(hello), 10u);
    EXPECT_EQ(hello[5], u'\0');
    uint32_t prefix;
    std::memcpy(&prefix, reinterpret_cast<char*>(hello) - 4, 4);
    EXPECT_EQ(prefix, 10u);
    SysFreeString(hello);

    const char16_t raw[] = {u'a', u'\0', u'b'};
    BSTR withNull = SysAllocStringLen(raw, 3);
    EXPECT_EQ(SysStringLen(withNull), 3u);
    EXPECT_EQ(Text(withNull), std::u16string(raw, 3));
    SysFreeString(withNull);

    BSTR blank = SysAllocStringLen(nullptr, 4);
    EXPECT_EQ(Text(blank), std::u16string(4, u'\0'));
    SysFreeString(blank);

    BSTR bytes = SysAllocStringByteLen("abc", 3);
    EXPECT_EQ(SysStringByteLen(bytes), 3u);
    EXPECT_EQ(SysStringLen(bytes), 1u);
    EXPECT_EQ(std::memcmp(bytes, "abc\0", 4), 0);
    SysFreeString(bytes);

    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST(BstrTest, ReallocationMayReadFromTheOldString) {
    BSTR s = SysAllocString(u"abcdef");
    ASSERT_TRUE(SysReAllocStringLen(&s, s + 2, 3));
    EXPECT_EQ(Text(s), u"cde");
    ASSERT_TRUE(SysReAllocString(&s, u"xy"));
    EXPECT_EQ(Text(s), u"xy");
    SysFreeString(s);
}

// Counts its references so that copies and clears can be checked.
struct CountedDispatch : IDispatch {
    std::atomic<int> refs{1};
    LONG value = 42;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (riid == IID_IUnknown)
            *ppv = static_cast<IUnknown*>(this);
        else if (riid == IID_IDispatch)
            *ppv = static_cast<IDispatch*>(this);
        else
            return *ppv = nullptr, E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return --refs; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) noexcept override { return *n = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) noexcept override {
        if (id != DISPID_VALUE || !(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        result->vt = VT_I4;
        result->lVal = value;
        return S_OK;
    }
};

TEST(VariantTest, CopyDuplicatesStringsAndReferencesObjects) {
    VARIANT a, b;
    VariantInit(&a);
    VariantInit(&b);
    a.vt = VT_BSTR;
    a.bstrVal = SysAllocString(u"text");
    ASSERT_EQ(VariantCopy(&b, &a), S_OK);
    EXPECT_EQ(b.vt, VT_BSTR);
    EXPECT_NE(b.bstrVal, a.bstrVal);
    EXPECT_EQ(Text(b.bstrVal), u"text");

    CountedDispatch object;
    VariantClear(&a);
    a.vt = VT_DISPATCH;
    a.pdispVal = &object;
    object.AddRef();
    ASSERT_EQ(VariantCopy(&b, &a), S_OK); // frees b's string first
    EXPECT_EQ(object.refs, 3);
    VariantClear(&b);
    VariantClear(&a);
    EXPECT_EQ(object.refs, 1);
    EXPECT_EQ(a.vt, VT_EMPTY);

    VARIANT bad;
    VariantInit(&bad);
    bad.vt = 0x0FF0;
    EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantCopy(&b, &bad), DISP_E_BADVARTYPE);
}

TEST(VariantTest, CopyIndReadsThroughReferences) {
    LONG target = 7;
    VARIANT ref, out;
    VariantInit(&ref);
    VariantInit(&out);
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &target;
    ASSERT_EQ(VariantCopyInd(&out, &ref), S_OK);
    EXPECT_EQ(out.vt, VT_I4);
    EXPECT_EQ(out.lVal, 7);
}

VARIANT Make(VARTYPE vt) {
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    return v;
}

VARIANT I4(LONG value) {
    VARIANT v = Make(VT_I4);
    v.lVal = value;
    return v;
}
VARIANT R8(double value) {
    VARIANT v = Make(VT_R8);
    v.dblVal = value;
    return v;
}
VARIANT Bool(bool value) {
    VARIANT v = Make(VT_BOOL);
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}
VARIANT Str(const char16_t* text) {
    VARIANT v = Make(VT_BSTR);
    v.bstrVal = SysAllocString(text);
    return v;
}

struct ChangeCase {
    const char* name;
    VARIANT source;
    VARTYPE to;
    USHORT flags;
    HRESULT result;
    LONGLONG whole;         // integer and Boolean targets
    const char16_t* text;   // string targets
};

TEST(VariantTest, ChangeTypeConvertsOrFailsWithTheDocumentedCodes) {
    const ChangeCase cases[] = {
        {"int to string", I4(-12), VT_BSTR, 0, S_OK, 0, u"-12"},
        {"string to int", Str(u" 345 "), VT_I4, 0, S_OK, 345, nullptr},
        {"string to short overflows", Str(u"40000"), VT_I2, 0, DISP_E_OVERFLOW, 0, nullptr},
        {"not a number", Str(u"12abc"), VT_I4, 0, DISP_E_TYPEMISMATCH, 0, nullptr},
        {"real rounds half to even", R8(2.5), VT_I4, 0, S_OK, 2, nullptr},
        {"real rounds half to even upward", R8(3.5), VT_I4, 0, S_OK, 4, nullptr},
        {"real to string", R8(1.25), VT_BSTR, 0, S_OK, 0, u"1.25"},
        {"negative to unsigned overflows", I4(-1), VT_UI4, 0, DISP_E_OVERFLOW, 0, nullptr},
        {"byte range", I4(256), VT_UI1, 0, DISP_E_OVERFLOW, 0, nullptr},
        {"true to int", Bool(true), VT_I4, 0, S_OK, -1, nullptr},
        {"bool to text as number", Bool(true), VT_BSTR, 0, S_OK, 0, u"-1"},
        {"bool to text as word", Bool(false), VT_BSTR, VARIANT_ALPHABOOL, S_OK, 0, u"False"},
        {"word to bool", Str(u"TRUE"), VT_BOOL, 0, S_OK, VARIANT_TRUE, nullptr},
        {"number text to bool", Str(u"0"), VT_BOOL, 0, S_OK, VARIANT_FALSE, nullptr},
        {"int to bool", I4(5), VT_BOOL, 0, S_OK, VARIANT_TRUE, nullptr},
        {"empty to int", Make(VT_EMPTY), VT_I4, 0, S_OK, 0, nullptr},
        {"empty to string", Make(VT_EMPTY), VT_BSTR, 0, S_OK, 0, u""},
        {"null to int", Make(VT_NULL), VT_I4, 0, DISP_E_TYPEMISMATCH, 0, nullptr},
        {"null to null", Make(VT_NULL), VT_NULL, 0, S_OK, 0, nullptr},
        {"int to null", I4(1), VT_NULL, 0, DISP_E_TYPEMISMATCH, 0, nullptr},
        {"to an array", I4(1), VT_ARRAY | VT_I4, 0, DISP_E_BADVARTYPE, 0, nullptr},
        {"int to object", I4(1), VT_DISPATCH, 0, DISP_E_TYPEMISMATCH, 0, nullptr},
    };
    for (const ChangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        VARIANT source = c.source;
        VARIANT out = Str(u"old");
        const HRESULT hr = VariantChangeType(&out, &source, c.flags, c.to);
        EXPECT_EQ(hr, c.result);
        if (FAILED(hr)) {
            EXPECT_EQ(out.vt, VT_BSTR); // unchanged
            EXPECT_EQ(Text(out.bstrVal), u"old");
        } else {
            EXPECT_EQ(out.vt, c.to);
            switch (c.to) {
            case VT_I4: EXPECT_EQ(out.lVal, c.whole); break;
            case VT_BOOL: EXPECT_EQ(out.boolVal, c.whole); break;
            case VT_BSTR: EXPECT_EQ(Text(out.bstrVal), c.text); break;
            default: break;
            }
        }
        VariantClear(&out);
        VariantClear(&source);
    }
}

TEST(VariantTest, ChangeTypeInPlaceFreesTheOldValue) {
    VARIANT v = Str(u"17");
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK);
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 17);
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Text(v.bstrVal), u"17");
    VariantClear(&v);
}

TEST(VariantTest, AnObjectConvertsThroughItsValueProperty) {
    CountedDispatch object;
    VARIANT v = Make(VT_DISPATCH);
    v.pdispVal = &object;
    VARIANT out;
    VariantInit(&out);
    ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Text(out.bstrVal), u"42");
    VariantClear(&out);
    EXPECT_EQ(VariantChangeType(&out, &v, VARIANT_NOVALUEPROP, VT_I4), DISP_E_TYPEMISMATCH);
    ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_UNKNOWN), S_OK);
    EXPECT_EQ(object.refs, 2);
    VariantClear(&out);
    EXPECT_EQ(object.refs, 1);
}

} // namespace
