#include <runpak/Component.h>
#include <runpak/Exceptions.h>

#include <gtest/gtest.h>

#include "CaseName.h"
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

std::string Utf8(const UnicodeString& text) {
    return UnicodeToUtf8(text);
}

// A component that writes what happens to it into a shared log.
class TProbe : public TComponent {
public:
    TProbe(TComponent* AOwner, const char16_t* name, Log* log) : TComponent(AOwner), FLog(log) {
        SetName(name);
    }
    ~TProbe() override {
        std::string entry = "delete " + Utf8(GetName());
        if (GetComponentState().Contains(csDestroying)) entry += " (destroying)";
        FLog->push_back(entry);
    }
    void Loaded() override {
        TComponent::Loaded();
        FLog->push_back("loaded " + Utf8(GetName()));
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        FLog->push_back(Utf8(GetName()) + (Operation == opInsert ? " +" : " -") +
                        Utf8(AComponent->GetName()));
    }

    Log* FLog;
};

// Keeps a pointer to another component and forgets it when told, as
// components do with their image lists and popup menus.
class TWatcher : public TProbe {
public:
    using TProbe::TProbe;
    void Watch(TComponent* target) {
        FTarget = target;
        if (target) target->FreeNotification(this);
    }
    TComponent* FTarget = nullptr;
    TComponent* FVictim = nullptr; // deleted when the target goes

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TProbe::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == FTarget) {
            FTarget = nullptr;
            FreeAndNil(FVictim);
        }
    }
};

// A Notification override that forgets to call the base.
class TForgetful : public TComponent {
public:
    using TComponent::TComponent;
    int Removals = 0;

protected:
    void Notification(TComponent*, TOperation Operation) override {
        if (Operation == opRemove) ++Removals;
    }
};

} // namespace

TEST(TComponentOwnership, OwnerDeletesItsComponentsLastFirst) {
    Log log;
    auto* owner = new TProbe(nullptr, u"Form", &log);
    auto* a = new TProbe(owner, u"A", &log);
    auto* b = new TProbe(owner, u"B", &log);
    new TProbe(owner, u"C", &log);
    ASSERT_EQ(owner->GetComponentCount(), 3);
    EXPECT_EQ(owner->GetComponents(0), a);
    EXPECT_EQ(b->GetComponentIndex(), 1);
    EXPECT_EQ(b->GetOwner(), owner);
    EXPECT_EQ(owner->GetComponentIndex(), -1);

    log.clear();
    delete owner;
    EXPECT_EQ(log, (Log{"delete Form", "delete C (destroying)", "delete B (destroying)",
                        "delete A (destroying)"}));
}

TEST(TComponentOwnership, AComponentDeletedFirstLeavesItsOwner) {
    Log log;
    TProbe owner(nullptr, u"Form", &log);
    auto* a = new TProbe(&owner, u"A", &log);
    auto* b = new TProbe(&owner, u"B", &log);
    // Told while the constructor runs, before the names are set; the owner
    // passes it on to what it already owns.
    EXPECT_EQ(log, (Log{"Form +", "A +", "Form +"}));
    log.clear();
    delete a;
    EXPECT_EQ(log, (Log{"delete A", "B -A", "Form -A"}));
    ASSERT_EQ(owner.GetComponentCount(), 1);
    EXPECT_EQ(owner.GetComponents(0), b);
    EXPECT_EQ(b->GetComponentIndex(), 0);
}

TEST(TComponentOwnership, IndexOutOfRangeRaisesListError) {
    TComponent owner(nullptr);
    new TComponent(&owner);
    try {
        owner.GetComponents(3);
        FAIL() << "no exception";
    } catch (const EListError& e) {
        EXPECT_EQ(e.GetMessage(), u"List index out of bounds (3)");
    }
    EXPECT_THROW(owner.GetComponents(-1), EListError);
}

