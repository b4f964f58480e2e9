// Virtual namespace extensions: item ids, the factory and the folder side.
#include "ShellUnitFixture.h"

#include "benchkit/shell/IDEVirtualNamespace.h"

#include <runpak/TypeInfo.h>
#include <win32/winuser.h>

#include <cstring>

namespace {

constexpr GUID kFolderID = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr GUID kHookID = {0x44444444, 0x5555, 0x6666, {8, 7, 6, 5, 4, 3, 2, 1}};
constexpr GUID kOtherID = {0x77777777, 0x8888, 0x9999, {1, 1, 1, 1, 1, 1, 1, 1}};

PItemIDList ItemOf(const GUID& id, const UnicodeString& name) {
    TItemID item(id);
    item.SetInFolderName(name);
    return item.GetItemID();
}

// A folder of three named items that offers icon extractors and a menu.
class TTestFolder : public TBaseVirtualNamespaceExtension {
public:
    static TClass StaticClass() {
        static const TMetaClass meta(
            TClassBuilder<TTestFolder>(u"TTestFolder", TPersistent::StaticClass()));
        return &meta;
    }
    TClass ClassType() const override { return StaticClass(); }

    TItemID* CreateItemID() override { return new TItemID(kFolderID); }
    GUID GetExtensionClassID() override { return kFolderID; }
    TSupportedInterfaces GetSupportedInterfaces() override {
        return {siIExtractIconW, siIContextMenu};
    }
    PItemIDList EnumFirstChild(TFolderEnumFlags Flags) override {
        next_ = 0;
        return EnumNextChild(Flags);
    }
    PItemIDList EnumNextChild(TFolderEnumFlags) override {
        static const char16_t* names[] = {u"one", u"two", u"three"};
        return next_ < 3 ? ItemOf(kFolderID, names[next_++]) : nullptr;
    }
    IExtractIconW* CreateIExtractIconW(TPIDLList* List) override {
        return new TVirtualIExtractIconW(FAbsolutePIDL, List);
    }
    IContextMenu* CreateIContextMenu(TPIDLList* List) override;

private:
    int next_ = 0;
};

class TTestHook : public TTestFolder {
public:
    static TClass StaticClass() {
        static const TMetaClass meta(
            TClassBuilder<TTestHook>(u"TTestHook", TTestFolder::StaticClass()));
        return &meta;
    }
    TClass ClassType() const override { return StaticClass(); }
};

class TTestMenu : public TVirtualIContextMenu {
public:
    using TVirtualIContextMenu::TVirtualIContextMenu;
    UnicodeString invoked;

protected:
    bool FillMenu(HMENU Menu, UINT First, UINT, TContextMenuFlags) override {
        AddMenuItem(Menu, First + 0, u"Opens it", u"open", u"&Open");
        AddMenuItem(Menu, First + 1, u"Shows it", u"show", u"&Show");
        return true;
    }
    void Invoke(const TVirtualContextMenuItem& Item, LPCMINVOKECOMMANDINFO) override {
        invoked = Item.FVerb;
    }
    void CommandString(UINT CommandID, TCommandStringType, UnicodeString& Text) override {
        for (const auto& item : GetMenuItems())
            if (item.FCommandID == CommandID) Text = item.FHelp;
    }
};

IContextMenu* TTestFolder::CreateIContextMenu(TPIDLList* List) {
    return new TTestMenu(FAbsolutePIDL, List);
}

class VirtualNamespaceTest : public ShellUnitTest {
protected:
    void SetUp() override {
        ShellUnitTest::SetUp();
        InitializeIDEVirtualNamespace();
        factory_ = NamespaceExtensionFactory();
        factory_->RegisterNamespaceExtension(TTestFolder::StaticClass(), kFolderID, kHookID,
                                             TTestHook::StaticClass());
    }
    void TearDown() override {
        FinalizeIDEVirtualNamespace();
        ShellUnitTest::TearDown();
    }
    // A folder object for a one-item virtual PIDL.
    IShellFolder* Folder() {
        PItemIDList pidl = ItemOf(kFolderID, u"root");
        IShellFolder* folder = factory_->BindToVirtualObject(pidl);
        CoTaskMemFree(pidl);
        return folder;
    }
    TNamespaceExtensionFactory* factory_ = nullptr;
    TPIDLManager pidls_;
};

// The raw bytes of one item id with a given cb, GUID and stored name count.
PItemIDList RawItem(uint16_t cb, const GUID& id, uint32_t count) {
    std::vector<uint8_t> bytes(cb + 2u, 0);
    std::memcpy(bytes.data(), &cb, 2);
    if (cb >= 18) std::memcpy(bytes.data() + 2, &id, 16);
    if (cb >= 26) std::memcpy(bytes.data() + 22, &count, 4);
    for (size_t i = 26; i + 1 < cb; i += 2)
        bytes[i] = 'x';
    void* pidl = CoTaskMemAlloc(bytes.size());
    std::memcpy(pidl, bytes.data(), bytes.size());
    return static_cast<PItemIDList>(pidl);
}

} // namespace

