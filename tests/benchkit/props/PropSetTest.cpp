// Sets and links: the order in which links, field events and the designer
// hear of changes, update brackets, field links, relays, definitions and
// registration.
#include "PropTestSupport.h"

#include "benchkit/Benchkit.h"
#include "benchkit/props/IDEHistoryLists.h"

#include <runpak/Filer.h>

#include <runpak/TypeInfo.h>

#include <memory>

namespace {

// Writes its events into the shared log as link 100.
class TRecordingDesigner : public TPropSetDesigner {
public:
    TRecordingDesigner(TCustomPropSet* set, std::vector<THeard>* log)
        : TPropSetDesigner(set), FLog(log) {}
    void DataEvent(TPropEvent Event, void* Info) override { FLog->push_back({100, Event, Info}); }

private:
    std::vector<THeard>* FLog;
};

class PropSetTest : public testing::Test {
protected:
    void SetUp() override {
        set = std::make_unique<TIniPropSet>(nullptr);
        width = new TIntegerPropField(set.get());
        width->SetFieldName(u"Width");
        width->SetPropSet(set.get());
        name = new TStringPropField(set.get());
        name->SetFieldName(u"Name");
        name->SetPropSet(set.get());
        for (int i = 0; i < 3; ++i) {
            links.push_back(std::make_unique<TRecordingLink>(i + 1, &log));
            links.back()->SetPropSet(set.get());
        }
        log.clear();
    }

    std::unique_ptr<TIniPropSet> set;
    TIntegerPropField* width;
    TStringPropField* name;
    std::vector<THeard> log;
    std::vector<std::unique_ptr<TRecordingLink>> links;
};

TEST_F(PropSetTest, AChangeReachesEveryLinkInOrderThenTheFieldThenTheDesigner) {
    set->SetDesigner(new TRecordingDesigner(set.get(), &log));
    width->OnChange = [&](TPropField* f) { log.push_back({50, peFieldChange, f}); };
    width->SetValue(7);
    std::vector<THeard> once = {{1, peFieldChange, width},
                                {2, peFieldChange, width},
                                {3, peFieldChange, width},
                                {50, peFieldChange, width},
                                {100, peFieldChange, width}};
    std::vector<THeard> expected = once;
    expected.insert(expected.end(), once.begin(), once.end());
    EXPECT_EQ(log, expected);
}

TEST_F(PropSetTest, ChangesInsideABracketAreHeldUntilItClosesAsOneRecordChange) {
    int changes = 0;
    width->OnChange = [&](TPropField*) { ++changes; };
    set->BeginUpdate();
    set->BeginUpdate();
    width->SetValue(1);
    name->SetValue(u"a");
    set->EndUpdate();
    EXPECT_TRUE(log.empty());
    set->EndUpdate();
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(log, (std::vector<THeard>{{1, peRecordChange, nullptr},
                                        {2, peRecordChange, nullptr},
                                        {3, peRecordChange, nullptr}}));
    log.clear();
    set->EndUpdate(); // at 0: nothing
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(width->GetValue().AsInteger(), 1);
}

TEST_F(PropSetTest, TheFirstBracketOfANestingDecidesTheClosingEvent) {
    set->DisableControls();
    set->BeginUpdate();
    set->EndUpdate();
    set->EnableControls();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].Event, peFieldListChange);
    log.clear();
    set->BeginUpdate();
    set->DisableControls();
    set->EnableControls();
    set->EndUpdate();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].Event, peRecordChange);
}

TEST_F(PropSetTest, StateChangesReachTheLinksEvenInsideABracket) {
    set->BeginUpdate();
    set->SetState(psInactive);
    EXPECT_EQ(log, (std::vector<THeard>{{1, peUpdateState, nullptr},
                                        {2, peUpdateState, nullptr},
                                        {3, peUpdateState, nullptr}}));
    EXPECT_FALSE(links[0]->GetActive());
    set->EndUpdate();
    log.clear();
    // Inactive links hear changes but ignore them; the set still sends them.
    set->SetState(psActive);
    EXPECT_TRUE(links[2]->GetActive());
}

// A handler that detaches links while the set is telling them must neither
// skip a remaining link nor reach one that has left (nor its freed memory).
struct RemovalCase {
    const char* name;
    int handlerLink; // the link whose handler removes
    int removed;     // the link it removes (may be itself)
    bool destroy;    // free the removed link instead of detaching it
    std::vector<int> expected;
};

class RemovalDuringDispatchTest : public testing::TestWithParam<RemovalCase> {};

