#include "FilerTestClasses.h"

#include <runpak/Exceptions.h>
#include <runpak/Filer.h>

#include <gtest/gtest.h>

#include "CaseName.h"
#include <cmath>
#include <limits>
#include <memory>
#include <ostream>

using namespace filertest;

namespace {

class FilerWriteTest : public testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        LoadedLog().clear();
    }

    static std::unique_ptr<TTestForm> ReadBack(const UnicodeString& text) {
        auto copy = std::make_unique<TTestForm>(nullptr);
        LoadComponentFromText(copy.get(), text);
        return copy;
    }
};

TEST_F(FilerWriteTest, DefaultsAreNotWritten) {
    TTestForm form(nullptr);
    form.SetName(u"F");
    auto* button = new TTestControl(&form);
    button->SetName(u"Button1");
    button->SetParent(&form);
    button->Secret = u"never stored";
    button->Width = 0;           // the declared default
    button->Visible = true;      // the declared default
    button->GetFont()->Size = 8; // the nested object is all defaults
    EXPECT_EQ(ComponentToObjectText(&form), u"TTestForm F {\n"
                                            u"    TTestControl Button1 {\n"
                                            u"    }\n"
                                            u"}\n");
}

TEST_F(FilerWriteTest, WritesWhatDiffersInTheDocumentedLayout) {
    TTestForm form(nullptr);
    form.SetName(u"F");
    form.Caption = u"Setup";
    form.Visible = false;
    form.GetFont()->Style = TFontStyles{fsBold, fsUnderline};
    form.GetColumns()->Add();
    form.Column(0)->Width = 80;
    form.Legacy = 5;
    form.Blob = {0xDE, 0xAD};
    auto* timer = new TTestTimer(&form);
    timer->SetName(u"Timer1");
    timer->Enabled = false;
    EXPECT_EQ(ComponentToObjectText(&form), u"TTestForm F {\n"
                                            u"    Caption = \"Setup\"\n"
                                            u"    Visible = false\n"
                                            u"    Font = {\n"
                                            u"        Style = [fsBold, fsUnderline]\n"
                                            u"    }\n"
                                            u"    Columns = (\n"
                                            u"        {\n"
                                            u"            Width = 80\n"
                                            u"        }\n"
                                            u"    )\n"
                                            u"    Legacy = 5\n"
                                            u"    Blob = <DEAD>\n"
                                            u"    TTestTimer Timer1 {\n"
                                            u"        Enabled = false\n"
                                            u"    }\n"
                                            u"}\n");
}

// Builds a form that uses every kind of value the text has.
std::unique_ptr<TTestForm> RichForm() {
    auto form = std::make_unique<TTestForm>(nullptr);
    form->SetName(u"MainForm");
    form->Caption = u"サーボ設定 \"軸1\"\n\\ \u0007 \U0001F600";
    form->Align = taCenter;
    form->Ratio = 0.1;
    form->Small = 1.0f / 3.0f;
    form->Precise = 1.0L / 3.0L;
    form->Big = std::numeric_limits<int64_t>::min();
    form->Count = 4294967295u;
    form->HotKey = u'ß';
    form->GetFont()->Name = u"ＭＳ ゴシック";
    form->GetFont()->Size = 11;
    form->GetFont()->Style = TFontStyles{fsItalic};
    for (int i = 0; i < 3; ++i) {
        auto* column = static_cast<TTestColumn*>(form->GetColumns()->Add());
        column->Width = 40 + i;
        column->Text = u"列" + UnicodeString(1, char16_t(u'A' + i));
    }
    form->Column(2)->Alignment = taRightJustify;
    for (int i = 0; i < 100; ++i)
        form->Blob.push_back(uint8_t(i * 7));

    auto* panel = new TTestControl(form.get());
    panel->SetName(u"Panel1");
    panel->SetParent(form.get());
    auto* button = new TTestControl(form.get());
    button->SetName(u"Button1");
    button->SetParent(panel);
    button->Width = -3;
    button->Legacy = -42;
    SetMethodProp(button, GetPropInfo(button, u"OnClick"),
                  GetMethodInfo(TTestForm::StaticClass(), u"Button1Click")->Bind(form.get()));
    auto* late = new TTestControl(form.get());
    late->SetName(u"Late");
    late->SetParent(form.get());
    button->Buddy = late;
    form->Buddy = button;
    auto* timer = new TTestTimer(form.get());
    timer->SetName(u"Timer1");
    timer->Interval = 0;
    return form;
}

