// The tree stream: nodes with their structure, flags and the application's
// data as nested chunks. A stream (or a clipboard or drop payload) is read as
// untrusted: every size and count is held against the bytes really there
// before anything is made, and a read that fails part-way takes back the
// nodes it made, so the tree is as it was and the error names the damage.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <runpak/Streams.h>

#include <cstring>

namespace {

constexpr char16_t MagicChars[6] = {u'\u2045', u'V', u'T', u'2', u' ', u'\u2046'};
constexpr int MagicSize = 12;
constexpr int32_t NodeChunk = 1;
constexpr int32_t BaseChunk = 2;
constexpr int32_t UserChunk = 4;
constexpr int ChunkHeaderSize = 8;
constexpr int BaseRecordSizeV1 = 12;
constexpr int BaseRecordSizeV2 = 17;

// Written states: the temporary ones stay behind.
constexpr uint16_t WrittenStatesMask = 0xDDE9;
// Read states: besides those, the marks of an operation in progress, which
// a stream must not be able to plant.
constexpr uint16_t ReadStatesMask =
    WrittenStatesMask & ~uint16_t((1u << vsClearing) | (1u << vsToggling) | 0x8000u);

// Deeper nesting than this is taken for damage: reading recurses per level.
constexpr int MaxReadDepth = 2048;

void WriteInt32(TStream* Stream, int32_t Value) {
    uint8_t bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = uint8_t(uint32_t(Value) >> (8 * i));
    Stream->WriteBuffer(bytes, 4);
}

uint32_t ReadUInt32(TStream* Stream) {
    uint8_t bytes[4];
    Stream->ReadBuffer(bytes, 4);
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

[[noreturn]] void Corrupt(int Code) {
    ShowVirtualTreeError(Code);
}

int MinimumNodeSize(int Version) {
    return 2 * ChunkHeaderSize + (Version == 1 ? BaseRecordSizeV1 : BaseRecordSizeV2);
}

void WriteMagic(TStream* Stream) {
    uint8_t bytes[MagicSize];
    for (int i = 0; i < 6; ++i) {
        bytes[2 * i] = uint8_t(MagicChars[i]);
        bytes[2 * i + 1] = uint8_t(MagicChars[i] >> 8);
    }
    Stream->WriteBuffer(bytes, MagicSize);
}

// The version of a 12-byte magic, or 0 when its fixed characters differ.
int MagicVersion(const uint8_t* Bytes) {
    auto at = [&](int i) { return char16_t(Bytes[2 * i] | Bytes[2 * i + 1] << 8); };
    if (at(0) != MagicChars[0] || at(1) != MagicChars[1] || at(2) != MagicChars[2] ||
        at(5) != MagicChars[5])
        return 0;
    const char16_t version = at(3);
    return version >= u'0' && version <= u'9' ? version - u'0' : 100;
}

} // namespace

// --- Writing -------------------------------------------------------------------------------------

void TBaseVirtualTree::SaveToStream(TStream* Stream, PVirtualNode Node) {
    WriteMagic(Stream);
    if (Node && Node != FRoot) {
        WriteInt32(Stream, 1);
        WriteNode(Stream, Node);
        return;
    }
    WriteInt32(Stream, int32_t(FRoot->ChildCount));
    for (PVirtualNode run = FRoot->FirstChild; run; run = run->NextSibling)
        WriteNode(Stream, run);
}

void TBaseVirtualTree::SaveToFile(const UnicodeString& FileName) {
    TFileStream file(FileName, fmCreate);
    SaveToStream(&file, nullptr);
}

void TBaseVirtualTree::WriteNode(TStream* Stream, PVirtualNode Node) {
    if (FOptions->GetMiscOptions().Contains(toInitOnSave)) {
        if (!Node->States.Contains(vsInitialized)) InitNode(Node);
        if (Node->States.Contains(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
    }
    const int64_t start = Stream->GetPosition();
    WriteInt32(Stream, NodeChunk);
    WriteInt32(Stream, 0);
    WriteChunks(Stream, Node);
    FinishChunkHeader(Stream, start, Stream->GetPosition());
}

void TBaseVirtualTree::WriteChunks(TStream* Stream, PVirtualNode Node) {
    int64_t start = Stream->GetPosition();
    WriteInt32(Stream, BaseChunk);
    WriteInt32(Stream, 0);
    // Children that were never made cannot be written: an uninitialised node
    // (only without toInitOnSave) goes out as a leaf, so that the count in
    // the record always matches the records that follow it.
    const bool withChildren = Node->States.Contains(vsInitialized);
    uint8_t record[BaseRecordSizeV2] = {};
    const uint32_t childCount = withChildren ? Node->ChildCount : 0;
    const uint32_t height = Node->NodeHeight;
    const uint16_t states = Node->States.ToInt() & WrittenStatesMask;
    std::memcpy(record, &childCount, 4);
    std::memcpy(record + 4, &height, 4);
    std::memcpy(record + 8, &states, 2);
    record[10] = Node->Align;
    record[11] = Node->CheckState;
    record[12] = Node->CheckType;
    Stream->WriteBuffer(record, BaseRecordSizeV2);
    if (withChildren)
        for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling)
            WriteNode(Stream, child);
    FinishChunkHeader(Stream, start, Stream->GetPosition());

    start = Stream->GetPosition();
    WriteInt32(Stream, UserChunk);
    WriteInt32(Stream, 0);
    DoSaveUserData(Node, Stream);
    const int64_t end = Stream->GetPosition();
    if (end == start + ChunkHeaderSize) {
        Stream->SetPosition(start);
        Stream->SetSize(Stream->GetSize() - ChunkHeaderSize);
    } else {
        FinishChunkHeader(Stream, start, end);
    }
}

void TBaseVirtualTree::FinishChunkHeader(TStream* Stream, int64_t StartPos, int64_t EndPos) {
    Stream->SetPosition(StartPos + 4);
    WriteInt32(Stream, int32_t(EndPos - StartPos - ChunkHeaderSize));
    Stream->SetPosition(EndPos);
}

void TBaseVirtualTree::DoSaveUserData(PVirtualNode Node, TStream* Stream) {
    if (OnSaveNode) OnSaveNode(this, Node == FRoot ? nullptr : Node, Stream);
}

void TBaseVirtualTree::DoLoadUserData(PVirtualNode Node, TStream* Stream) {
    if (OnLoadNode) OnLoadNode(this, Node == FRoot ? nullptr : Node, Stream);
}

// --- Reading -------------------------------------------------------------------------------------

void TBaseVirtualTree::ReadNode(TStream* Stream, int Version, PVirtualNode Node) {
    const int64_t limit = FReadLimit;
    if (++FReadDepth > MaxReadDepth) Corrupt(hcTFCorruptStream2);
    auto depth = runpak::ScopeExit([this, limit] {
        --FReadDepth;
        FReadLimit = limit;
    });
    if (limit - Stream->GetPosition() < ChunkHeaderSize) Corrupt(hcTFCorruptStream1);
    const int32_t type = int32_t(ReadUInt32(Stream));
    const int32_t size = int32_t(ReadUInt32(Stream));
    if (type != NodeChunk) Corrupt(hcTFCorruptStream1);
    const int64_t nodeEnd = Stream->GetPosition() + size;
    if (size < 0 || nodeEnd > limit) Corrupt(hcTFCorruptStream2);
    while (Stream->GetPosition() < nodeEnd) {
        if (nodeEnd - Stream->GetPosition() < ChunkHeaderSize) Corrupt(hcTFCorruptStream2);
        const int32_t chunkType = int32_t(ReadUInt32(Stream));
        const int32_t chunkSize = int32_t(ReadUInt32(Stream));
        const int64_t chunkEnd = Stream->GetPosition() + chunkSize;
        if (chunkSize < 0 || chunkEnd > nodeEnd) Corrupt(hcTFCorruptStream2);
        FReadLimit = chunkEnd;
        ReadChunk(Stream, Version, Node, chunkType, chunkSize);
        // Whatever a chunk's reader took, the next chunk starts where this one ends.
        if (Stream->GetPosition() > chunkEnd) Corrupt(hcTFCorruptStream2);
        Stream->SetPosition(chunkEnd);
    }
    if (Stream->GetPosition() != nodeEnd) Corrupt(hcTFCorruptStream2);
}

bool TBaseVirtualTree::ReadChunk(TStream* Stream, int Version, PVirtualNode Node, int ChunkType,
                                 int ChunkSize) {
    if (ChunkType == BaseChunk) {
        const int recordSize = Version == 1 ? BaseRecordSizeV1 : BaseRecordSizeV2;
        if (ChunkSize < recordSize) Corrupt(hcTFCorruptStream2);
        uint8_t record[BaseRecordSizeV2] = {};
        Stream->ReadBuffer(record, recordSize);
        uint32_t childCount, height;
        std::memcpy(&childCount, record, 4);
        std::memcpy(&height, record + 4, 4);
        uint16_t states;
        uint8_t align, checkState, checkType;
        if (Version == 1) {
            states = record[8] | (1u << vsVisible);
            if (record[8] & 0x80) states |= 1u << vsSelected;
            align = record[9];
            checkState = record[10];
            checkType = record[11];
        } else {
            std::memcpy(&states, record + 8, 2);
            align = record[10];
            checkState = record[11];
            checkType = record[12];
        }
        // Every child needs at least its headers and record in this chunk.
        const int64_t room = int64_t(ChunkSize) - recordSize;
        if (int64_t(childCount) * MinimumNodeSize(Version) > room) Corrupt(hcTFCorruptStream2);

        Node->States = TVirtualNodeStates::FromInt(states & ReadStatesMask);
        Node->NodeHeight = uint16_t(height);
        Node->TotalHeight = Node->NodeHeight;
        Node->Align = align;
        Node->CheckState = checkState <= csMixedPressed ? TCheckState(checkState)
                                                          : csUncheckedNormal;
        Node->CheckType = checkType <= ctButton ? TCheckType(checkType) : ctNone;
        const int64_t chunkEnd = FReadLimit;
        for (uint32_t i = 0; i < childCount; ++i) {
            PVirtualNode child = MakeNewNode();
            child->Parent = Node;
            child->PrevSibling = Node->LastChild;
            if (Node->LastChild) {
                Node->LastChild->NextSibling = child;
                child->Index = Node->LastChild->Index + 1;
            } else {
                Node->FirstChild = child;
            }
            Node->LastChild = child;
            // Counts only the children really linked, so a failed read
            // leaves links and count in step for the clean-up.
            ++Node->ChildCount;
            FReadLimit = chunkEnd;
            ReadNode(Stream, Version, child);
        }
        return true;
    }
    if (ChunkType == UserChunk) {
        if (ChunkSize <= 0) return true;
        const int64_t start = Stream->GetPosition();
        DoLoadUserData(Node, Stream);
        const bool read = Stream->GetPosition() != start;
        Stream->SetPosition(start + ChunkSize);
        return read;
    }
    Stream->Seek(ChunkSize, soCurrent);
    return false;
}

void TBaseVirtualTree::SkipNode(TStream* Stream) {
    const int32_t type = int32_t(ReadUInt32(Stream));
    const int32_t size = int32_t(ReadUInt32(Stream));
    if (type != NodeChunk) Corrupt(hcTFCorruptStream1);
    Stream->Seek(size, soCurrent);
}

void TBaseVirtualTree::InternalAddFromStream(TStream* Stream, int Version, PVirtualNode Node) {
    PVirtualNode parent = Node->Parent;
    const uint32_t oldHeight = Node->TotalHeight;
    const bool wasVisible = Node->States.Contains(vsVisible);
    const bool wasFullyVisible = GetFullyVisible(Node);
    const int64_t limit = FReadLimit;

    // Brings the counters of the read subtree and of its ancestors in step,
    // for a whole read and for the remains of a failed one alike.
    auto settle = [&] {
        FixupTotalCount(Node);
        AdjustTotalCount(parent, int64_t(Node->TotalCount) - 1, true);
        FixupTotalHeight(Node);
        if (parent->States.Contains(vsExpanded)) {
            const int64_t before = wasVisible ? oldHeight : 0;
            const int64_t after = Node->States.Contains(vsVisible) ? Node->TotalHeight : 0;
            AdjustTotalHeight(parent, after - before, true);
        }
        if (GetFullyVisible(Node))
            FVisibleCount += CountVisibleChildren(Node) + (wasFullyVisible ? 0 : 1);
        else if (wasFullyVisible)
            --FVisibleCount;
        if (parent != FRoot) DetermineHiddenChildrenFlag(parent);
    };

    try {
        ReadNode(Stream, Version, Node);
    } catch (...) {
        FReadLimit = limit;
        settle();
        // The selection never saw these nodes; the marks go with them.
        PVirtualNode stop = Node->NextSibling;
        for (PVirtualNode run = Node; run && run != stop; run = GetNextNoInit(run))
            run->States.Exclude(vsSelected);
        DeleteNode(Node);
        throw;
    }
    FReadLimit = limit;
    settle();

    // Selection arrives only where the tree allows several selected nodes.
    const bool multi = FOptions->GetSelectionOptions().Contains(toMultiSelect);
    PVirtualNode stop = Node->NextSibling;
    for (PVirtualNode run = Node; run && run != stop; run = GetNextNoInit(run)) {
        if (!run->States.Contains(vsSelected)) continue;
        run->States.Exclude(vsSelected);
        if (multi) InternalAddToSelection(run, true);
    }
}

void TBaseVirtualTree::ReadNodesFromStream(TStream* Stream, int Version, uint32_t Count,
                                           PVirtualNode Target, TVTNodeAttachMode Mode,
                                           const std::function<bool(PVirtualNode)>& Accept) {
    const int64_t size = Stream->GetSize();
    // Every announced node needs at least its headers and record.
    if (Count != UINT32_MAX &&
        int64_t(Count) * MinimumNodeSize(Version) > size - Stream->GetPosition())
        ShowVirtualTreeError(hcTFStreamTooSmall);
    TNodeArray added;
    try {
        uint32_t read = 0;
        for (; read < Count && Stream->GetPosition() < size; ++read) {
            PVirtualNode node = MakeNewNode();
            InternalConnectNode(node, Target, Mode, this);
            FReadLimit = size;
            InternalAddFromStream(Stream, Version, node);
            if (Accept && !Accept(node)) continue;
            added.push_back(node);
            // The next one follows this one, so the records keep their order.
            if (Mode == amInsertAfter || Mode == amAddChildFirst) {
                Target = node;
                Mode = amInsertAfter;
            }
        }
        // A stream that ends before every announced node arrived was cut short.
        if (Count != UINT32_MAX && read < Count) ShowVirtualTreeError(hcTFStreamTooSmall);
    } catch (...) {
        for (auto it = added.rbegin(); it != added.rend(); ++it)
            DeleteNode(*it);
        throw;
    }
}

void TBaseVirtualTree::LoadFromStream(TStream* Stream) {
    if (ReadOnly()) return;
    auto check = CheckedChange();
    Clear();
    uint8_t magic[MagicSize];
    if (Stream->Read(magic, MagicSize) < MagicSize) ShowVirtualTreeError(hcTFStreamTooSmall);
    const int version = MagicVersion(magic);
    if (version == 0) ShowVirtualTreeError(hcTFWrongStreamFormat);
    if (version > 2) ShowVirtualTreeError(hcTFWrongStreamVersion);
    {
        auto update = runpak::UpdateBracket(*this);
        InterruptValidation();
        uint32_t count = UINT32_MAX;
        if (version == 2) {
            if (Stream->GetSize() - Stream->GetPosition() < 4)
                ShowVirtualTreeError(hcTFStreamTooSmall);
            count = ReadUInt32(Stream);
        }
        ReadNodesFromStream(Stream, version, count, FRoot, amAddChildLast, nullptr);
    }
    DoNodeCopied(nullptr);
}

void TBaseVirtualTree::LoadFromFile(const UnicodeString& FileName) {
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

void TBaseVirtualTree::AddFromStream(TStream* Stream, PVirtualNode TargetNode) {
    if (ReadOnly() || !TargetNode) return;
    auto check = CheckedChange();
    uint8_t magic[MagicSize];
    Stream->ReadBuffer(magic, MagicSize);
    const int version = MagicVersion(magic);
    if (version == 0 || version > 2) ShowVirtualTreeError(hcTFWrongStreamVersion);
    {
        auto update = runpak::UpdateBracket(*this);
        InterruptValidation();
        uint32_t count = UINT32_MAX;
        if (version == 2) {
            if (Stream->GetSize() - Stream->GetPosition() < 4)
                ShowVirtualTreeError(hcTFStreamTooSmall);
            count = ReadUInt32(Stream);
        }
        if (TargetNode != FRoot && !TargetNode->States.Contains(vsInitialized))
            InitNode(TargetNode);
        ReadNodesFromStream(Stream, version, count, TargetNode, amAddChildLast, nullptr);
    }
    DoNodeCopied(TargetNode == FRoot ? nullptr : TargetNode);
}

// --- The string tree's caption chunk -------------------------------------------------------------

namespace {
constexpr int32_t CaptionChunk = 3;
}

void TCustomVirtualStringTree::WriteChunks(TStream* Stream, PVirtualNode Node) {
    TBaseVirtualTree::WriteChunks(Stream, Node);
    if (!GetStringTreeOptions()->GetStringOptions().Contains(toSaveCaptions)) return;
    if (Node == FRoot || !Node->States.Contains(vsInitialized)) return;
    const UnicodeString text = GetText(Node, GetMainColumn());
    if (text.empty()) return;
    const int32_t length = int32_t(text.size());
    WriteInt32(Stream, CaptionChunk);
    WriteInt32(Stream, 2 * length);
    std::vector<uint8_t> bytes(size_t(2) * length);
    for (int32_t i = 0; i < length; ++i) {
        const char16_t c = text.c_str()[i];
        bytes[2 * i] = uint8_t(c);
        bytes[2 * i + 1] = uint8_t(c >> 8);
    }
    Stream->WriteBuffer(bytes.data(), int(bytes.size()));
}

bool TCustomVirtualStringTree::ReadChunk(TStream* Stream, int Version, PVirtualNode Node,
                                         int ChunkType, int ChunkSize) {
    if (ChunkType != CaptionChunk) return TBaseVirtualTree::ReadChunk(Stream, Version, Node,
                                                                      ChunkType, ChunkSize);
    const int length = ChunkSize / 2;
    std::vector<uint8_t> bytes(size_t(2) * length);
    if (length > 0) Stream->ReadBuffer(bytes.data(), 2 * length);
    std::u16string text(size_t(length), u'\0');
    for (int i = 0; i < length; ++i)
        text[i] = char16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    SetText(Node, GetMainColumn(), UnicodeString(text));
    return true;
}