TEST_P(RemovalDuringDispatchTest, NoLinkIsSkippedOrCalledAfterItLeft) {
    const RemovalCase& c = GetParam();
    TIniPropSet set(nullptr);
    std::vector<THeard> log;
    std::vector<std::unique_ptr<TRecordingLink>> links;
    for (int i = 0; i < 4; ++i) {
        links.push_back(std::make_unique<TRecordingLink>(i + 1, &log));
        links.back()->SetPropSet(&set);
    }
    bool done = false;
    links[size_t(c.handlerLink - 1)]->OnEvent = [&](TPropEvent) {
        if (done) return;
        done = true;
        if (c.destroy)
            links[size_t(c.removed - 1)].reset();
        else
            links[size_t(c.removed - 1)]->SetPropSet(nullptr);
    };
    log.clear();
    set.NotifyPropLinks(peRecordChange, nullptr);
    std::vector<int> heard;
    for (const THeard& h : log)
        heard.push_back(h.Link);
    EXPECT_EQ(heard, c.expected);
    EXPECT_EQ(set.GetLinkCount(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemovalDuringDispatchTest,
    testing::Values(RemovalCase{"ItselfFirst", 1, 1, false, {1, 2, 3, 4}},
                    RemovalCase{"ItselfMiddle", 2, 2, false, {1, 2, 3, 4}},
                    RemovalCase{"AnEarlierOne", 3, 1, false, {1, 2, 3, 4}},
                    RemovalCase{"ALaterOne", 2, 3, false, {1, 2, 4}},
                    RemovalCase{"TheLastFromTheFirst", 1, 4, false, {1, 2, 3}},
                    RemovalCase{"FreesALaterOne", 1, 2, true, {1, 3, 4}},
                    RemovalCase{"FreesAnEarlierOne", 3, 1, true, {1, 2, 3, 4}}),
    [](const testing::TestParamInfo<RemovalCase>& info) { return std::string(info.param.name); });

TEST_F(PropSetTest, ALinkAddedDuringDispatchWaitsForTheNextEvent) {
    TRecordingLink late(9, &log);
    links[0]->OnEvent = [&](TPropEvent) {
        if (!late.GetPropSet()) late.SetPropSet(set.get());
    };
    set->NotifyPropLinks(peRecordChange, nullptr);
    std::vector<int> heard;
    for (const THeard& h : log)
        if (h.Event == peRecordChange) heard.push_back(h.Link);
    EXPECT_EQ(heard, (std::vector<int>{1, 2, 3}));
    log.clear();
    set->NotifyPropLinks(peRecordChange, nullptr);
    EXPECT_EQ(log.size(), 4u);
}

// ---- Field links ------------------------------------------------------------------------------

class TControlStub : public TComponent {
public:
    using TComponent::TComponent;
};

TEST_F(PropSetTest, ThePushingLinkSkipsItsOwnRefreshWhileOthersRefresh) {
    TFieldPropLink editor, viewer, other;
    std::vector<std::string> seen;
    editor.OnDataChange = [&](TObject*) { seen.push_back("editor"); };
    viewer.OnDataChange = [&](TObject*) { seen.push_back("viewer"); };
    other.OnDataChange = [&](TObject*) { seen.push_back("other"); };
    editor.OnUpdateData = [&](TObject*) { editor.GetField()->SetValue(42); };
    for (TFieldPropLink* l : {&editor, &viewer, &other})
        l->SetPropSet(set.get());
    editor.SetFieldName(u"Width");
    viewer.SetFieldName(u"width");
    other.SetFieldName(u"Name");
    EXPECT_EQ(viewer.GetField(), width);
    seen.clear();
    editor.Modified();
    editor.UpdateRecord();
    EXPECT_EQ(seen, (std::vector<std::string>{"viewer", "viewer"}));
    EXPECT_FALSE(editor.GetModified());
    EXPECT_FALSE(editor.GetUpdating());
    EXPECT_EQ(width->GetValue().AsInteger(), 42);
}

TEST_F(PropSetTest, AFailedPushKeepsTheModifiedMark) {
    TFieldPropLink editor;
    editor.SetPropSet(set.get());
    editor.SetFieldName(u"Width");
    editor.OnUpdateData = [&](TObject*) { editor.GetField()->SetEditText(u"wide"); };
    editor.Modified();
    EXPECT_THROW(editor.UpdateRecord(), Exception);
    EXPECT_TRUE(editor.GetModified());
    EXPECT_FALSE(editor.GetUpdating());
}

TEST_F(PropSetTest, FieldNamesAreResolvedWithTheControlsNameInTheError) {
    TControlStub control(nullptr);
    control.SetName(u"WidthEdit");
    TFieldPropLink link(&control);
    link.SetPropSet(set.get());
    try {
        link.SetFieldName(u"Depth");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), u"WidthEdit: Field 'Depth' not found");
    }
    TFieldPropLink bare;
    bare.SetPropSet(set.get());
    EXPECT_THROW(bare.SetFieldName(u"Depth2"), Exception);
    TFieldPropLink empty(&control);
    empty.SetPropSet(set.get());
    empty.SetFieldName(u"");
    EXPECT_EQ(empty.GetField(), nullptr);
}