TEST(TComponentOwnership, ComponentIndexMovesAndClamps) {
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    auto* c = new TComponent(&owner);
    c->SetComponentIndex(0);
    EXPECT_EQ(owner.GetComponents(0), c);
    EXPECT_EQ(owner.GetComponents(1), a);
    c->SetComponentIndex(99);
    EXPECT_EQ(owner.GetComponents(2), c);
    EXPECT_EQ(b->GetComponentIndex(), 1);
}

TEST(TComponentOwnership, InsertComponentMovesFromTheOldOwner) {
    Log log;
    TProbe first(nullptr, u"First", &log);
    TProbe second(nullptr, u"Second", &log);
    auto* a = new TProbe(&first, u"A", &log);
    log.clear();
    second.InsertComponent(a);
    EXPECT_EQ(a->GetOwner(), &second);
    EXPECT_EQ(first.GetComponentCount(), 0);
    EXPECT_EQ(second.GetComponentCount(), 1);
    EXPECT_EQ(log, (Log{"A -A", "First -A", "A +A", "Second +A"}));
}

TEST(TComponentOwnership, InsertingADuplicateNameOrACycleIsRefused) {
    TComponent first(nullptr);
    TComponent second(nullptr);
    auto* a = new TComponent(&first);
    a->SetName(u"Edit1");
    auto* b = new TComponent(&second);
    b->SetName(u"EDIT1");
    EXPECT_THROW(second.InsertComponent(a), EComponentError);
    EXPECT_EQ(a->GetOwner(), &first); // left where it was

    auto* child = new TComponent(b);
    EXPECT_THROW(child->InsertComponent(b), EComponentError);
    EXPECT_THROW(b->InsertComponent(b), EComponentError);
    EXPECT_EQ(child->GetOwner(), b);
}

struct NameCase {
    const char16_t* name;
    bool valid;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << '"' << Utf8(c.name) << '"';
}

class TComponentNames : public testing::TestWithParam<NameCase> {};

TEST_P(TComponentNames, AcceptsIdentifiersOnly) {
    TComponent component(nullptr);
    const NameCase& c = GetParam();
    if (c.valid) {
        component.SetName(c.name);
        EXPECT_EQ(component.GetName(), c.name);
        return;
    }
    try {
        component.SetName(c.name);
        FAIL() << "accepted " << Utf8(c.name);
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.GetMessage(),
                  u"'" + UnicodeString(c.name) + u"' is not a valid component name");
        EXPECT_EQ(component.GetName(), u"");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, TComponentNames,
                         testing::Values(NameCase{u"Button1", true}, NameCase{u"_x", true},
                                         NameCase{u"a", true}, NameCase{u"A_b_9", true},
                                         NameCase{u"", true}, NameCase{u"1abc", false},
                                         NameCase{u"a b", false}, NameCase{u"a.b", false},
                                         NameCase{u"a-b", false}, NameCase{u" x", false},
                                         NameCase{u"x ", false}, NameCase{u"\u00e4", false},
                                         NameCase{u"Ed\u30c6it", false}),
                         CaseName());

TEST(TComponentNames, AreUniqueUnderOneOwnerRegardlessOfCase) {
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName(u"Edit1");
    try {
        b->SetName(u"EDIT1");
        FAIL() << "duplicate accepted";
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.GetMessage(), u"A component named EDIT1 already exists");
    }
    EXPECT_EQ(b->GetName(), u"");
    a->SetName(u"EDIT1"); // a new spelling of its own name
    EXPECT_EQ(a->GetName(), u"EDIT1");
    new TComponent(&owner); // unnamed components may be many
    EXPECT_EQ(owner.FindComponent(u"edit1"), a);
    EXPECT_EQ(owner.FindComponent(u""), nullptr);
    EXPECT_EQ(owner.FindComponent(u"Edit2"), nullptr);

    TComponent loose1(nullptr), loose2(nullptr);
    loose1.SetName(u"Same");
    loose2.SetName(u"Same"); // without owner nothing clashes
}

