#include "WindowTestSupport.h"

#include <win32/winbase.h>

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

HGLOBAL Block(const void* bytes, size_t size) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(h), bytes, size);
    GlobalUnlock(h);
    return h;
}

HGLOBAL Wide(const std::u16string& text) {
    return Block(text.c_str(), (text.size() + 1) * 2);
}

HGLOBAL Narrow(const std::string& text) {
    return Block(text.c_str(), text.size() + 1);
}

std::u16string ReadWide(HANDLE h) {
    auto* p = static_cast<const char16_t*>(GlobalLock(h));
    std::u16string text = p ? p : u"";
    GlobalUnlock(h);
    return text;
}

std::string ReadNarrow(HANDLE h) {
    auto* p = static_cast<const char*>(GlobalLock(h));
    std::string text = p ? p : "";
    GlobalUnlock(h);
    return text;
}

class Clipboard : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterRecorder();
        window = MakeWindow();
    }
    void TearDown() override {
        Hook() = nullptr;
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        DestroyWindow(window);
    }
    HWND window = nullptr;
};

} // namespace

TEST_F(Clipboard, UnicodeTextIsAlsoOfferedAsAnsiOemAndLocale) {
    ASSERT_TRUE(OpenClipboard(window));
    ASSERT_TRUE(EmptyClipboard());
    HGLOBAL text = Wide(u"Caf\u00e9 \u65e5");
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, text), text);
    ASSERT_TRUE(CloseClipboard());

    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_OEMTEXT));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_LOCALE));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_EQ(CountClipboardFormats(), 4);

    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), text);
    EXPECT_EQ(ReadNarrow(GetClipboardData(CF_TEXT)), "Caf\xe9 ?"); // code page 1252
    HANDLE locale = GetClipboardData(CF_LOCALE);
    ASSERT_NE(locale, nullptr);
    EXPECT_EQ(GlobalSize(locale), sizeof(LCID));
    std::vector<UINT> order;
    for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f))
        order.push_back(f);
    EXPECT_EQ(order.front(), static_cast<UINT>(CF_UNICODETEXT)); // what was set comes first
    EXPECT_EQ(order.size(), 4u);
    CloseClipboard();
}

TEST_F(Clipboard, AnsiTextIsConvertedToUnicode) {
    ASSERT_TRUE(OpenClipboard(window));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, Narrow("na\xefve"));
    EXPECT_EQ(ReadWide(GetClipboardData(CF_UNICODETEXT)), u"na\u00efve");
    // Setting new text replaces what was converted from the old.
    SetClipboardData(CF_TEXT, Narrow("second"));
    EXPECT_EQ(ReadWide(GetClipboardData(CF_UNICODETEXT)), u"second");
    CloseClipboard();
}

TEST_F(Clipboard, EmptyingTellsThePreviousOwnerAndFreesItsData) {
    HWND other = MakeWindow();
    ASSERT_TRUE(OpenClipboard(window));
    EmptyClipboard();
    EXPECT_EQ(GetClipboardOwner(), window);
    HGLOBAL first = Wide(u"one");
    SetClipboardData(CF_UNICODETEXT, first);
    CloseClipboard();
    const DWORD sequence = GetClipboardSequenceNumber();

    Log().clear();
    ASSERT_TRUE(OpenClipboard(other));
    EXPECT_EQ(GetOpenClipboardWindow(), other);
    EmptyClipboard();
    EXPECT_EQ(Messages({WM_DESTROYCLIPBOARD}, window).size(), 1u);
    EXPECT_EQ(GetClipboardOwner(), other);
    EXPECT_EQ(GlobalSize(first), 0u); // freed by the clipboard
    EXPECT_GT(GetClipboardSequenceNumber(), sequence);
    EXPECT_EQ(CountClipboardFormats(), 0);
    CloseClipboard();
    DestroyWindow(other);
    EXPECT_EQ(GetClipboardOwner(), nullptr);
}

TEST_F(Clipboard, ReplacedDataIsFreed) {
    ASSERT_TRUE(OpenClipboard(window));
    EmptyClipboard();
    HGLOBAL a = Wide(u"a"), b = Wide(u"b");
    SetClipboardData(CF_UNICODETEXT, a);
    SetClipboardData(CF_UNICODETEXT, b);
    EXPECT_EQ(GlobalSize(a), 0u);
    EXPECT_NE(GlobalSize(b), 0u);
    CloseClipboard();
}

TEST_F(Clipboard, CallsNeedTheClipboardOpenByTheCaller) {
    HGLOBAL data = Wide(u"x");
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, data), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
    EXPECT_FALSE(EmptyClipboard());
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
    EXPECT_FALSE(CloseClipboard());
    GlobalFree(data);

    ASSERT_TRUE(OpenClipboard(window));
    EXPECT_TRUE(OpenClipboard(window)); // the same window may open it again
    BOOL fromOtherThread = TRUE;
    std::thread([&] { fromOtherThread = OpenClipboard(nullptr); }).join();
    EXPECT_FALSE(fromOtherThread);
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(Clipboard, PromisedFormatsAreRenderedOnDemand) {
    const UINT format = RegisterClipboardFormatW(u"Panel Settings");
    Hook() = [format](HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
        if (msg != WM_RENDERFORMAT || wParam != format) return false;
        SetClipboardData(format, Narrow("rendered"));
        result = 0;
        return true;
    };
    ASSERT_TRUE(OpenClipboard(window));
    EmptyClipboard();
    EXPECT_EQ(SetClipboardData(format, nullptr), nullptr);
    CloseClipboard();
    EXPECT_TRUE(IsClipboardFormatAvailable(format));
    Log().clear();
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(ReadNarrow(GetClipboardData(format)), "rendered");
    EXPECT_EQ(Messages({WM_RENDERFORMAT}, window).size(), 1u);
    GetClipboardData(format); // rendered once only
    EXPECT_EQ(Messages({WM_RENDERFORMAT}, window).size(), 1u);
    CloseClipboard();
}

TEST_F(Clipboard, RegisteredFormatsShareTheAtomRangeAndKeepTheirNames) {
    const UINT a = RegisterClipboardFormatW(u"Shell IDList Array");
    EXPECT_GE(a, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormatW(u"SHELL idlist ARRAY"), a);
    EXPECT_EQ(RegisterWindowMessageW(u"Shell IDList Array"), a);
    EXPECT_NE(RegisterClipboardFormatW(u"Preferred DropEffect"), a);
    EXPECT_EQ(RegisterClipboardFormatW(u""), 0u);
    WCHAR name[2049];
    EXPECT_EQ(GetClipboardFormatNameW(a, name, 2049), 18);
    EXPECT_EQ(std::u16string(name), u"Shell IDList Array");
    EXPECT_EQ(GetClipboardFormatNameW(CF_TEXT, name, 2049), 0); // standard formats have none
}
