// The tree's life: construction and destruction, the resources all trees
// share, update brackets, and the delayed change and structure-change
// notifications.
#include "benchkit/vtree/IDEVirtualTrees.h"
#include "benchkit/vtree/IDEVTAccessibility.h"

#include "benchkit/vtree/VirtualTreeShared.h"
#include "benchkit/vtree/VirtualTreeWorker.h"

#include <quorlpak/ImgList.h>
#include <quorlpak/Picture.h>
#include <quorlpak/Screen.h>

#include <runpak/SyncObjs.h>
#include <runpak/TypeInfo.h>
#include <win32/combaseapi.h>
#include <win32/windows.h>

#include <memory>

// Clipboard formats of the trees, registered with the first tree.
uint16_t CF_VIRTUALTREE = 0;
uint16_t CF_VTREFERENCE = 0;
uint16_t CF_HTML = 0;
uint16_t CF_VRTF = 0;
uint16_t CF_VRTFNOOBJS = 0;
uint16_t CF_CSV = 0;
bool IsWinNT = false;
bool IsWin2K = false;
bool IsWinXP = false;
bool IsWinVistaOrAbove = false;
bool MMXAvailable = false;

namespace {

// The unit's shared state: made by unit start-up and the first tree,
// undone by unit shut-down.
struct TUnitState {
    std::unique_ptr<TCriticalSection> Lock;
    bool NeedToUnitialize = false; // the shared set-up ran
    bool OleInitialized = false;
};

TUnitState& Unit() {
    static TUnitState state;
    return state;
}

void SharedSetUp() {
    TUnitState& unit = Unit();
    unit.NeedToUnitialize = true;
    const DWORD version = GetVersion();
    const unsigned major = LOBYTE(LOWORD(version));
    const unsigned minor = HIBYTE(LOWORD(version));
    IsWinNT = (version & 0x80000000u) == 0;
    IsWin2K = major == 5 && minor == 0;
    IsWinXP = major == 5 && minor == 1;
    IsWinVistaOrAbove = major > 5;
    MMXAvailable = HasMMX();
    unit.OleInitialized = SUCCEEDED(OleInitialize(nullptr));
    CF_VTREFERENCE = uint16_t(RegisterClipboardFormatW(u"Virtual Tree Reference"));
    timeBeginPeriod(1);
    if (Screen) Screen->SetCursors(63, vtree::HeaderSplitCursor());
    // The formats the trees offer, by preference: nodes first, then text.
    const TClass strings = TCustomVirtualStringTree::StaticClass();
    CF_VIRTUALTREE = RegisterVTClipboardFormat(u"Virtual Tree Data",
                                               TBaseVirtualTree::StaticClass(), 50);
    CF_HTML = RegisterVTClipboardFormat(u"HTML Format", strings, 80);
    CF_VRTFNOOBJS = RegisterVTClipboardFormat(u"Rich Text Format Without Objects", strings, 84);
    CF_VRTF = RegisterVTClipboardFormat(u"Rich Text Format", strings, 85);
    CF_CSV = RegisterVTClipboardFormat(u"CSV", strings, 90);
    RegisterVTClipboardFormat(uint16_t(CF_UNICODETEXT), strings, 95);
    RegisterVTClipboardFormat(uint16_t(CF_TEXT), strings, 100);
}

const char16_t* const ErrorMessages[] = {
    u"Edit link must not be nil.",
    u"Target node cannot be a child node of the node to be moved.",
    u"Unable to load tree structure, the format is wrong.",
    u"Unable to load tree structure, the version is unknown.",
    u"Unable to load tree structure, not enough data available.",
    u"Stream data corrupt. A node's anchor chunk is missing.",
    u"Stream data corrupt. Unexpected data after node's end position.",
    u"Clipboard operation failed.",
    u"Cannot set initial user data because there is not enough user data space allocated.",
};

TCustomVirtualTreeOptions* MakeDefaultOptions(TBaseVirtualTree* Owner) {
    return new TVirtualTreeOptions(Owner);
}

} // namespace

void ShowVirtualTreeError(int Code) {
    const int index = Code - hcTFEditLinkIsNil;
    const char16_t* text = (index >= 0 && index < int(std::size(ErrorMessages)))
                               ? ErrorMessages[index]
                               : u"Virtual tree error.";
    throw EVirtualTreeError(text, Code);
}

