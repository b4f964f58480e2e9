// The desktop's clipboard: the layer's clipboard and another X program
// (xclip) exchange text, HTML, RTF and file lists, large data included.
#include "PresenterTestSupport.h"

#include <win32/shellapi.h>
#include <win32/shlobj.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

bool XclipInstalled() {
    return std::system("command -v xclip >/dev/null 2>&1") == 0;
}

HGLOBAL Block(const std::string& bytes) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    return h;
}

std::string Wide(const std::u16string& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
}

// Renders its promised text when asked, as a program using delayed rendering does.
LRESULT CALLBACK RendererProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_RENDERFORMAT && wParam == CF_UNICODETEXT) {
        SetClipboardData(CF_UNICODETEXT, Block(Wide(u"rendered late")));
        return 0;
    }
    if (msg == WM_RENDERALLFORMATS) {
        if (OpenClipboard(hwnd)) {
            SetClipboardData(CF_UNICODETEXT, Block(Wide(u"rendered at the end")));
            CloseClipboard();
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class DesktopClipboard : public PresenterTest {
protected:
    void SetUp() override {
        PresenterTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (!XclipInstalled()) GTEST_SKIP() << "xclip is not installed (scripts/install-deps)";
        window = MakeWindow(u"clipboard", 50, 50, 200, 100);
        Settle();
        html = RegisterClipboardFormatW(u"HTML Format");
        rtf = RegisterClipboardFormatW(u"Rich Text Format");
    }
    void TearDown() override {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        PresenterTest::TearDown();
    }

    // Runs a shell command while this thread keeps handling its messages (the
    // clipboard's owner renders on this thread); its standard output.
    std::string Run(const std::string& command) {
        std::atomic<bool> done{false};
        std::string out;
        std::thread runner([&] {
            if (FILE* pipe = popen(command.c_str(), "r")) {
                char buffer[65536];
                size_t n;
                while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
                    out.append(buffer, n);
                pclose(pipe);
            }
            done = true;
            PostMessageW(window, WM_NULL, 0, 0);
        });
        while (!done) {
            WaitMessage();
            Pump();
        }
        runner.join();
        return out;
    }
    std::string Paste(const char* target) {
        // The layer claims the desktop's clipboard on its presenter thread:
        // let it do so first, or xclip may still ask the previous owner.
        TestSeams::WaitForPresenter();
        return Run(std::string("xclip -selection clipboard -o -t '") + target + "'");
    }
    // Hands `bytes` to xclip, which keeps the desktop's clipboard until
    // someone else takes it; returns once the layer's clipboard offers `format`.
    bool CopyElsewhere(const std::string& bytes, const char* target, UINT format) {
        // In the test's own folder: test programs may run side by side.
        const std::string file = std::string(std::getenv("WINLAYER_HOME")) + "/desktop-clipboard-input";
        std::ofstream(file, std::ios::binary) << bytes;
        const DWORD before = GetClipboardSequenceNumber();
        if (std::system(("xclip -selection clipboard -i -t '" + std::string(target) + "' " + file)
                            .c_str()) != 0)
            return false;
        // Another program's news comes over the X connection: wait for it, not for a time.
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < limit) {
            TestSeams::WaitForPresenter();
            Pump();
            if (GetClipboardSequenceNumber() != before && IsClipboardFormatAvailable(format))
                return true;
            std::this_thread::yield();
        }
        return false;
    }
    std::string Read(UINT format) {
        if (!OpenClipboard(window)) return "<not open>";
        HANDLE h = GetClipboardData(format);
        std::string out = h ? std::string(static_cast<const char*>(GlobalLock(h)), GlobalSize(h))
                            : "<none>";
        if (h) GlobalUnlock(h);
        CloseClipboard();
        return out;
    }

    HWND window = nullptr;
    UINT html = 0, rtf = 0;
};

} // namespace

