// Rows copied from a tree on a real X display are pasted by another X
// program (xclip) as text and as HTML.
#include "VirtualTreeTestSupport.h"

#include "../../platform/presenter/XServer.h"

#include <runpak/StringList.h>
#include <win32/ole2.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

class DesktopCopy : public VirtualTreeTest {
protected:
    void SetUp() override {
        if (!XServer::Installed()) GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps)";
        if (std::system("command -v xclip >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "xclip is not installed (scripts/install-deps)";
        ASSERT_TRUE(server.Start()) << "Xvfb did not start";
        // Earlier tests of this program ran headless: the layer looks again
        // for a display, and finds this one, with the next window it makes.
        TestSeams::StopPresenter();
        setenv("DISPLAY", server.Name().c_str(), 1);
        VirtualTreeTest::SetUp();
        started = true;
    }
    void TearDown() override {
        if (!started) return;
        OleSetClipboard(nullptr);
        VirtualTreeTest::TearDown();
        TestSeams::StopPresenter();
        unsetenv("DISPLAY");
        server.Stop();
    }
    // What another program reads from the desktop's clipboard as Target.
    // The tree renders on this thread, so it keeps handling messages meanwhile.
    std::string Paste(const char* Target) {
        std::atomic<bool> done{false};
        std::string out;
        std::thread runner([&] {
            const std::string command =
                std::string("xclip -selection clipboard -o -t '") + Target + "' 2>/dev/null";
            if (FILE* pipe = popen(command.c_str(), "r")) {
                char buffer[4096];
                size_t n;
                while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
                    out.append(buffer, n);
                pclose(pipe);
            }
            done = true;
            PostThreadMessageW(mainThread, WM_NULL, 0, 0);
        });
        while (!done) {
            WaitMessage();
            Pump();
        }
        runner.join();
        return out;
    }
    XServer server;
    bool started = false;
    DWORD mainThread = GetCurrentThreadId();
};

TEST_F(DesktopCopy, CopiedRowsPasteElsewhereAsTextAndHtml) {
    auto* form = new TForm(Application);
    form->AfterConstruction();
    form->SetClientWidth(300);
    form->SetClientHeight(200);
    form->Show();
    auto* tree = new TVirtualStringTree(form);
    tree->SetParent(form);
    tree->SetBounds(0, 0, 300, 200);
    const char16_t* const names[] = {u"alpha", u"beta & <gamma>", u"delta"};
    tree->OnGetText = [&names](TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex,
                               TQOZTextType, UnicodeString& Text) { Text = names[Node->Index]; };
    tree->SetRootNodeCount(3);
    TVTSelectionOptions selection = tree->GetTreeOptions()->GetSelectionOptions();
    tree->GetTreeOptions()->SetSelectionOptions(selection + TVTSelectionOptions{toMultiSelect});
    TStringList all;
    EnumerateVTClipboardFormats(TVirtualStringTree::StaticClass(), &all);
    for (int f = 0; f < all.GetCount(); ++f)
        tree->GetClipboardFormats()->Add(all.GetStrings(f));
    tree->HandleNeeded();
    Pump();
    TestSeams::WaitForPresenter();
    tree->SetSelected(NodeAt(tree, {1}), true);
    tree->SetSelected(NodeAt(tree, {2}), true);
    tree->CopyToClipBoard();

    const std::string text = Paste("UTF8_STRING");
    EXPECT_NE(text.find("beta & <gamma>"), std::string::npos) << text;
    EXPECT_NE(text.find("delta"), std::string::npos) << text;
    EXPECT_EQ(text.find("alpha"), std::string::npos) << "only the selected rows: " << text;
    const std::string html = Paste("text/html");
    EXPECT_NE(html.find("beta &amp; &lt;gamma&gt;"), std::string::npos) << html;
    EXPECT_NE(html.find("delta"), std::string::npos) << html;
}

} // namespace