TEST_F(PropSetTest, ARecordChangeRefreshesAndAFieldChangeOnlyItsOwnField) {
    TFieldPropLink a, b;
    int aSeen = 0, bSeen = 0;
    a.OnDataChange = [&](TObject*) { ++aSeen; };
    b.OnDataChange = [&](TObject*) { ++bSeen; };
    a.SetPropSet(set.get());
    b.SetPropSet(set.get());
    a.SetFieldName(u"Width");
    b.SetFieldName(u"Name");
    aSeen = bSeen = 0;
    width->SetValue(3);
    EXPECT_EQ(aSeen, 2);
    EXPECT_EQ(bSeen, 0);
    set->BeginUpdate();
    width->SetValue(4);
    set->EndUpdate();
    EXPECT_EQ(aSeen, 3);
    EXPECT_EQ(bSeen, 1);
}

TEST_F(PropSetTest, AttributeChangesReachOnlyTheNamedControlsLink) {
    TControlStub c1(nullptr), c2(nullptr);
    TFieldPropLink l1(&c1), l2(&c2);
    int a1 = 0, a2 = 0;
    l1.OnAttributesChange = [&](TObject*) { ++a1; };
    l2.OnAttributesChange = [&](TObject*) { ++a2; };
    l1.SetPropSet(set.get());
    l2.SetPropSet(set.get());
    width->UpdateAttributes(&c2);
    EXPECT_EQ(a1, 0);
    EXPECT_EQ(a2, 1);
    // Replacing a field's value names names the field itself: no link answers.
    TStringList names;
    names.Add(u"A=1");
    width->SetValueNames(&names);
    EXPECT_EQ(a1 + a2, 1);
}

TEST_F(PropSetTest, SavingPushesPendingEditsOfABaseSet) {
    // The base save asks every active link to push; the INI store keeps its
    // own save without that step.
    class TMemorySet : public TIniPropSet {
    public:
        using TIniPropSet::TIniPropSet;

    protected:
        void InternalSavePropValues() override { TPropSet::InternalSavePropValues(); }
    };
    TMemorySet memory(nullptr);
    auto* field = new TIntegerPropField(&memory);
    field->SetFieldName(u"N");
    field->SetPropSet(&memory);
    TFieldPropLink link;
    link.SetPropSet(&memory);
    link.SetFieldName(u"N");
    link.OnUpdateData = [&](TObject*) { field->SetValue(9); };
    link.Modified();
    memory.SavePropValues();
    EXPECT_EQ(field->GetValue().AsInteger(), 9);
    EXPECT_FALSE(link.GetModified());

    TFieldPropLink iniLink;
    int pushes = 0;
    iniLink.OnUpdateData = [&](TObject*) { ++pushes; };
    iniLink.SetPropSet(set.get());
    iniLink.SetFieldName(u"Width");
    iniLink.Modified();
    set->SavePropValues();
    EXPECT_EQ(pushes, 0);
    EXPECT_TRUE(iniLink.GetModified());
}

TEST_F(PropSetTest, AFreedFieldIsForgottenByItsLinks) {
    TFieldPropLink link;
    int refreshes = 0;
    link.OnDataChange = [&](TObject*) { ++refreshes; };
    link.SetPropSet(set.get());
    link.SetFieldName(u"Name");
    refreshes = 0;
    delete name;
    EXPECT_EQ(link.GetField(), nullptr);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(set->FindField(u"Name"), nullptr);
}

TEST_F(PropSetTest, ASetFreedUnderItsLinksLeavesThemDetachedAndInactive) {
    TFieldPropLink link;
    link.SetPropSet(set.get());
    link.SetFieldName(u"Width");
    set.reset();
    EXPECT_EQ(link.GetPropSet(), nullptr);
    EXPECT_FALSE(link.GetActive());
    EXPECT_EQ(link.GetField(), nullptr);
    for (auto& l : links)
        EXPECT_EQ(l->GetPropSet(), nullptr);
}

// ---- Relays
// -----------------------------------------------------------------------------------------

