#include "FilerTestClasses.h"

#include <runpak/Exceptions.h>
#include <runpak/Filer.h>

#include <gtest/gtest.h>

#include "CaseName.h"
#include <cmath>
#include <memory>
#include <ostream>

using namespace filertest;

namespace {

class FilerReadTest : public testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        LoadedLog().clear();
    }

    // Reads text into a fresh form, kept by the fixture.
    TTestForm* Load(const UnicodeString& text) {
        form = std::make_unique<TTestForm>(nullptr);
        LoadComponentFromText(form.get(), text);
        return form.get();
    }

    TTestControl* Control(const UnicodeString& name) {
        return dynamic_cast<TTestControl*>(form->FindComponent(name));
    }

    static UnicodeString ReadError(const UnicodeString& text) {
        TTestForm target(nullptr);
        try {
            LoadComponentFromText(&target, text);
        } catch (const EReadError& error) {
            return error.GetMessage();
        }
        return u"(no error)";
    }

    std::unique_ptr<TTestForm> form;
};

TEST_F(FilerReadTest, BuildsNestedComponentsOwnedByTheRootAndParentedByTheirBlock) {
    Load(uR"(
        TTestForm MainForm {
            Caption = "Main"
            TTestControl Panel1 {
                TTestControl Button1 { Caption = "OK" }
                TTestControl Button2 { }
            }
            TTestTimer Timer1 { Interval = 250 }
        }
    )");
    EXPECT_EQ(form->GetName(), u"MainForm");
    EXPECT_EQ(form->Caption, u"Main");
    ASSERT_EQ(form->GetComponentCount(), 4);
    TTestControl* panel = Control(u"Panel1");
    TTestControl* button = Control(u"Button1");
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(panel->GetParent(), form.get());
    EXPECT_EQ(button->GetParent(), panel);
    EXPECT_EQ(Control(u"Button2")->GetParent(), panel);
    EXPECT_EQ(button->GetOwner(), form.get());
    EXPECT_EQ(button->Caption, u"OK");
    auto* timer = dynamic_cast<TTestTimer*>(form->FindComponent(u"Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->Interval, 250u);
    // The form's published fields follow the components of those names.
    EXPECT_EQ(form->Button1, button);
    EXPECT_EQ(form->Panel1, panel);
}

TEST_F(FilerReadTest, FieldIsClearedWhenItsComponentGoes) {
    Load(u"TTestForm F { TTestControl Button1 { } }");
    ASSERT_NE(form->Button1, nullptr);
    delete form->Button1;
    EXPECT_EQ(form->Button1, nullptr);
}

TEST_F(FilerReadTest, FieldFollowsRenamesAndRefusesComponentsItCannotHold) {
    Load(u"TTestForm F { TTestControl Button1 { } }");
    TTestControl* button = form->Button1;
    button->SetName(u"Renamed");
    EXPECT_EQ(form->Button1, nullptr);
    button->SetName(u"Button1");
    EXPECT_EQ(form->Button1, button);
    auto* timer = new TTestTimer(form.get());
    EXPECT_THROW(timer->SetName(u"Panel1"), EComponentError);
    EXPECT_EQ(timer->GetName(), u"");
    EXPECT_EQ(form->Panel1, nullptr);
}

TEST_F(FilerReadTest, ReadsValuesOfEveryKind) {
    Load(uR"(
        TTestForm F {
            TTestControl Button1 {
                Width = -120
                Count = 4000000000
                Big = 0x7FFFFFFFFFFFFFFF
                Ratio = 1.25
                Small = 2.5e-3
                Precise = 3
                Visible = false
                Align = taCenter
                HotKey = "K"
                Font = { Name = "Tahoma"  Size = 12  Style = [fsBold, fsItalic] }
                Font.Size = 14
            }
        }
    )");
    TTestControl* button = Control(u"Button1");
    EXPECT_EQ(button->Width, -120);
    EXPECT_EQ(button->Count, 4000000000u);
    EXPECT_EQ(button->Big, INT64_MAX);
    EXPECT_DOUBLE_EQ(button->Ratio, 1.25);
    EXPECT_FLOAT_EQ(button->Small, 0.0025f);
    EXPECT_EQ(button->Precise, 3.0L);
    EXPECT_FALSE(button->Visible);
    EXPECT_EQ(button->Align, taCenter);
    EXPECT_EQ(button->HotKey, u'K');
    EXPECT_EQ(button->GetFont()->Name, u"Tahoma");
    EXPECT_EQ(button->GetFont()->Size, 14);
    EXPECT_EQ(button->GetFont()->Style, (TFontStyles{fsBold, fsItalic}));
}

TEST_F(FilerReadTest, StringsKeepJapaneseQuotesAndEscapedCharacters) {
    Load(uR"(TTestForm F { Caption = "軸 \"A\" \\ 速度\n\t\u00E9\u0001" })");
    EXPECT_EQ(form->Caption, u"軸 \"A\" \\ 速度\n\t\u00E9\u0001");
}

TEST_F(FilerReadTest, ReadsCollectionItemsReplacingTheOldOnes) {
    form = std::make_unique<TTestForm>(nullptr);
    form->GetColumns()->Add();
    LoadComponentFromText(form.get(), uR"(
        TTestForm F {
            Columns = (
                { Width = 80  Text = "名前" },
                { Alignment = taRightJustify },
            )
        }
    )");
    ASSERT_EQ(form->GetColumns()->GetCount(), 2);
    EXPECT_EQ(form->Column(0)->Width, 80);
    EXPECT_EQ(form->Column(0)->Text, u"名前");
    EXPECT_EQ(form->Column(1)->Width, 50);
    EXPECT_EQ(form->Column(1)->Alignment, taRightJustify);
}

TEST_F(FilerReadTest, BindsEventsToTheRootsPublishedMethods) {
    Load(uR"(
        TTestForm F {
            TTestControl Button1 { OnClick = Button1Click }
            TTestTimer Timer1 { OnTimer = timertick }
        }
    )");
    TTestControl* button = Control(u"Button1");
    ASSERT_TRUE(button->OnClick);
    button->OnClick(button);
    ASSERT_EQ(form->Clicks.size(), 1u);
    EXPECT_EQ(form->Clicks[0], button);
    auto* timer = dynamic_cast<TTestTimer*>(form->FindComponent(u"Timer1"));
    timer->OnTimer(timer);
    EXPECT_EQ(form->Ticks, 1);
}

TEST_F(FilerReadTest, OnFindMethodSuppliesMethodsTheRootLacks) {
    TTestForm target(nullptr);
    int calls = 0;
    TReader reader(u"TTestForm F { TTestControl B { OnClick = Elsewhere } }");
    reader.OnFindMethod = [&](TReader*, const UnicodeString& name, TMethodValue& method,
                              bool& error) {
        EXPECT_EQ(name, u"Elsewhere");
        method.Handler = TNotifyEvent([&](TObject*) { ++calls; });
        error = false;
    };
    reader.ReadRootComponent(&target);
    auto* button = dynamic_cast<TTestControl*>(target.FindComponent(u"B"));
    button->OnClick(button);
    EXPECT_EQ(calls, 1);
}

TEST_F(FilerReadTest, ResolvesReferencesToComponentsReadLater) {
    Load(uR"(
        TTestForm F {
            Buddy = Panel1
            TTestControl Button1 { Buddy = Button2 }
            TTestControl Button2 { Buddy = F }
            TTestControl Panel1 { }
        }
    )");
    EXPECT_EQ(form->Buddy, Control(u"Panel1"));
    EXPECT_EQ(Control(u"Button1")->Buddy, Control(u"Button2"));
    EXPECT_EQ(Control(u"Button2")->Buddy, form.get());
}

TEST_F(FilerReadTest, ResolvesReferencesToOtherFormsThroughGlobalFinders) {
    TTestForm other(nullptr);
    LoadComponentFromText(&other, u"TTestForm Other { TTestControl Target { } }");
    int cookie = RegisterFindGlobalComponent([&](const UnicodeString& name) -> TComponent* {
        return name == u"Other" ? &other : nullptr;
    });
    Load(u"TTestForm F { TTestControl B { Buddy = Other.Target } }");
    UnregisterFindGlobalComponent(cookie);
    EXPECT_EQ(Control(u"B")->Buddy, other.FindComponent(u"Target"));
}

TEST_F(FilerReadTest, LoadedRunsOncePerComponentAfterTheWholeTreeIsRead) {
    Load(uR"(
        TTestForm F {
            Caption = "root"
            TTestControl Panel1 {
                Caption = "panel"
                TTestControl Button1 { Caption = "button"  Buddy = Late }
            }
            TTestControl Late { Caption = "late" }
        }
    )");
    const auto& log = LoadedLog();
    ASSERT_EQ(log.size(), 4u);
    const char16_t* order[] = {u"F", u"Panel1", u"Button1", u"Late"};
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].Name, order[i]);
        EXPECT_TRUE(log[i].WasLoading) << i;
    }
    // Every property, reference and child was in place before the first Loaded.
    EXPECT_EQ(log[0].Caption, u"root");
    EXPECT_EQ(log[1].ChildCount, 1);
    EXPECT_EQ(log[2].Caption, u"button");
    EXPECT_EQ(log[2].BuddyName, u"Late");
    for (int i = 0; i < form->GetComponentCount(); ++i)
        EXPECT_FALSE(form->GetComponents(i)->GetComponentState().Contains(csLoading));
    EXPECT_FALSE(form->GetComponentState().Contains(csLoading));
    EXPECT_FALSE(form->GetComponentState().Contains(csReading));
}