TEST_F(DesktopClipboard, TextHtmlRtfAndFilesCopiedHereArePastedElsewhere) {
    // The header is 105 bytes; the document follows it, 15 bytes long.
    const std::string header = "Version:0.9\r\nStartHTML:0000000105\r\nEndHTML:0000000120\r\n"
                               "StartFragment:0000000105\r\nEndFragment:0000000120\r\n";
    ASSERT_EQ(header.size(), 105u);
    const std::u16string file = u"C:\\tmp\\a b.txt";
    std::string drop(sizeof(DROPFILES), '\0');
    DROPFILES dropHeader{sizeof(DROPFILES), {}, FALSE, TRUE};
    std::memcpy(drop.data(), &dropHeader, sizeof dropHeader);
    drop += Wide(file) + std::string(2, '\0');

    ASSERT_TRUE(OpenClipboard(window));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, Block(Wide(u"caf\u00e9\r\n\u65e5\u672c")));
    SetClipboardData(html, Block(header + "<b>bold</b>   x" + '\0'));
    SetClipboardData(rtf, Block(std::string("{\\rtf1 hi}") + '\0'));
    SetClipboardData(CF_HDROP, Block(drop));
    CloseClipboard();

    EXPECT_EQ(Paste("UTF8_STRING"), "caf\xc3\xa9\n\xe6\x97\xa5\xe6\x9c\xac");
    EXPECT_EQ(Paste("text/plain;charset=utf-8"), "caf\xc3\xa9\n\xe6\x97\xa5\xe6\x9c\xac");
    EXPECT_EQ(Paste("text/html"), "<b>bold</b>   x");
    EXPECT_EQ(Paste("text/rtf"), "{\\rtf1 hi}");
    EXPECT_EQ(Paste("text/uri-list"), "file:///tmp/a%20b.txt\r\n");
    const std::string targets = Paste("TARGETS");
    for (const char* t : {"UTF8_STRING", "text/html", "text/rtf", "text/uri-list"})
        EXPECT_NE(targets.find(t), std::string::npos) << t;
}

TEST_F(DesktopClipboard, PromisedDataIsRenderedWhenAskedAndOutlivesItsOwner) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RendererProc;
    wc.lpszClassName = u"Renderer";
    RegisterClassW(&wc);
    HWND owner = CreateWindowExW(0, u"Renderer", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, nullptr);
    CloseClipboard();
    EXPECT_EQ(Paste("UTF8_STRING"), "rendered late");

    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, nullptr);
    CloseClipboard();
    DestroyWindow(owner);
    EXPECT_EQ(Paste("UTF8_STRING"), "rendered at the end");
    UnregisterClassW(u"Renderer", nullptr);
}

TEST_F(DesktopClipboard, AnotherProgramsCopyIsReadHereInTheLayersFormats) {
    ASSERT_TRUE(CopyElsewhere("caf\xc3\xa9\nline", "UTF8_STRING", CF_UNICODETEXT));
    EXPECT_EQ(Read(CF_UNICODETEXT), Wide(u"caf\u00e9\r\nline"));
    EXPECT_EQ(Read(CF_TEXT), std::string("caf\xe9\r\nline") + '\0');

    ASSERT_TRUE(CopyElsewhere("<i>it</i>", "text/html", html));
    const std::string got = Read(html);
    EXPECT_NE(got.find("StartHTML:"), std::string::npos);
    EXPECT_NE(got.find("<!--StartFragment--><i>it</i><!--EndFragment-->"), std::string::npos);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT)) << "the text went with the last copy";

    ASSERT_TRUE(CopyElsewhere("{\\rtf1 x}", "text/rtf", rtf));
    EXPECT_EQ(Read(rtf), std::string("{\\rtf1 x}") + '\0');

    ASSERT_TRUE(CopyElsewhere("# comment\r\nfile:///tmp/x%20y\r\nhttp://elsewhere/z\r\n",
                              "text/uri-list", CF_HDROP));
    ASSERT_TRUE(OpenClipboard(window));
    HDROP drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
    ASSERT_NE(drop, nullptr);
    EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 1u);
    WCHAR name[MAX_PATH] = {};
    DragQueryFileW(drop, 0, name, MAX_PATH);
    EXPECT_EQ(std::u16string(name), u"C:\\tmp\\x y");
    CloseClipboard();
}