TEST_F(PropSetTest, ARelayRepeatsItsTargetsEventsToItsOwnLinks) {
    TPropSetSource relay(nullptr);
    std::vector<THeard> relayLog;
    TRecordingLink relayed(7, &relayLog);
    relayed.SetPropSet(&relay);
    EXPECT_FALSE(relayed.GetActive());
    EXPECT_EQ(relay.GetState(), psInactive);
    EXPECT_EQ(relay.GetFieldCount(), 0);
    EXPECT_EQ(relay.GetFieldValuesList(u"Width"), relay.GetEmptyValuesList());
    EXPECT_EQ(relay.GetFieldValuesList(u"Width")->GetCount(), 0);

    relay.SetPropSet(set.get());
    EXPECT_TRUE(relayed.GetActive());
    EXPECT_EQ(relay.GetFieldCount(), 2);
    TFieldPropLink viaRelay;
    viaRelay.SetPropSet(&relay);
    viaRelay.SetFieldName(u"Width");
    EXPECT_EQ(viaRelay.GetField(), width);

    relayLog.clear();
    width->SetValue(5);
    EXPECT_EQ(relayLog,
              (std::vector<THeard>{{7, peFieldChange, width}, {7, peFieldChange, width}}));
    relayLog.clear();
    // The relay's own bracket holds back what it repeats.
    relay.BeginUpdate();
    width->SetValue(6);
    EXPECT_TRUE(relayLog.empty());
    relay.EndUpdate();
    EXPECT_EQ(relayLog, (std::vector<THeard>{{7, peRecordChange, nullptr}}));
}

TEST_F(PropSetTest, AFieldFreedBehindARelayIsForgottenByTheRelaysLinks) {
    TPropSetSource relay(nullptr);
    relay.SetPropSet(set.get());
    TFieldPropLink viaRelay;
    viaRelay.SetPropSet(&relay);
    viaRelay.SetFieldName(u"Name");
    ASSERT_EQ(viaRelay.GetField(), name);
    delete name;
    EXPECT_EQ(viaRelay.GetField(), nullptr);
    EXPECT_EQ(relay.GetFieldCount(), 1);
}

TEST_F(PropSetTest, ARelayRefusesItselfAndForgetsAFreedTarget) {
    TPropSetSource relay(nullptr);
    try {
        relay.SetPropSet(&relay);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), u"Cannot link a TPropSetSource to itself");
    }
    EXPECT_EQ(relay.GetPropSet(), nullptr);
    relay.SetPropSet(set.get());
    TFieldPropLink viaRelay;
    viaRelay.SetPropSet(&relay);
    viaRelay.SetFieldName(u"Width");
    set.reset();
    EXPECT_EQ(relay.GetPropSet(), nullptr);
    EXPECT_EQ(relay.GetState(), psInactive);
    EXPECT_FALSE(viaRelay.GetActive());
    EXPECT_EQ(viaRelay.GetField(), nullptr);
}

// ---- Definitions, names and values
// ---------------------------------------------------------------------

class TDefinedSet : public TIniPropSet {
public:
    using TIniPropSet::TIniPropSet;
    int inits = 0;

protected:
    void InitFieldDefs() override {
        ++inits;
        GetFieldDefs()->Clear();
        GetFieldDefs()->Add(u"Speed", ptInteger, 0, 1);
        GetFieldDefs()->Add(u"Mode", ptEnum, 0, 2);
        GetFieldDefs()->Add(u"Since", ptTime, 0, 3);
    }
};

TEST(PropSetDefinitions, DefinitionsNameFieldsUntilFieldsAreMade) {
    TDefinedSet set(nullptr);
    TStringList names;
    set.GetFieldNames(&names);
    EXPECT_EQ(names.GetCommaText(), u"Speed,Mode,Since");
    set.GetFieldNames(&names);
    EXPECT_EQ(set.inits, 1);
    TPropFieldDefs* defs = set.GetFieldDefs();
    EXPECT_THROW(defs->Add(u"speed", ptString), Exception);
    EXPECT_THROW(defs->Add(u"", ptString), Exception);
    try {
        set.SetName(u"Options");
        defs->Find(u"Depth");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), u"Options: Field 'Depth' not found");
    }
    defs->GetItems(1)->GetValueNames()->AddValue(u"Slow", 1);
    EXPECT_EQ(set.GetFieldValuesList(u"Mode")->GetText(), u"Slow=1\r\n");

    set.CreateDefaultFields();
    ASSERT_EQ(set.GetFieldCount(), 3);
    EXPECT_EQ(set.GetField(0)->ClassType(), TIntegerPropField::StaticClass());
    EXPECT_EQ(set.GetField(1)->ClassType(), TEnumPropField::StaticClass());
    // A time definition makes a plain field.
    EXPECT_EQ(set.GetField(2)->ClassType(), TPropField::StaticClass());
    EXPECT_EQ(set.GetField(0)->GetFieldNo(), 1);
    EXPECT_EQ(set.GetField(1)->GetValueNames()->GetText(), u"Slow=1\r\n");
    EXPECT_EQ(set.GetFieldValuesList(u"MODE"), set.GetField(1)->GetValueNames());
    for (int i = set.GetFieldCount() - 1; i >= 0; --i)
        delete set.GetField(i);
}