TEST_F(FilerReadTest, ComponentsAreReadingOnlyWhileTheirOwnBlockIsRead) {
    // Legacy's read procedure runs inside the block: csReading is on then.
    struct TProbe : TTestControl {
        using TTestControl::TTestControl;
        void DefineProperties(TFiler* Filer) override {
            Filer->DefineProperty(
                u"Probe",
                [this](TReader* Reader) {
                    Reader->ReadInteger();
                    State = GetComponentState();
                },
                nullptr, false);
        }
        TComponentState State;
    };
    TProbe probe(nullptr);
    ObjectTextToComponent(u"TTestControl P { Probe = 1 }", &probe);
    EXPECT_TRUE(probe.State.Contains(csReading));
    EXPECT_TRUE(probe.State.Contains(csLoading));
    EXPECT_FALSE(probe.GetComponentState().Contains(csReading));
}

TEST_F(FilerReadTest, ReadsDefinedIntegerAndBinaryProperties) {
    Load(uR"(
        TTestForm F {
            TTestControl B {
                Legacy = 77
                Blob = <00 01 FE
                        ff>
            }
        }
    )");
    EXPECT_EQ(Control(u"B")->Legacy, 77);
    EXPECT_EQ(Control(u"B")->Blob, (TBytes{0x00, 0x01, 0xFE, 0xFF}));
}