namespace vtree {

namespace {
std::unique_ptr<TCustomImageList> systemChecks;
std::unique_ptr<TCustomImageList> systemFlatChecks;
std::unique_ptr<TCustomImageList> resourceChecks[ckXP + 1]; // ckLightCheck .. ckXP
} // namespace

// The drawn kinds come from the library's artwork (all but the XP strip
// colour-mapped); the system kinds are drawn by the layer in the classic look.
TCustomImageList* SharedCheckImages(TCheckImageKind Kind) {
    if (Kind == ckCustom) return nullptr;
    const bool fromResource = Kind <= ckXP;
    std::unique_ptr<TCustomImageList>& list = fromResource ? resourceChecks[Kind]
                                              : Kind == ckSystemFlat ? systemFlatChecks
                                                                     : systemChecks;
    TCriticalSection* lock = Unit().Lock.get();
    if (lock) lock->Enter();
    if (!list) {
        list = std::make_unique<TCustomImageList>(nullptr);
        if (fromResource)
            LoadCheckImages(list.get(), CheckResourceName(Kind), Kind != ckXP);
        else
            BuildSystemCheckImages(list.get(), Kind == ckSystemFlat);
    }
    if (lock) lock->Leave();
    return list.get();
}

void ReloadSharedCheckImages() {
    TCriticalSection* lock = Unit().Lock.get();
    if (lock) lock->Enter();
    for (TCheckImageKind kind : {ckLightCheck, ckDarkCheck, ckLightTick, ckDarkTick, ckFlat})
        if (resourceChecks[kind]) LoadCheckImages(resourceChecks[kind].get(), CheckResourceName(kind), true);
    ReloadUtilityImages();
    if (lock) lock->Leave();
}

void FreeSharedCheckImages() {
    systemChecks.reset();
    systemFlatChecks.reset();
    for (auto& list : resourceChecks)
        list.reset();
    FreeUtilityImages();
}

} // namespace vtree

void InitializeIDEVirtualTrees() {
    Unit().Lock = std::make_unique<TCriticalSection>();
}

void FinalizeIDEVirtualTrees() {
    TUnitState& unit = Unit();
    if (unit.NeedToUnitialize) {
        unit.NeedToUnitialize = false;
        timeEndPeriod(1);
        if (unit.OleInitialized) OleUninitialize();
        unit.OleInitialized = false;
    }
    ClearVTClipboardFormats();
    vtree::FreeSharedCheckImages();
    vtree::ResetWorkerStart();
    unit.Lock.reset();
}

// --- Construction ------------------------------------------------------------------------

TClass TBaseVirtualTree::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TBaseVirtualTree>(u"TBaseVirtualTree", TCustomControl::StaticClass()));
    return &meta;
}

TBaseVirtualTree::TBaseVirtualTree(TComponent* AOwner) : TCustomControl(AOwner) {
    Construct(MakeDefaultOptions);
}

TBaseVirtualTree::TBaseVirtualTree(TComponent* AOwner, TOptionsFactory MakeOptions)
    : TCustomControl(AOwner) {
    Construct(MakeOptions ? MakeOptions : MakeDefaultOptions);
}

void TBaseVirtualTree::Construct(TOptionsFactory MakeOptions) {
    if (!Unit().NeedToUnitialize) SharedSetUp();
    TControlStyle style = GetControlStyle();
    style.Exclude(csSetCaption);
    style +=
        TControlStyle{csCaptureMouse, csOpaque, csReplicatable, csDisplayDragImage, csReflector};
    SetControlStyle(style);
    FColors = new TVTColors(this);
    FScrollBarOptions = new TScrollBarOptions(this);
    FClipboardFormats = new TClipboardFormats(this);
    FOptions = MakeOptions(this);
    FHeader = new TVTHeader(this);
    FImageChangeLink = new TChangeLink();
    FStateChangeLink = new TChangeLink();
    FCustomCheckChangeLink = new TChangeLink();
    for (TChangeLink* link : {FImageChangeLink, FStateChangeLink, FCustomCheckChangeLink})
        link->OnChange = [this](TObject*) { Invalidate(); };
    FBackground = new TPicture();
    FCheckImages = vtree::SharedCheckImages(FCheckImageKind);
    InitRootNode();
    SetBounds(GetLeft(), GetTop(), 200, 100);
    SetTabStop(true);
    SetParentColor(false);
    // Registering may fail (no event for the worker): nothing leaks then.
    auto abandon = runpak::ScopeExit([this] {
        delete FOptions;
        delete FClipboardFormats;
        delete FScrollBarOptions;
        delete FColors;
        delete FHeader;
        delete FImageChangeLink;
        delete FStateChangeLink;
        delete FCustomCheckChangeLink;
        delete FBackground;
        FreeNodeBlock(FRoot);
    });
    vtree::AcquireWorker();
    abandon.Release();
}

void TBaseVirtualTree::AfterConstruction() {
    if (!FCreatedRoot) InitRootNode();
}