TEST_F(VirtualNamespaceTest, AnItemIdCarriesItsNameAndReadsItBack) {
    struct Case {
        UnicodeString name;
        uint16_t cb;
    } cases[] = {{u"abc", 36}, {u"", 30}, {u"日本語の名前", 42}};
    for (const Case& c : cases) {
        PItemIDList pidl = ItemOf(kFolderID, c.name);
        EXPECT_EQ(pidl->mkid.cb, c.cb);
        EXPECT_EQ(pidls_.PIDLSize(pidl), c.cb + 2) << "the list ends right after the item";
        TItemID back(kFolderID);
        EXPECT_TRUE(back.SetItemID(pidl));
        EXPECT_EQ(back.GetInFolderName(), c.name);
        CoTaskMemFree(pidl);
    }
}

TEST_F(VirtualNamespaceTest, ItemsWithABadLengthAreRefusedUnreadAndShortItemsAreNeverVirtual) {
    struct Case {
        uint16_t cb;
        GUID id;
        uint32_t count;
        bool virtualPIDL, readable;
    } cases[] = {
        {36, kFolderID, 5, true, true},          // "xxx" and its two zeros exactly fill the item
        {36, kFolderID, 6, true, false},         // one unit more than the item holds
        {36, kFolderID, 0x7FFFFFFF, true, false}, // far past the end
        {36, kFolderID, 1, true, false},         // no room for the terminating zeros
        {22, kFolderID, 0, true, false},         // too short for the name's count
        {16, kFolderID, 5, false, false},        // 16 bytes or less is never virtual
        {36, kOtherID, 5, false, false},         // an unregistered class
    };
    for (const Case& c : cases) {
        PItemIDList pidl = RawItem(c.cb, c.id, c.count);
        EXPECT_EQ(factory_->IsVirtualPIDL(pidl), c.virtualPIDL) << c.cb << " " << c.count;
        TItemID item(kFolderID);
        EXPECT_EQ(item.SetItemID(pidl), c.readable) << c.cb << " " << c.count;
        if (!c.readable) {
            EXPECT_EQ(item.GetInFolderName(), u"");
        }
        CoTaskMemFree(pidl);
    }
}

TEST_F(VirtualNamespaceTest, ARootVirtualPIDLIsOneWhoseParentIsNotVirtual) {
    PItemIDList virtualItem = ItemOf(kFolderID, u"v");
    PItemIDList realItem = RawItem(8, GUID{}, 0);
    PItemIDList twoVirtual = pidls_.AppendPIDL(virtualItem, virtualItem);
    PItemIDList realThenVirtual = pidls_.AppendPIDL(realItem, virtualItem);
    EXPECT_TRUE(factory_->IsRootVirtualPIDL(virtualItem));
    EXPECT_FALSE(factory_->IsRootVirtualPIDL(twoVirtual));
    EXPECT_TRUE(factory_->IsRootVirtualPIDL(realThenVirtual));
    EXPECT_FALSE(factory_->IsRootVirtualPIDL(realItem));
    for (PItemIDList p : {virtualItem, realItem, twoVirtual, realThenVirtual})
        CoTaskMemFree(p);
}

TEST_F(VirtualNamespaceTest, AFolderEnumeratesOneItemPerCallAndAnswersItsIcon) {
    IShellFolder* folder = Folder();
    ASSERT_NE(folder, nullptr);
    IEnumIDList* items = nullptr;
    ASSERT_EQ(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items), S_OK);
    PITEMID_CHILD two[2] = {};
    EXPECT_EQ(items->Next(2, two, nullptr), E_FAIL);
    std::vector<UnicodeString> names;
    PITEMID_CHILD item = nullptr;
    ULONG fetched = 0;
    while (items->Next(1, &item, &fetched) == S_OK) {
        TItemID id(kFolderID);
        EXPECT_TRUE(id.SetItemID(item));
        names.push_back(id.GetInFolderName());
        CoTaskMemFree(item);
    }
    EXPECT_EQ(names, (std::vector<UnicodeString>{u"one", u"two", u"three"}));
    items->Release();

    IShellIcon* icons = nullptr;
    ASSERT_EQ(folder->QueryInterface(IID_IShellIcon, reinterpret_cast<void**>(&icons)), S_OK);
    int index = -5;
    EXPECT_EQ(icons->GetIconOf(nullptr, 0, &index), S_OK);
    EXPECT_EQ(index, 0);
    icons->Release();
    folder->Release();
}

