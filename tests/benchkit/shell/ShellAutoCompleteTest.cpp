// The auto-complete source over a real temporary folder.
#include "ShellUnitFixture.h"

#include "benchkit/shell/IDEVirtualShellAutoComplete.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>

namespace {

using Names = std::vector<UnicodeString>;

class ShellAutoCompleteTest : public ShellUnitTest {
protected:
    void SetUp() override {
        ShellUnitTest::SetUp();
        temp_.Write("alpha.txt", "a");
        temp_.Write("Beta.txt", "b");
        temp_.Write(".hidden", "h");
        temp_.MakeDir("gamma");
        temp_.Write("gamma/inner.txt", "i");
        source_ = std::make_unique<TVirtualShellAutoComplete>(nullptr);
        source_->SetCurrentDir(temp_.Windows());
    }
    void TearDown() override {
        source_.reset(); // its items hold task-allocator lists
        ShellUnitTest::TearDown();
    }
    // The wide strings as names inside the temporary folder.
    Names Collected() {
        source_->Refresh();
        Names names;
        TWideStringList* wide = source_->GetStringsW();
        const UnicodeString prefix = temp_.Windows() + u"\\";
        for (int i = 0; i < wide->GetCount(); ++i) {
            UnicodeString s = wide->GetStrings(i);
            EXPECT_EQ(s.substr(0, prefix.size()), prefix);
            names.push_back(s.substr(prefix.size()));
        }
        TStrings* narrow = source_->GetStrings();
        EXPECT_EQ(narrow->GetCount(), wide->GetCount()) << "both lists hold the same names";
        return names;
    }
    static Names Sorted(Names names) {
        std::sort(names.begin(), names.end());
        return names;
    }
    std::unique_ptr<TVirtualShellAutoComplete> source_;
};

} // namespace

TEST_F(ShellAutoCompleteTest, ContentsChooseFoldersFilesHiddenItemsAndDepth) {
    struct Case {
        TAutoCompleteContents contents;
        Names expected; // in byte order; the collection order is the folder's
    } cases[] = {
        {{accCurrentDir, accFileSysDirs, accFileSysFiles}, {u"Beta.txt", u"alpha.txt", u"gamma"}},
        {{accCurrentDir, accFileSysFiles}, {u"Beta.txt", u"alpha.txt"}},
        {{accCurrentDir, accFileSysDirs}, {u"gamma"}},
        {{accCurrentDir, accFileSysFiles, accHidden}, {u".hidden", u"Beta.txt", u"alpha.txt"}},
        {{accCurrentDir, accFileSysDirs, accFileSysFiles, accRecursive},
         {u"Beta.txt", u"alpha.txt", u"gamma", u"gamma\\inner.txt"}},
        {{accCurrentDir, accFileSysDirs, accFileSysFiles, accFileSysOnly},
         {u"Beta.txt", u"alpha.txt", u"gamma"}},
    };
    for (const Case& c : cases) {
        source_->SetContents(c.contents);
        EXPECT_EQ(Sorted(Collected()), c.expected);
    }
}

TEST_F(ShellAutoCompleteTest, ASortedListIgnoresCaseAndAnUnsortedOneKeepsTheFolderOrder) {
    source_->SetContents({accCurrentDir, accFileSysDirs, accFileSysFiles, accSortList});
    EXPECT_EQ(Collected(), (Names{u"alpha.txt", u"Beta.txt", u"gamma"}));
}

TEST_F(ShellAutoCompleteTest, TheHostVetoesItemsAndEndsTheWalk) {
    source_->SetContents({accCurrentDir, accFileSysDirs, accFileSysFiles});
    source_->OnAutoCompleteAddItem = [](TObject*, TNamespace* item, bool& allow, bool&) {
        allow = item->GetNameInFolder() != u"alpha.txt";
    };
    EXPECT_EQ(Sorted(Collected()), (Names{u"Beta.txt", u"gamma"}));

    int offered = 0;
    source_->OnAutoCompleteAddItem = [&](TObject*, TNamespace*, bool&, bool& terminate) {
        ++offered;
        terminate = true;
    };
    EXPECT_EQ(Collected().size(), 1u);
    EXPECT_EQ(offered, 1) << "nothing is offered after the host said stop";
}

TEST_F(ShellAutoCompleteTest, AFolderThatDoesNotExistLeavesTheCurrentOne) {
    source_->SetCurrentDir(temp_.Windows(u"no-such-folder"));
    EXPECT_EQ(source_->GetCurrentDir(), temp_.Windows());
    source_->SetContents({accCurrentDir, accFileSysFiles});
    EXPECT_EQ(Sorted(Collected()), (Names{u"Beta.txt", u"alpha.txt"}));
}

TEST_F(ShellAutoCompleteTest, ARecursiveWalkDoesNotFollowALinkBackToItsOwnParent) {
    std::filesystem::create_directory_symlink(temp_.Linux(), temp_.Linux("gamma/up"));
    source_->SetContents({accCurrentDir, accFileSysDirs, accFileSysFiles, accRecursive});
    EXPECT_EQ(Sorted(Collected()),
              (Names{u"Beta.txt", u"alpha.txt", u"gamma", u"gamma\\inner.txt", u"gamma\\up"}));
}

TEST_F(ShellAutoCompleteTest, AFreshSourceCollectsOnItsFirstRefresh) {
    source_ = std::make_unique<TVirtualShellAutoComplete>(nullptr); // no current folder set
    source_->SetContents({accMyComputer, accFileSysDirs, accFileSysFiles});
    source_->Refresh();
    TWideStringList* drives = source_->GetStringsW();
    bool found = false;
    for (int i = 0; i < drives->GetCount(); ++i)
        found = found || drives->GetStrings(i) == u"C:\\";
    EXPECT_TRUE(found) << "the drives folder holds C:";
}