TEST_F(FilerReadTest, RootNameIsMadeUniqueAmongItsOwnersComponents) {
    TComponent application(nullptr);
    auto* first = new TTestForm(&application);
    auto* second = new TTestForm(&application);
    LoadComponentFromText(first, u"TTestForm Setup { }");
    LoadComponentFromText(second, u"TTestForm Setup { }");
    EXPECT_EQ(first->GetName(), u"Setup");
    EXPECT_EQ(second->GetName(), u"Setup_1");
}

TEST_F(FilerReadTest, ReadsIntoANewComponentOfTheDescribedClass) {
    std::unique_ptr<TComponent> made(
        ObjectTextToComponent(u"TTestForm Made { TTestControl B { Width = 3 } }"));
    auto* madeForm = dynamic_cast<TTestForm*>(made.get());
    ASSERT_NE(madeForm, nullptr);
    EXPECT_EQ(madeForm->GetName(), u"Made");
    EXPECT_EQ(madeForm->Button1, nullptr);
    EXPECT_EQ(dynamic_cast<TTestControl*>(madeForm->FindComponent(u"B"))->Width, 3);
}

TEST_F(FilerReadTest, InheritedDescriptionsLoadAncestorsFirst) {
    RegisterComponentText(u"TTestForm", uR"(
        TTestForm Base {
            Caption = "base"
            Width = 10
            TTestControl Button1 { Caption = "OK" }
        }
    )");
    RegisterComponentText(u"TTestDialog", uR"(
        TTestDialog Dialog {
            Caption = "dialog"
            TTestControl Button1 { Width = 75 }
            TTestControl Button2 { }
        }
    )");
    TTestDialog dialog(nullptr);
    EXPECT_TRUE(InitInheritedComponent(&dialog, TTestControl::StaticClass()));
    UnRegisterComponentText(u"TTestForm");
    UnRegisterComponentText(u"TTestDialog");

    EXPECT_EQ(dialog.GetName(), u"Dialog");
    EXPECT_EQ(dialog.Caption, u"dialog");
    EXPECT_EQ(dialog.Width, 10);
    ASSERT_EQ(dialog.GetComponentCount(), 2);
    ASSERT_NE(dialog.Button1, nullptr);
    EXPECT_EQ(dialog.Button1->Caption, u"OK");
    EXPECT_EQ(dialog.Button1->Width, 75);
    EXPECT_FALSE(InitInheritedComponent(&dialog, TTestControl::StaticClass()));
}