// Files another program copied are pasted into a shell folder through its
// context menu, and files copied there reach the other program.
TEST_F(DesktopClipboard, FilesCopiedElsewherePasteIntoAShellFolderAndBack) {
    std::string base = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                       "/shell-paste-XXXXXX";
    ASSERT_NE(mkdtemp(base.data()), nullptr);
    std::filesystem::create_directories(base + "/to");
    std::ofstream(base + "/x y.txt") << "moved by hand";
    ASSERT_TRUE(CopyElsewhere("file://" + base + "/x%20y.txt\r\n", "text/uri-list", CF_HDROP));

    // The folder's background menu pastes what the clipboard holds.
    auto menuOf = [&](const std::string& folderPath, const char16_t* child) {
        std::u16string path(folderPath.begin(), folderPath.end());
        path = u"C:" + path;
        for (char16_t& c : path)
            if (c == u'/') c = u'\\';
        PIDLIST_ABSOLUTE pidl = nullptr;
        IShellFolder* desktop = nullptr;
        IShellFolder* folder = nullptr;
        IContextMenu* menu = nullptr;
        EXPECT_EQ(SHParseDisplayName(path.c_str(), nullptr, &pidl, 0, nullptr), S_OK);
        SHGetDesktopFolder(&desktop);
        desktop->BindToObject(pidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder));
        if (!child) {
            folder->CreateViewObject(window, IID_IContextMenu, reinterpret_cast<void**>(&menu));
        } else {
            std::u16string name = child;
            PIDLIST_RELATIVE item = nullptr;
            folder->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &item, nullptr);
            PCUITEMID_CHILD one[] = {item};
            folder->GetUIObjectOf(window, 1, one, IID_IContextMenu, nullptr,
                                  reinterpret_cast<void**>(&menu));
            ILFree(item);
        }
        folder->Release();
        desktop->Release();
        ILFree(pidl);
        return menu;
    };
    auto invoke = [&](IContextMenu* menu, const char* verb) {
        CMINVOKECOMMANDINFO info{sizeof info, CMIC_MASK_FLAG_NO_UI, window, verb};
        return menu->InvokeCommand(&info);
    };
    IContextMenu* to = menuOf(base + "/to", nullptr);
    ASSERT_NE(to, nullptr);
    EXPECT_EQ(invoke(to, "paste"), S_OK);
    std::ifstream pasted(base + "/to/x y.txt");
    std::string text;
    std::getline(pasted, text);
    EXPECT_EQ(text, "moved by hand");
    to->Release();

    IContextMenu* copied = menuOf(base + "/to", u"x y.txt");
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(invoke(copied, "copy"), S_OK);
    copied->Release();
    EXPECT_EQ(Paste("text/uri-list"), "file://" + base + "/to/x%20y.txt\r\n");
    std::filesystem::remove_all(base);
}

TEST_F(DesktopClipboard, LargeDataGoesInIncrementsBothWays) {
    std::string big(3 * 1024 * 1024 + 17, 'a');
    for (size_t i = 0; i < big.size(); i += 1000)
        big[i] = static_cast<char>('b' + (i / 1000) % 20);
    std::u16string wide(big.begin(), big.end());
    ASSERT_TRUE(OpenClipboard(window));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, Block(Wide(wide)));
    CloseClipboard();
    const std::string pasted = Paste("UTF8_STRING");
    EXPECT_EQ(pasted.size(), big.size());
    EXPECT_TRUE(pasted == big);

    std::reverse(big.begin(), big.end());
    ASSERT_TRUE(CopyElsewhere(big, "UTF8_STRING", CF_UNICODETEXT));
    const std::string read = Read(CF_UNICODETEXT);
    EXPECT_EQ(read.size(), (big.size() + 1) * 2);
    EXPECT_TRUE(read == Wide(std::u16string(big.begin(), big.end())));
}
