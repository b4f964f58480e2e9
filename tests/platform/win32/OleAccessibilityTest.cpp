// Handing accessible objects from a window to a client in this process: a
// WM_GETOBJECT answer stands for one reference, taken once.
#include <win32/oleacc.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

namespace {

// Counts its references; lives on the stack.
class TObjectStub : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IIDOf<IDispatch>()) return E_NOINTERFACE;
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return --refs; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID,
                                            DISPID*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) noexcept override {
        return E_NOTIMPL;
    }
    ULONG refs = 1;
};

TEST(OleAccessibility, AnAnswerStandsForOneReferenceTakenOnce) {
    TObjectStub object;
    EXPECT_EQ(LresultFromObject(IIDOf<IDispatch>(), 0, nullptr), E_INVALIDARG);
    EXPECT_EQ(LresultFromObject(IIDOf<IAccessible>(), 0, &object), E_NOINTERFACE);
    const LRESULT token = LresultFromObject(IIDOf<IDispatch>(), 0, &object);
    ASSERT_GT(token, 0);
    EXPECT_EQ(object.refs, 2u) << "held for the client";
    IDispatch* taken = nullptr;
    ASSERT_EQ(ObjectFromLresult(token, IIDOf<IDispatch>(), 0, reinterpret_cast<void**>(&taken)),
              S_OK);
    EXPECT_EQ(taken, &object);
    EXPECT_EQ(object.refs, 2u) << "now the client's";
    taken->Release();
    EXPECT_EQ(ObjectFromLresult(token, IIDOf<IDispatch>(), 0, reinterpret_cast<void**>(&taken)),
              E_INVALIDARG)
        << "used up";
    EXPECT_EQ(taken, nullptr);
    EXPECT_EQ(object.refs, 1u);
}

} // namespace