TBaseVirtualTree::~TBaseVirtualTree() {
    FDestroying = true;
    // Clients may keep the accessible objects longer than the tree lives.
    for (IAccessible* object : {FAccessible.Get(), FAccessibleItem.Get()})
        if (auto* own = dynamic_cast<TVTAccessibleObject*>(object)) own->Disconnect();
    FOptions->FMiscOptions.Exclude(toReadOnly);
    vtree::ReleaseWorker(this);
    StopWheelPanning();
    CancelEditNode();
    delete FClipboardFormats;
    FClipboardFormats = nullptr;
    Clear();
    // The window goes while the options it consults on its way out still exist.
    if (HandleAllocated()) DestroyHandle();
    delete FHeader;
    FHeader = nullptr;
    delete FImageChangeLink;
    delete FStateChangeLink;
    delete FCustomCheckChangeLink;
    delete FBackground;
    delete FPlusBM;
    delete FMinusBM;
    if (FDottedBrush) DeleteObject(FDottedBrush);
    delete FColors;
    delete FScrollBarOptions;
    delete FOptions;
    FColors = nullptr;
    FScrollBarOptions = nullptr;
    FOptions = nullptr;
    FreeNodeBlock(FRoot);
    FRoot = nullptr;
}

void TBaseVirtualTree::SetClipboardFormats(TClipboardFormats* Value) {
    FClipboardFormats->Assign(Value);
}

void TBaseVirtualTree::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    if (HandleAllocated()) RecreateWnd();
}

bool TBaseVirtualTree::CanApplyEffects() const {
    return !GetComponentState().Contains(csLoading) && HandleAllocated();
}

void TBaseVirtualTree::Loaded() {
    TCustomControl::Loaded();
    if (HasState(tsNeedRootCountUpdate) && FRoot->ChildCount > 0) {
        DoStateChange({}, {tsNeedRootCountUpdate});
        const bool readOnly = ReadOnly();
        FOptions->FMiscOptions.Exclude(toReadOnly);
        const uint32_t count = FRoot->ChildCount;
        FRoot->ChildCount = 0;
        auto writable = runpak::ScopeExit([this, readOnly] {
            if (readOnly) FOptions->FMiscOptions.Include(toReadOnly);
        });
        auto update = runpak::UpdateBracket(*this);
        SetChildCount(FRoot, count);
    } else if (HasState(tsNeedRootCountUpdate)) {
        DoStateChange({}, {tsNeedRootCountUpdate});
    }
    // The columns were read one by one; now they can take their places.
    Updating();
    auto updated = runpak::ScopeExit([this] { Updated(); });
    FHeader->UpdateMainColumn();
    FHeader->GetColumns()->FixPositions();
    if (FOptions->GetAutoOptions().Contains(toAutoBidiColumnOrdering))
        FHeader->GetColumns()->ReorderColumns(UseRightToLeftAlignment());
    FHeader->RecalculateHeader();
    if (FHeader->GetOptions().Contains(hoAutoResize))
        FHeader->GetColumns()->AdjustAutoSize(InvalidColumn, true);
}

// --- Update brackets ------------------------------------------------------------------------

void TBaseVirtualTree::BeginUpdate() {
    if (!FDestroying) {
        if (FUpdateCount > 0) {
            DoUpdating(usUpdate);
        } else {
            DoUpdating(usBegin);
            SetUpdateState(true);
        }
    }
    ++FUpdateCount;
    DoStateChange({tsUpdating});
}

void TBaseVirtualTree::EndUpdate() {
    auto check = CheckedChange();
    if (FUpdateCount > 0) --FUpdateCount;
    if (FDestroying) return;
    if (FUpdateCount == 0 && HasState(tsUpdating)) {
        if (HasState(tsUpdateHiddenChildrenNeeded)) {
            DetermineHiddenChildrenFlagAllNodes();
            DoStateChange({}, {tsUpdateHiddenChildrenNeeded});
        }
        DoStateChange({}, {tsUpdating});
        PackSelection();
        InvalidateCache();
        ValidateCache();
        if (HandleAllocated()) UpdateScrollBars(false);
        if (HasState(tsStructureChangePending))
            DoStructureChange(FLastStructureChangeNode, FLastStructureChangeReason);
        if (HasState(tsChangePending)) DoChange(FLastChangedNode);
        if (FOptions->GetAutoOptions().Contains(toAutoSort))
            SortTree(FHeader->GetSortColumn(), FHeader->GetSortDirection(), true);
        SetUpdateState(false);
        if (HandleAllocated()) Invalidate();
        UpdateDesigner();
    }
    DoUpdating(FUpdateCount == 0 ? usEnd : usUpdate);
}