TEST(TComponentState, ItemsAreInTheirDocumentedBitOrder) {
    EXPECT_EQ(TComponentState{csLoading}.ToInt(), 1u << 0);
    EXPECT_EQ(TComponentState{csDestroying}.ToInt(), 1u << 3);
    EXPECT_EQ(TComponentState{csDesigning}.ToInt(), 1u << 4);
    EXPECT_EQ(TComponentState{csFreeNotification}.ToInt(), 1u << 8);
    EXPECT_EQ(TComponentState{csDesignInstance}.ToInt(), 1u << 10);
}

TEST(TComponentState, LoadedClearsLoadingAndReachesOverrides) {
    Log log;
    TProbe probe(nullptr, u"P", &log);
    probe.Loading();
    EXPECT_TRUE(probe.GetComponentState().Contains(csLoading));
    probe.Loaded();
    EXPECT_FALSE(probe.GetComponentState().Contains(csLoading));
    EXPECT_EQ(log, (Log{"loaded P"}));
}

TEST(TComponentState, DesigningReachesOwnedAndInsertedComponents) {
    TComponent form(nullptr);
    auto* a = new TComponent(&form);
    form.SetDesigning(true);
    EXPECT_TRUE(a->GetComponentState().Contains(csDesigning));
    auto* b = new TComponent(&form);
    EXPECT_TRUE(b->GetComponentState().Contains(csDesigning));
    form.SetDesigning(false, false);
    EXPECT_FALSE(form.GetComponentState().Contains(csDesigning));
    EXPECT_TRUE(a->GetComponentState().Contains(csDesigning));
}

TEST(TComponentState, FreeAndNilMarksDestroyingBeforeTheDestructorsRun) {
    Log log;
    auto* probe = new TProbe(nullptr, u"P", &log);
    new TProbe(probe, u"Child", &log);
    log.clear();
    FreeAndNil(probe);
    EXPECT_EQ(probe, nullptr);
    EXPECT_EQ(log, (Log{"delete P (destroying)", "delete Child (destroying)"}));
}

TEST(TComponentFreeNotification, TellsTheWatcherWhicheverIsDeletedFirst) {
    for (bool targetFirst : {true, false}) {
        SCOPED_TRACE(targetFirst);
        Log log;
        auto* target = new TProbe(nullptr, u"Target", &log);
        auto* watcher = new TWatcher(nullptr, u"Watcher", &log);
        watcher->Watch(target);
        EXPECT_TRUE(target->GetComponentState().Contains(csFreeNotification));
        if (targetFirst) {
            delete target;
            EXPECT_EQ(watcher->FTarget, nullptr);
            EXPECT_EQ(log, (Log{"delete Target", "Watcher -Target"}));
            delete watcher;
        } else {
            delete watcher;
            log.clear();
            delete target; // must not reach the deleted watcher
            EXPECT_EQ(log, (Log{"delete Target"}));
        }
    }
}

TEST(TComponentFreeNotification, WorksAcrossOwnersAndWhenOwnersGo) {
    Log log;
    auto* form1 = new TProbe(nullptr, u"Form1", &log);
    TProbe form2(nullptr, u"Form2", &log);
    auto* images = new TProbe(form1, u"Images", &log);
    auto* list = new TWatcher(&form2, u"List", &log);
    list->Watch(images);
    delete form1;
    EXPECT_EQ(list->FTarget, nullptr);
}

TEST(TComponentFreeNotification, RemoveFreeNotificationUnlinksBothSides) {
    Log log;
    TProbe target(nullptr, u"Target", &log);
    auto* watcher = new TWatcher(nullptr, u"Watcher", &log);
    watcher->Watch(&target);
    target.RemoveFreeNotification(watcher);
    delete watcher;
    log.clear();
    // target's destructor runs at the end of the test: ASan catches a dangling link.
}