TEST_F(FilerWriteTest, WriteThenReadGivesTheSameTree) {
    std::unique_ptr<TTestForm> original = RichForm();
    UnicodeString text = ComponentToObjectText(original.get());
    std::unique_ptr<TTestForm> copy = ReadBack(text);

    EXPECT_EQ(ComponentToObjectText(copy.get()), text);
    EXPECT_EQ(copy->GetName(), u"MainForm");
    EXPECT_EQ(copy->Caption, original->Caption);
    EXPECT_EQ(copy->Align, taCenter);
    EXPECT_EQ(copy->Ratio, 0.1);
    EXPECT_EQ(copy->Small, 1.0f / 3.0f);
    EXPECT_EQ(copy->Precise, 1.0L / 3.0L);
    EXPECT_EQ(copy->Big, std::numeric_limits<int64_t>::min());
    EXPECT_EQ(copy->Count, 4294967295u);
    EXPECT_EQ(copy->HotKey, u'ß');
    EXPECT_EQ(copy->GetFont()->Name, u"ＭＳ ゴシック");
    EXPECT_EQ(copy->GetFont()->Style, TFontStyles{fsItalic});
    ASSERT_EQ(copy->GetColumns()->GetCount(), 3);
    EXPECT_EQ(copy->Column(2)->Text, u"列C");
    EXPECT_EQ(copy->Column(2)->Alignment, taRightJustify);
    EXPECT_EQ(copy->Blob, original->Blob);

    ASSERT_NE(copy->Button1, nullptr);
    EXPECT_EQ(copy->Button1->GetParent(), copy->Panel1);
    EXPECT_EQ(copy->Button1->Legacy, -42);
    EXPECT_EQ(copy->Button1->Buddy, copy->FindComponent(u"Late"));
    EXPECT_EQ(copy->Buddy, copy->Button1);
    auto* timer = dynamic_cast<TTestTimer*>(copy->FindComponent(u"Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->Interval, 0u);
    // The event came back bound to the copy's own method.
    ASSERT_TRUE(copy->Button1->OnClick);
    copy->Button1->OnClick(copy->Button1);
    EXPECT_EQ(copy->Clicks.size(), 1u);
    EXPECT_TRUE(original->Clicks.empty());
}

TEST_F(FilerWriteTest, WritesBoundEventsByNameAndSkipsOtherHandlers) {
    TTestForm form(nullptr);
    form.SetName(u"F");
    auto* bound = new TTestControl(&form);
    bound->SetName(u"Bound");
    bound->SetParent(&form);
    auto* lambda = new TTestControl(&form);
    lambda->SetName(u"Lambda");
    lambda->SetParent(&form);
    SetMethodProp(bound, GetPropInfo(bound, u"OnClick"),
                  GetMethodInfo(TTestForm::StaticClass(), u"Button1Click")->Bind(&form));
    lambda->OnClick = [](TObject*) {};
    UnicodeString text = ComponentToObjectText(&form);
    EXPECT_NE(text.find(u"TTestControl Bound {\n        OnClick = Button1Click\n    }"),
              UnicodeString::npos)
        << UnicodeToUtf8(text);
    EXPECT_NE(text.find(u"TTestControl Lambda {\n    }"), UnicodeString::npos)
        << UnicodeToUtf8(text);
}

TEST_F(FilerWriteTest, OnFindMethodNameNamesOtherHandlers) {
    TTestControl control(nullptr);
    control.SetName(u"C");
    control.OnClick = [](TObject*) {};
    TStringStream stream;
    {
        TWriter writer(&stream);
        writer.OnFindMethodName = [](TWriter*, const TMethodValue&, UnicodeString& name) {
            name = u"Handler";
        };
        writer.WriteRootComponent(&control);
    }
    EXPECT_EQ(stream.GetDataString(), u"TTestControl C {\n    OnClick = Handler\n}\n");
}

struct FloatCase {
    double Value;
    const char16_t* Text;
};

void PrintTo(const FloatCase& c, std::ostream* os) {
    *os << UnicodeToUtf8(c.Text);
}

class FilerFloatTest : public FilerWriteTest, public testing::WithParamInterface<FloatCase> {};

TEST_P(FilerFloatTest, WritesTheShortestTextThatReadsBack) {
    TTestControl control(nullptr);
    control.Ratio = GetParam().Value;
    UnicodeString text = ComponentToObjectText(&control);
    EXPECT_EQ(text, u"TTestControl {\n    Ratio = " + UnicodeString(GetParam().Text) + u"\n}\n");
    TTestControl copy(nullptr);
    ObjectTextToComponent(text, &copy);
    if (std::isnan(GetParam().Value))
        EXPECT_TRUE(std::isnan(copy.Ratio));
    else
        EXPECT_EQ(copy.Ratio, GetParam().Value);
}

INSTANTIATE_TEST_SUITE_P(Values, FilerFloatTest,
                         testing::Values(FloatCase{1.5, u"1.5"}, FloatCase{0.1, u"0.1"},
                                         FloatCase{-2, u"-2.0"}, FloatCase{1e300, u"1e+300"},
                                         FloatCase{5e-324, u"5e-324"}, FloatCase{HUGE_VAL, u"inf"},
                                         FloatCase{-HUGE_VAL, u"-inf"}, FloatCase{NAN, u"nan"}),
                         CaseName());

TEST_F(FilerWriteTest, StringsOfAnyCharactersSurviveTheTrip) {
    const UnicodeString samples[] = {
        u"",
        u"plain",
        u"\"quoted\" and \\back\\",
        u"line\r\nbreaks\tand tabs",
        u"日本語のテキスト",
        UnicodeString(u"nul\0inside", 10),
        UnicodeString(1, char16_t(0xD800)) + u" lone high, lone low " + char16_t(0xDC00),
        u"\uFEFF\u007F\u001F",
        u"\U0001F600 pair",
    };
    for (const UnicodeString& sample : samples) {
        TTestControl control(nullptr);
        control.Caption = sample;
        TTestControl copy(nullptr);
        ObjectTextToComponent(ComponentToObjectText(&control), &copy);
        EXPECT_EQ(copy.Caption, sample) << UnicodeToUtf8(sample);
    }
}

TEST_F(FilerWriteTest, DescendantWritesOnlyWhatDiffersFromItsAncestor) {
    std::unique_ptr<TTestForm> ancestor = ReadBack(uR"(
        TTestForm Base {
            Caption = "base"
            Width = 10
            TTestControl Button1 { Caption = "OK"  Width = 75 }
        }
    )");
    std::unique_ptr<TTestForm> descendant = ReadBack(uR"(
        TTestForm Dialog {
            Caption = "base"
            Width = 0
            TTestControl Button1 { Caption = "OK"  Width = 80 }
        }
    )");
    TStringStream stream;
    {
        TWriter writer(&stream);
        writer.WriteDescendent(descendant.get(), ancestor.get());
    }
    EXPECT_EQ(stream.GetDataString(), u"TTestForm Dialog {\n"
                                      u"    Width = 0\n"
                                      u"    TTestControl Button1 {\n"
                                      u"        Width = 80\n"
                                      u"    }\n"
                                      u"}\n");
}

TEST_F(FilerWriteTest, StreamsGoThroughUtf8) {
    TTestControl control(nullptr);
    control.SetName(u"C");
    control.Caption = u"速度";
    TMemoryStream stream;
    WriteComponentToStream(&stream, &control);
    std::string bytes(static_cast<const char*>(stream.GetMemory()), size_t(stream.GetSize()));
    EXPECT_EQ(bytes, "TTestControl C {\n    Caption = \"\xE9\x80\x9F\xE5\xBA\xA6\"\n}\n");
    stream.SetPosition(0);
    TTestControl copy(nullptr);
    ReadComponentFromStream(&stream, &copy);
    EXPECT_EQ(copy.Caption, u"速度");
}

TEST_F(FilerWriteTest, WriteProceduresThatBreakTheFormatRaise) {
    struct TBad : TTestControl {
        using TTestControl::TTestControl;
        void DefineProperties(TFiler* Filer) override {
            Filer->DefineProperty(
                u"Twice", nullptr,
                [this](TWriter* Writer) {
                    Writer->WriteInteger(1);
                    if (Mode == 0) Writer->WriteInteger(2);
                    if (Mode == 1) Writer->WriteListBegin();
                    if (Mode == 2) Writer->WriteIdent(u"not an ident");
                },
                true);
        }
        int Mode = 0;
    };
    for (int mode = 0; mode < 3; ++mode) {
        TBad bad(nullptr);
        bad.Mode = mode;
        EXPECT_THROW(ComponentToObjectText(&bad), EWriteError) << mode;
    }
}

TEST_F(FilerWriteTest, CustomWriteProceduresRoundTripLists) {
    struct TListy : TTestControl {
        using TTestControl::TTestControl;
        void DefineProperties(TFiler* Filer) override {
            Filer->DefineProperty(
                u"Pairs",
                [this](TReader* Reader) {
                    Reader->ReadListBegin();
                    while (!Reader->EndOfList()) {
                        Reader->ReadListBegin();
                        Names.push_back(Reader->ReadString());
                        Flags.push_back(Reader->ReadBoolean());
                        Reader->ReadListEnd();
                    }
                    Reader->ReadListEnd();
                },
                [this](TWriter* Writer) {
                    Writer->WriteListBegin();
                    for (size_t i = 0; i < Names.size(); ++i) {
                        Writer->WriteListBegin();
                        Writer->WriteString(Names[i]);
                        Writer->WriteBoolean(Flags[i]);
                        Writer->WriteListEnd();
                    }
                    Writer->WriteListEnd();
                },
                !Names.empty());
        }
        std::vector<UnicodeString> Names;
        std::vector<bool> Flags;
    };
    TListy original(nullptr);
    original.Names = {u"a", u"び"};
    original.Flags = {true, false};
    UnicodeString text = ComponentToObjectText(&original);
    EXPECT_EQ(text, u"TTestControl {\n    Pairs = ((\"a\", true), (\"び\", false))\n}\n");
    TListy copy(nullptr);
    ObjectTextToComponent(text, &copy);
    EXPECT_EQ(copy.Names, original.Names);
    EXPECT_EQ(copy.Flags, original.Flags);
}

} // namespace