void TBaseVirtualTree::SetUpdateState(bool Updating) {
    if (TControl::GetVisible() && HandleAllocated())
        SendMessageW(FHandle, WM_SETREDRAW, !Updating, 0);
}

void TBaseVirtualTree::BeginSynch() {
    if (!FDestroying) {
        if (FSynchUpdateCount > 0) {
            DoUpdating(usSynch);
        } else {
            DoUpdating(usBeginSynch);
            for (unsigned id : {ChangeTimer, StructureChangeTimer, ExpandTimer, EditTimer,
                                HeaderTimer, ScrollTimer, SearchTimer})
                StopTimer(id);
            FLastSearchNode = nullptr;
            DoStateChange({},
                          {tsEditPending, tsIncrementalSearching, tsScrolling, tsScrollPending});
            if (HasState(tsStructureChangePending))
                DoStructureChange(FLastStructureChangeNode, FLastStructureChangeReason);
            if (HasState(tsChangePending)) DoChange(FLastChangedNode);
        }
    }
    ++FSynchUpdateCount;
    DoStateChange({tsSynchMode});
}

void TBaseVirtualTree::EndSynch() {
    if (FSynchUpdateCount > 0) --FSynchUpdateCount;
    if (FDestroying) return;
    if (FSynchUpdateCount > 0) {
        DoUpdating(usSynch);
    } else {
        DoStateChange({}, {tsSynchMode});
        DoUpdating(usEndSynch);
    }
}

void TBaseVirtualTree::DoUpdating(TVTUpdateState State) {
    if (OnUpdating) OnUpdating(this, State);
}

// --- Change notification ---------------------------------------------------------------------

void TBaseVirtualTree::AdviseChangeEvent(bool IsStructureChange, PVirtualNode Node,
                                         TChangeReason Reason) {
    if (IsStructureChange) {
        if (HasState(tsStructureChangePending))
            StopTimer(StructureChangeTimer);
        else
            DoStateChange({tsStructureChangePending});
        FLastStructureChangeNode = Node;
        if (FLastStructureChangeReason == crIgnore)
            FLastStructureChangeReason = Reason;
        else if (Reason != crIgnore)
            FLastStructureChangeReason = crAccumulated;
    } else {
        if (HasState(tsChangePending))
            StopTimer(ChangeTimer);
        else
            DoStateChange({tsChangePending});
        FLastChangedNode = Node;
    }
}

void TBaseVirtualTree::StructureChange(PVirtualNode Node, TChangeReason Reason) {
    AdviseChangeEvent(true, Node, Reason);
    if (FUpdateCount > 0) return;
    // Without a window there is no timer to wait for: the notice goes out now.
    if (FChangeDelay == 0 || HasState(tsSynchMode) || !HandleAllocated())
        DoStructureChange(Node, Reason);
    else
        SetTimer(FHandle, StructureChangeTimer, FChangeDelay, nullptr);
}

void TBaseVirtualTree::Change(PVirtualNode Node) {
    AdviseChangeEvent(false, Node, crIgnore);
    if (FUpdateCount > 0) return;
    if (FChangeDelay == 0 || HasState(tsSynchMode) || !HandleAllocated())
        DoChange(Node);
    else
        SetTimer(FHandle, ChangeTimer, FChangeDelay, nullptr);
}

void TBaseVirtualTree::DoStructureChange(PVirtualNode Node, TChangeReason Reason) {
    StopTimer(StructureChangeTimer);
    if (OnStructureChange) OnStructureChange(this, Node, Reason);
    DoStateChange({}, {tsStructureChangePending});
    FLastStructureChangeNode = nullptr;
    FLastStructureChangeReason = crIgnore;
}

void TBaseVirtualTree::DoChange(PVirtualNode Node) {
    StopTimer(ChangeTimer);
    if (OnChange) OnChange(this, Node);
    DoStateChange({}, {tsChangePending});
    FLastChangedNode = nullptr;
}

void TBaseVirtualTree::StopTimer(unsigned ID) {
    if (HandleAllocated()) KillTimer(FHandle, ID);
}

void TBaseVirtualTree::WMTimer(TMessage& Message) {
    if (Message.WParam == ScrollTimer && PanningTimerScroll()) return;
    switch (Message.WParam) {
    case ChangeTimer:
        DoChange(FLastChangedNode);
        break;
    case StructureChangeTimer:
        DoStructureChange(FLastStructureChangeNode, FLastStructureChangeReason);
        break;
    default:
        if (InputTimer(unsigned(Message.WParam))) break;
        TCustomControl::Dispatch(Message);
        break;
    }
}

void TBaseVirtualTree::UpdateDesigner() {
    // A designer is told of changes only in design mode; there is none at run time.
}