TEST(TComponentFreeNotification, AnOverrideWithoutTheBaseLeavesNothingDangling) {
    auto* target = new TComponent(nullptr);
    auto* forgetful = new TForgetful(nullptr);
    target->FreeNotification(forgetful);
    delete target;
    EXPECT_EQ(forgetful->Removals, 1);
    delete forgetful; // would touch the deleted target if its link had survived
}

TEST(TComponentFreeNotification, HandlersMayDeleteOthersWhileTheListIsWalked) {
    Log log;
    // The owner deletes the target first; the watcher, told, deletes the
    // victim, another component of the same owner.
    auto* owner = new TProbe(nullptr, u"Owner", &log);
    auto* victim = new TProbe(owner, u"Victim", &log);
    auto* watcher = new TWatcher(owner, u"Watcher", &log);
    auto* target = new TProbe(owner, u"Target", &log);
    watcher->Watch(target);
    watcher->FVictim = victim;
    log.clear();
    delete owner;
    int deletes = 0;
    for (const auto& entry : log)
        if (entry.rfind("delete ", 0) == 0) ++deletes;
    EXPECT_EQ(deletes, 4);

    // A free-notification list changing under its walk: the first watcher
    // told deletes the other one.
    Log log2;
    auto* source = new TProbe(nullptr, u"Source", &log2);
    auto* second = new TWatcher(nullptr, u"Second", &log2);
    auto* first = new TWatcher(nullptr, u"First", &log2);
    second->Watch(source);
    first->Watch(source);
    first->FVictim = second;
    delete source;
    EXPECT_EQ(first->FVictim, nullptr);
    EXPECT_EQ(first->FTarget, nullptr);
    delete first;
}

namespace {

class TPoint2 : public TPersistent {
public:
    int X = 0, Y = 0;
    void Assign(TPersistent* Source) override {
        if (auto* other = dynamic_cast<TPoint2*>(Source)) {
            X = other->X;
            Y = other->Y;
            return;
        }
        TPersistent::Assign(Source);
    }
};

class TColorBox : public TPersistent {};

// Knows how to put itself into a TPoint2, which does not know it.
class TPolar : public TPersistent {
protected:
    void AssignTo(TPersistent* Dest) override {
        if (auto* point = dynamic_cast<TPoint2*>(Dest)) {
            point->X = 1;
            return;
        }
        TPersistent::AssignTo(Dest);
    }
};

class TOwnedPart : public TPersistent {
public:
    explicit TOwnedPart(TPersistent* owner) : FOwner(owner) {}
    TPersistent* GetOwner() const override { return FOwner; }

private:
    TPersistent* FOwner;
};

} // namespace

TEST(TPersistentAssign, CopiesWhenEitherSideKnowsHowAndRaisesOtherwise) {
    TPoint2 a, b;
    b.X = 3;
    b.Y = 4;
    a.Assign(&b);
    EXPECT_EQ(a.X, 3);
    EXPECT_EQ(a.Y, 4);

    TPolar polar;
    a.Assign(&polar);
    EXPECT_EQ(a.X, 1);

    TColorBox box;
    try {
        a.Assign(&box);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.GetMessage(), u"Cannot assign a TColorBox to a TPoint2");
    }
    try {
        box.Assign(nullptr);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.GetMessage(), u"Cannot assign a nil to a TColorBox");
    }
    EXPECT_THROW(polar.Assign(&a), EConvertError);
}

TEST(TPersistentNamePath, FollowsOwners) {
    TComponent form(nullptr);
    form.SetName(u"Form1");
    TOwnedPart part(&form);
    EXPECT_EQ(part.GetNamePath(), u"Form1.TOwnedPart");
    TOwnedPart loose(nullptr);
    EXPECT_EQ(loose.GetNamePath(), u"TOwnedPart");
    EXPECT_EQ(form.GetNamePath(), u"Form1");
}