TEST_F(VirtualNamespaceTest, PerSelectionObjectsAreMadeOnlyForTheRightNumberOfItems) {
    IShellFolder* folder = Folder();
    PItemIDList a = ItemOf(kFolderID, u"a"), b = ItemOf(kFolderID, u"b");
    PCUITEMID_CHILD one[] = {a}, both[] = {a, b};
    struct Case {
        IID iid;
        UINT count;
        PCUITEMID_CHILD* items;
        HRESULT result;
    } cases[] = {
        {IID_IExtractIconW, 1, one, S_OK},
        {IID_IExtractIconW, 2, both, E_NOTIMPL},
        {IID_IExtractIconA, 1, one, E_NOTIMPL}, // not supported by this folder
        {IID_IContextMenu, 2, both, S_OK},
        {IID_IQueryInfo, 1, one, E_NOTIMPL},
    };
    for (const Case& c : cases) {
        void* out = nullptr;
        EXPECT_EQ(folder->GetUIObjectOf(nullptr, c.count, c.items, c.iid, nullptr, &out), c.result);
        if (out) static_cast<IUnknown*>(out)->Release();
    }
    CoTaskMemFree(a);
    CoTaskMemFree(b);
    folder->Release();
}

TEST_F(VirtualNamespaceTest, AContextMenuPutsLaterItemsAboveAndInvokesByVerbOrOffset) {
    IShellFolder* folder = Folder();
    PItemIDList a = ItemOf(kFolderID, u"a");
    PCUITEMID_CHILD one[] = {a};
    IContextMenu* menu = nullptr;
    ASSERT_EQ(folder->GetUIObjectOf(nullptr, 1, one, IID_IContextMenu, nullptr,
                                    reinterpret_cast<void**>(&menu)),
              S_OK);
    HMENU popup = CreatePopupMenu();
    EXPECT_EQ(HRESULT_CODE(menu->QueryContextMenu(popup, 0, 1, 100, CMF_NORMAL)), 2);
    WCHAR text[32];
    GetMenuStringW(popup, 0, text, 32, MF_BYPOSITION);
    EXPECT_EQ(std::u16string(text), u"&Show");

    auto* object = dynamic_cast<TTestMenu*>(menu);
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = "open";
    EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    EXPECT_EQ(object->invoked, u"open");
    info.lpVerb = reinterpret_cast<LPCSTR>(uintptr_t(1)); // the second id handed out
    EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    EXPECT_EQ(object->invoked, u"show");

    WCHAR help[4];
    EXPECT_EQ(menu->GetCommandString(0, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(help), 4),
              S_OK);
    EXPECT_EQ(std::u16string(help), u"Ope") << "cut to the caller's buffer";
    EXPECT_EQ(menu->GetCommandString(7, GCS_VALIDATEW, nullptr, nullptr, 0), S_FALSE);
    DestroyMenu(popup);
    menu->Release();
    CoTaskMemFree(a);
    folder->Release();
}

TEST_F(VirtualNamespaceTest, HookedLocationsBindToTheRootHookClass) {
    PItemIDList place = RawItem(8, GUID{}, 0);
    factory_->HookPIDL(place, kFolderID, true);
    factory_->HookPIDL(place, kFolderID, false); // hooked already: nothing changes
    int index = -1;
    EXPECT_TRUE(factory_->IsHookedPIDL(place, index));
    EXPECT_TRUE(factory_->IsHardHookedPIDL(place));
    IShellFolder* hook = factory_->VirtualHook(place);
    ASSERT_NE(hook, nullptr);
    auto* object = dynamic_cast<TTestHook*>(hook);
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(ILIsEqual(object->GetAbsolutePIDL(), place));
    hook->Release();

    PItemIDList inside = ItemOf(kFolderID, u"x");
    PItemIDList root = factory_->RootVirtualNamespaceHookPIDL(inside);
    CoTaskMemFree(inside);
    TItemID id(kHookID);
    EXPECT_TRUE(id.SetItemID(root));
    EXPECT_EQ(id.GetInFolderName(), u"Qozkits VirtualNamespace Hook");
    CoTaskMemFree(root);
    factory_->UnHookPIDL(place);
    EXPECT_FALSE(factory_->IsHookedPIDL(place, index));
    CoTaskMemFree(place);
}

TEST_F(VirtualNamespaceTest, SavingAndLoadingTheFactoryKeepsClassIdsAndClasses) {
    factory_->RegisterNamespaceExtension(TTestHook::StaticClass(), kOtherID, kHookID, nullptr);
    TMemoryStream stream;
    factory_->SaveToStream(&stream);
    factory_->ClearExtensions();
    stream.SetPosition(0);
    ASSERT_TRUE(factory_->LoadFromStream(&stream));
    ASSERT_EQ(factory_->GetCount(), 2);
    EXPECT_EQ(factory_->GetNamespaceItems(0)->FNamespaceExtClassID, kFolderID);
    EXPECT_EQ(factory_->GetNamespaceItems(0)->FNamespaceExtClass, TTestFolder::StaticClass());
    EXPECT_EQ(factory_->GetNamespaceItems(1)->FNamespaceExtClass, TTestHook::StaticClass());

    TMemoryStream cut; // a stream that ends inside the first class name
    cut.WriteBuffer(stream.GetMemory(), 30);
    cut.SetPosition(0);
    EXPECT_FALSE(factory_->LoadFromStream(&cut));
}