TEST_F(FilerReadTest, CustomReadProceduresWalkListsSetsAndIdentifiers) {
    struct TLegacy : TTestControl {
        using TTestControl::TTestControl;
        void DefineProperties(TFiler* Filer) override {
            Filer->DefineProperty(
                u"Points",
                [this](TReader* Reader) {
                    EXPECT_EQ(Reader->NextValue(), vaList);
                    Reader->ReadListBegin();
                    while (!Reader->EndOfList()) {
                        Types.push_back(Reader->NextValue());
                        Points.push_back(Reader->ReadInt64());
                    }
                    Reader->ReadListEnd();
                },
                nullptr, false);
            Filer->DefineProperty(
                u"Options",
                [this](TReader* Reader) { Options = Reader->ReadSet(TypeInfo_TFontStyles()); },
                nullptr, false);
            Filer->DefineProperty(
                u"Mode", [this](TReader* Reader) { Mode = Reader->ReadIdent(); }, nullptr, false);
            Filer->DefineProperty(
                u"Items",
                [this](TReader* Reader) {
                    EXPECT_EQ(Reader->ReadValue(), vaCollection);
                    Reader->ReadCollection(GetColumns());
                },
                nullptr, false);
            Filer->DefineProperty(
                u"Text",
                [this](TReader* Reader) {
                    EXPECT_EQ(Reader->NextValue(), vaWString);
                    Text = Reader->ReadWideString();
                },
                nullptr, false);
        }
        std::vector<int64_t> Points;
        std::vector<TValueType> Types;
        int64_t Options = 0;
        UnicodeString Mode;
        UnicodeString Text;
    };
    TLegacy legacy(nullptr);
    ObjectTextToComponent(uR"(
        TTestControl L {
            Points = (1, -300, 70000, 0x100000000)
            Options = [fsItalic, fsStrikeOut]
            Mode = true
            Items = ({ Width = 5 }, { Width = 6 })
            Text = "文字"
        }
    )",
                          &legacy);
    EXPECT_EQ(legacy.Points, (std::vector<int64_t>{1, -300, 70000, 0x100000000LL}));
    EXPECT_EQ(legacy.Types, (std::vector<TValueType>{vaInt8, vaInt16, vaInt32, vaInt64}));
    EXPECT_EQ(legacy.Options, (1 << fsItalic) | (1 << fsStrikeOut));
    EXPECT_EQ(legacy.Mode, u"True");
    ASSERT_EQ(legacy.GetColumns()->GetCount(), 2);
    EXPECT_EQ(legacy.Column(1)->Width, 6);
    EXPECT_EQ(legacy.Text, u"文字");
}