TEST(PropSetDefinitions, FieldValuesByOneOrSeveralNames) {
    TIniPropSet set(nullptr);
    for (const char16_t* n : {u"A", u"B"}) {
        auto* f = new TIntegerPropField(&set);
        f->SetFieldName(n);
        f->SetPropSet(&set);
    }
    set.SetFieldValue(u"A", 1);
    set.SetFieldValue(u" B ; A ", VarArrayOf({20, 10}));
    EXPECT_EQ(set.GetFieldValue(u"a").AsInteger(), 10);
    Variant both = set.GetFieldValue(u"A;B");
    ASSERT_TRUE(both.IsArray());
    EXPECT_EQ(both[0].AsInteger(), 10);
    EXPECT_EQ(both[1].AsInteger(), 20);
    EXPECT_THROW(set.GetFieldValue(u"A;C"), Exception);
    EXPECT_THROW(set.SetFieldValue(u"A;B", 5), Exception);
}

// ---- Registration
// -------------------------------------------------------------------------------------------

std::vector<TPropFieldClass>* registered = nullptr;

void RecordRegistration(const TPropFieldClass* classes, int count) {
    registered->assign(classes, classes + count);
}

TEST(PropFieldRegistration, GoesThroughTheHostsRoutineOrFails) {
    ASSERT_EQ(RegisterPropFieldsProc, nullptr);
    try {
        RegisterPropFields({TIntegerPropField::StaticClass()});
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), u"Invalid Prop Field registration proc");
    }
    std::vector<TPropFieldClass> seen;
    registered = &seen;
    RegisterPropFieldsProc = RecordRegistration;
    RegisterPropFields({TIntegerPropField::StaticClass(), TColorPropField::StaticClass()});
    RegisterPropFieldsProc = nullptr;
    registered = nullptr;
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1]->ClassName(), u"TColorPropField");
}

} // namespace

// ---- Streaming and start-up ---------------------------------------------------------------------

namespace {

TEST(PropSetStreaming, FieldsReadInsideASetAttachToIt) {
    InitializeIDEPropSet();
    InitializeIDERegIniPropSet();
    TComponent root(nullptr);
    ObjectTextToComponent(uR"(
        TComponent Root {
            TIniPropSet Options {
                RootName = "Panel"
                TIntegerPropField OptionsWidth {
                    FieldName = "Width"
                    MaxValue = 10
                    DefaultValue = 4
                }
                TBooleanPropField OptionsOn { FieldName = "On" }
            }
        }
    )",
                          &root);
    auto* set = dynamic_cast<TIniPropSet*>(root.FindComponent(u"Options"));
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->GetRootName(), u"Panel");
    ASSERT_EQ(set->GetFieldCount(), 2);
    auto* width = dynamic_cast<TIntegerPropField*>(set->FieldByName(u"Width"));
    ASSERT_NE(width, nullptr);
    EXPECT_EQ(width->GetOwner(), &root);
    EXPECT_EQ(width->GetParentComponent(), set);
    EXPECT_EQ(width->GetValue().AsInteger(), 4);
    EXPECT_THROW(width->SetValue(11), Exception);
    FinalizeIDERegIniPropSet();
    FinalizeIDEPropSet();
}

TEST(PropSetUnits, StartUpRegistersTheClassesAndShutDownForgetsTheHostsRoutine) {
    Initialize();
    EXPECT_EQ(FindClass(u"TEnumPropField"), TEnumPropField::StaticClass());
    EXPECT_EQ(FindClass(u"TRegistryPropSet"), TRegistryPropSet::StaticClass());
    EXPECT_EQ(FindClass(u"THistoryManager"), THistoryManager::StaticClass());
    RegisterPropFieldsProc = [](const TPropFieldClass*, int) {};
    Finalize();
    EXPECT_EQ(RegisterPropFieldsProc, nullptr);
    EXPECT_THROW(FindClass(u"TEnumPropField"), EClassNotFound);
}

} // namespace
