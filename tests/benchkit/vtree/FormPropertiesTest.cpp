// The trees in form descriptions: the header's columns written with the
// tree and read back, inherited forms, and option values of older forms.
#include "VirtualTreeTestSupport.h"

#include <runpak/Filer.h>
#include <runpak/Streams.h>

#include <memory>

namespace {

class FormProperties : public VirtualTreeTest {
protected:
    static UnicodeString Write(TComponent* Tree, TComponent* Ancestor = nullptr) {
        TStringStream stream;
        {
            TWriter writer(&stream);
            if (Ancestor)
                writer.WriteDescendent(Tree, Ancestor);
            else
                writer.WriteRootComponent(Tree);
        }
        return stream.GetDataString();
    }
    template <class T> static T* Read(const UnicodeString& Text) {
        T* tree = new T(Application);
        TReader reader(Text);
        reader.ReadRootComponent(tree);
        return tree;
    }
    static bool Has(const UnicodeString& Text, const UnicodeString& Part) {
        return Text.find(Part) != UnicodeString::npos;
    }
};

TEST_F(FormProperties, ColumnsTravelWithTheTree) {
    auto* tree = new TVirtualDrawTree(Application);
    tree->SetName(u"Tree");
    TVirtualTreeColumns* columns = tree->GetHeader()->GetColumns();
    TVirtualTreeColumn* name = columns->Add();
    name->SetText(u"Name");
    name->SetWidth(80);
    TVirtualTreeColumn* japanese = columns->Add();
    japanese->SetText(u"名前");
    japanese->SetHint(u"ヒント");
    japanese->SetOptions(japanese->GetOptions() - coParentColor);
    japanese->SetColor(clRed);
    japanese->SetAlignment(taRightJustify);
    TVirtualTreeColumn* plain = columns->Add();
    plain->SetOptions(plain->GetOptions() - coResizable + coAutoSpring);
    plain->SetPosition(0);

    const UnicodeString text = Write(tree);
    EXPECT_TRUE(Has(text, u"Columns = ")) << UnicodeToUtf8(text);
    EXPECT_TRUE(Has(text, u"WideText = \"\\u540D\\u524D\"") || Has(text, u"WideText = \"名前\""))
        << UnicodeToUtf8(text);
    EXPECT_FALSE(Has(text, u" Text = ")) << "the texts travel only as wide texts";

    auto* copy = Read<TVirtualDrawTree>(text);
    TVirtualTreeColumns* read = copy->GetHeader()->GetColumns();
    ASSERT_EQ(read->GetCount(), 3);
    EXPECT_TRUE(read->Equals(columns));
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read->GetItem(i)->GetText(), columns->GetItem(i)->GetText());
        EXPECT_EQ(read->GetItem(i)->GetHint(), columns->GetItem(i)->GetHint());
        EXPECT_EQ(read->GetItem(i)->GetWidth(), columns->GetItem(i)->GetWidth());
        EXPECT_EQ(read->GetItem(i)->GetPosition(), columns->GetItem(i)->GetPosition());
        EXPECT_EQ(read->GetItem(i)->GetOptions(), columns->GetItem(i)->GetOptions());
        EXPECT_EQ(read->GetItem(i)->GetColor(), columns->GetItem(i)->GetColor());
    }
    EXPECT_EQ(read->GetPositionToIndex(), columns->GetPositionToIndex());
    EXPECT_EQ(read->GetItem(2)->GetLeft(), 0);
    EXPECT_EQ(read->GetItem(0)->GetLeft(), 50);
    EXPECT_FALSE(copy->GetHeader()->GetStates().Contains(hsLoading));
}

TEST_F(FormProperties, AnInheritedFormWritesColumnsOnlyWhenTheyDiffer) {
    // Unowned: both carry the same name, as a form and its ancestor do.
    auto make = [](int Width) {
        auto tree = std::make_unique<TVirtualDrawTree>(nullptr);
        tree->SetName(u"Tree");
        tree->GetHeader()->GetColumns()->Add()->SetWidth(Width);
        return tree;
    };
    auto ancestor = make(90);
    EXPECT_FALSE(Has(Write(make(90).get(), ancestor.get()), u"Columns"));
    EXPECT_TRUE(Has(Write(make(60).get(), ancestor.get()), u"Columns"));
}

TEST_F(FormProperties, OlderFormsOptionSetsAreTranslated) {
    auto* tree = Read<TVirtualDrawTree>(
        u"TVirtualDrawTree T { Options = [voShowRoot, voHotTrack, voCheckSupport, voAutoSort, "
        u"voMultiSelect, voAnimatedToggle, voNoSuchThing] }");
    TCustomVirtualTreeOptions* options = tree->GetTreeOptions();
    EXPECT_EQ(options->GetPaintOptions(), (TVTPaintOptions{toShowRoot, toHotTrack}));
    EXPECT_EQ(options->GetMiscOptions(), (TVTMiscOptions{toCheckSupport}));
    EXPECT_EQ(options->GetAutoOptions(), (TVTAutoOptions{toAutoSort}));
    EXPECT_EQ(options->GetSelectionOptions(), (TVTSelectionOptions{toMultiSelect}));
    EXPECT_EQ(options->GetAnimationOptions(), (TVTAnimationOptions{toAnimatedToggle}));

    // Anything but a set leaves the options alone.
    auto* untouched = Read<TVirtualDrawTree>(u"TVirtualDrawTree T { Options = 5 }");
    EXPECT_EQ(untouched->GetTreeOptions()->GetPaintOptions(), DefaultPaintOptions);
}

TEST_F(FormProperties, TheStringTreesDefaultTextAndOlderStringOptions) {
    auto* tree = new TVirtualStringTree(Application);
    tree->SetName(u"Strings");
    EXPECT_FALSE(Has(Write(tree), u"WideDefaultText"));
    tree->SetDefaultText(u"ノード");
    auto* copy = Read<TVirtualStringTree>(Write(tree));
    EXPECT_EQ(copy->GetDefaultText(), u"ノード");

    auto* old = Read<TVirtualStringTree>(
        u"TVirtualStringTree S { StringOptions = [toShowStaticText] }");
    EXPECT_EQ(old->GetStringTreeOptions()->GetStringOptions(), (TVTStringOptions{toShowStaticText}));
}

} // namespace