// --- Errors -------------------------------------------------------------------------------

struct ValueErrorCase {
    const char16_t* Text;
    const char16_t* Message;
};

void PrintTo(const ValueErrorCase& c, std::ostream* os) {
    *os << UnicodeToUtf8(c.Message);
}

class FilerValueErrorTest : public FilerReadTest,
                            public testing::WithParamInterface<ValueErrorCase> {};

TEST_P(FilerValueErrorTest, NamesTheComponentAndProperty) {
    EXPECT_EQ(ReadError(GetParam().Text), GetParam().Message);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FilerValueErrorTest,
    testing::Values(
        ValueErrorCase{u"TTestForm F { TTestControl Button1 { Foo = 1 } }",
                       u"Error reading Button1.Foo: Property Foo does not exist"},
        ValueErrorCase{u"TTestForm F { Font.Colour = 1 }",
                       u"Error reading F.Font.Colour: Property Colour does not exist"},
        ValueErrorCase{u"TTestForm F { Font = { Colour = 1 } }",
                       u"Error reading F.Font.Colour: Property Colour does not exist"},
        ValueErrorCase{u"TTestForm F { Columns = ({ Colour = 1 }) }",
                       u"Error reading F.Columns[0].Colour: Property Colour does not exist"},
        ValueErrorCase{u"TTestForm F { Width = \"wide\" }",
                       u"Error reading F.Width: Invalid property value"},
        ValueErrorCase{u"TTestForm F { Width = 3000000000 }",
                       u"Error reading F.Width: Invalid property value"},
        ValueErrorCase{u"TTestForm F { Align = taMiddle }",
                       u"Error reading F.Align: Invalid property value"},
        ValueErrorCase{u"TTestForm F { Font.Style = [fsBold, fsShadow] }",
                       u"Error reading F.Font.Style: Invalid property element: fsShadow"},
        ValueErrorCase{u"TTestForm F { OnClick = Missing }",
                       u"Error reading F.OnClick: Method Missing not found"},
        ValueErrorCase{u"TTestForm F { OnClick = WrongShape }",
                       u"Error reading F.OnClick: Invalid property value"},
        ValueErrorCase{u"TTestForm F { TTestControl B { Buddy = Nobody } }",
                       u"Error reading B.Buddy: Component Nobody not found"},
        ValueErrorCase{u"TTestForm F { TTestTimer T { } TTestControl B { Buddy = T } }",
                       u"Error reading B.Buddy: Invalid property value"},
        ValueErrorCase{u"TTestForm F { Legacy = \"x\" }",
                       u"Error reading F.Legacy: Invalid property value"},
        ValueErrorCase{u"TTestForm F { Blob = 12 }",
                       u"Error reading F.Blob: Invalid property value"},
        ValueErrorCase{u"TTestTimer F { }", u"Cannot read a TTestTimer into a TTestForm"}),
    CaseName());

TEST_F(FilerReadTest, HandledErrorsSkipThePropertyAndReadOn) {
    TTestForm target(nullptr);
    std::vector<UnicodeString> messages;
    TReader reader(u"TTestForm F { Foo = (1, 2)  Width = 7  Bar = { X = 1 }  Caption = \"c\" }");
    reader.OnError = [&](TReader*, const UnicodeString& message, bool& handled) {
        messages.push_back(message);
        handled = true;
    };
    reader.ReadRootComponent(&target);
    EXPECT_EQ(target.Width, 7);
    EXPECT_EQ(target.Caption, u"c");
    EXPECT_EQ(messages,
              (std::vector<UnicodeString>{u"Error reading F.Foo: Property Foo does not exist",
                                          u"Error reading F.Bar: Property Bar does not exist"}));
}

