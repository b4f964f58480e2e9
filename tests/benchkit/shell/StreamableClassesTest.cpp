#include "ShellTestSupport.h"
#include "benchkit/shell/IDEVirtualShellUtilities.h"

#include <runpak/Exceptions.h>

#include <gtest/gtest.h>

namespace {

// A descendant the way persisted explorer objects extend the frame.
class TNamedThing : public TStreamableClass {
public:
    UnicodeString Name;
    void LoadFromStream(TStream* S, int Version, bool ReadVerFromStream) override {
        TStreamableClass::LoadFromStream(S, Version, ReadVerFromStream);
        Name = LoadWideString(S);
    }
    void SaveToStream(TStream* S, int Version, bool WriteVerToStream) override {
        TStreamableClass::SaveToStream(S, Version, WriteVerToStream);
        SaveWideString(S, Name);
    }
};

class TNumberList : public TStreamableList {
public:
    int Cleared = 0;
    void Clear() override {
        ++Cleared;
        TStreamableList::Clear();
    }
    void LoadFromStream(TStream* S, int Version, bool ReadVerFromStream) override {
        TStreamableList::LoadFromStream(S, Version, ReadVerFromStream);
        int32_t count;
        S->ReadBuffer(&count, 4);
        for (int i = 0; i < count; ++i) {
            int32_t v;
            S->ReadBuffer(&v, 4);
            Add(reinterpret_cast<void*>(intptr_t(v)));
        }
    }
    void SaveToStream(TStream* S, int Version, bool WriteVerToStream) override {
        TStreamableList::SaveToStream(S, Version, WriteVerToStream);
        int32_t count = GetCount();
        S->WriteBuffer(&count, 4);
        for (int i = 0; i < count; ++i) {
            int32_t v = static_cast<int32_t>(reinterpret_cast<intptr_t>(GetItems(i)));
            S->WriteBuffer(&v, 4);
        }
    }
};

} // namespace

TEST(StreamableClass, FreshObjectsHaveNoVersion) {
    EXPECT_EQ(TStreamableClass().GetStreamVersion(), -1);
    EXPECT_EQ(TStreamableList().GetStreamVersion(), -1);
}

TEST(StreamableClass, VersionFieldIsOptional) {
    TStreamableClass object;
    TMemoryStream stream;
    object.SaveToStream(&stream, 7, false);
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_EQ(object.GetStreamVersion(), 7);
    object.SaveToStream(&stream, 9, true);
    EXPECT_EQ(stream.GetSize(), 4);
    EXPECT_EQ(static_cast<const uint8_t*>(stream.GetMemory())[0], 9);

    stream.SetPosition(0);
    object.LoadFromStream(&stream, 3, false);
    EXPECT_EQ(object.GetStreamVersion(), 3);
    EXPECT_EQ(stream.GetPosition(), 0) << "nothing read without the flag";
    object.LoadFromStream(&stream, 3, true);
    EXPECT_EQ(object.GetStreamVersion(), 9);
}

TEST(StreamableClass, ShortStreamRaisesReadError) {
    TStreamableClass object;
    TBytesStream stream(TBytes{1, 2});
    EXPECT_THROW(object.LoadFromStream(&stream, 0, true), EReadError);
}

TEST(StreamableClass, DescendantRoundTripsThroughAFile) {
    ShellTempFolder dir;
    TNamedThing thing;
    thing.Name = u"view";
    thing.SaveToFile(dir.Windows(u"thing.bin"), 4, true);
    EXPECT_EQ(dir.Read("thing.bin").size(), 4u + 4u + 8u);
    TNamedThing back;
    back.LoadFromFile(dir.Windows(u"thing.bin"), 0, true);
    EXPECT_EQ(back.GetStreamVersion(), 4);
    EXPECT_EQ(back.Name, u"view");
    EXPECT_THROW(back.LoadFromFile(dir.Windows(u"missing.bin"), 0, true), EFCreateError);
}

TEST(StreamableList, LoadClearsFirst) {
    TNumberList list;
    list.Add(reinterpret_cast<void*>(1));
    TMemoryStream stream;
    int32_t zero = 0;
    stream.WriteBuffer(&zero, 4);
    stream.SetPosition(0);
    list.LoadFromStream(&stream, 2, false);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.Cleared, 1);
    EXPECT_EQ(list.GetStreamVersion(), 2);
}

TEST(StreamableList, FilesCarryNoVersionWhateverTheArguments) {
    ShellTempFolder dir;
    TNumberList list;
    list.Add(reinterpret_cast<void*>(5));
    list.Add(reinterpret_cast<void*>(6));
    list.SaveToFile(dir.Windows(u"list.bin"), 8, true);
    EXPECT_EQ(list.GetStreamVersion(), 0);
    EXPECT_EQ(dir.Read("list.bin").size(), 12u) << "count and two items, no version";
    TNumberList back;
    back.LoadFromFile(dir.Windows(u"list.bin"), 8, true);
    ASSERT_EQ(back.GetCount(), 2);
    EXPECT_EQ(back.GetItems(1), reinterpret_cast<void*>(6));
    EXPECT_EQ(back.GetStreamVersion(), 0);
}

TEST(ReferenceCounted, LastReleaseFrees) {
    static int freed = 0;
    struct Probe : TReferenceCounted {
        ~Probe() override { ++freed; }
    };
    auto* p = new Probe;
    p->AddRef();
    p->AddRef();
    p->Release();
    EXPECT_EQ(freed, 0);
    p->Release();
    EXPECT_EQ(freed, 1);
    auto* list = new TReferenceCountedList;
    list->AddRef();
    list->Release(); // freed; the leak checker sees it otherwise
}