TEST_F(FilerReadTest, OnSetNameAndOnCreateComponentShapeWhatIsRead) {
    TTestForm target(nullptr);
    TTestControl* made = nullptr;
    TReader reader(u"TTestForm F { TTestControl A { Width = 4 } }");
    reader.OnSetName = [](TReader*, TComponent*, UnicodeString& name) { name += u"x"; };
    reader.OnCreateComponent = [&](TReader* r, TClass cls, TComponent*& component) {
        EXPECT_EQ(cls, TTestControl::StaticClass());
        component = made = new TTestControl(r->GetOwner());
        made->Caption = u"made here";
    };
    reader.ReadRootComponent(&target);
    EXPECT_EQ(target.GetName(), u"Fx");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetName(), u"Ax");
    EXPECT_EQ(made->GetOwner(), &target);
    EXPECT_EQ(made->Caption, u"made here");
    EXPECT_EQ(made->Width, 4);
}

TEST_F(FilerReadTest, UnknownClassRaisesClassNotFound) {
    TTestForm target(nullptr);
    EXPECT_THROW(LoadComponentFromText(&target, u"TTestForm F { TNoSuchThing X { } }"),
                 EClassNotFound);
}

TEST_F(FilerReadTest, OnFindComponentClassSuppliesUnregisteredClasses) {
    TTestForm target(nullptr);
    TReader reader(u"TTestForm F { TAlias X { } }");
    reader.OnFindComponentClass = [](TReader*, const UnicodeString& name, TClass& cls) {
        if (name == u"TAlias") cls = TTestControl::StaticClass();
    };
    reader.ReadRootComponent(&target);
    EXPECT_NE(dynamic_cast<TTestControl*>(target.FindComponent(u"X")), nullptr);
}

// A failed read leaves the root as it was: the components it made are gone
// (the sanitizer build finds any that leak) and none is left loading.
TEST_F(FilerReadTest, FailedReadFreesWhatItCreated) {
    const char16_t* failures[] = {
        u"TTestForm F { TTestControl A { TTestControl B { } } TNoSuchThing C { } }",
        u"TTestForm F { TTestControl A { TTestControl B { Width = \"x\" } } }",
        u"TTestForm F { TTestControl A { Buddy = Nowhere } TTestControl B { } }",
        u"TTestForm F { TTestControl A { } TTestControl A { } }",
    };
    for (const char16_t* text : failures) {
        TTestForm target(nullptr);
        auto* kept = new TTestControl(&target);
        kept->SetName(u"Kept");
        EXPECT_ANY_THROW(LoadComponentFromText(&target, text)) << UnicodeToUtf8(text);
        ASSERT_EQ(target.GetComponentCount(), 1) << UnicodeToUtf8(text);
        EXPECT_EQ(target.GetComponents(0), kept);
        EXPECT_FALSE(target.GetComponentState().Contains(csLoading));
        EXPECT_FALSE(target.GetComponentState().Contains(csReading));
        EXPECT_EQ(target.Button1, nullptr);
        EXPECT_TRUE(target.Children().empty());
        EXPECT_TRUE(LoadedLog().empty());
    }
}

TEST_F(FilerReadTest, FailedReadOfANewRootFreesTheRoot) {
    // Nothing to observe but the leak checker of the sanitizer build.
    EXPECT_THROW(ObjectTextToComponent(u"TTestForm F { TTestControl A { Width = nil } }"),
                 EReadError);
    EXPECT_THROW(ObjectTextToComponent(u"TTestForm F { TTestControl A { Width = } }"),
                 EParserError);
}

} // namespace
