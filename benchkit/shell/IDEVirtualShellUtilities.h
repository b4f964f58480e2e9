// Base classes of every object the explorer controls persist, and small
// reference-counted bases.
#pragma once

#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <runpak/Component.h>
#include <runpak/Lists.h>
#include <runpak/Streams.h>

#include <atomic>
#include <cstdint>

// Stream frame: an optional leading 32-bit version, then the descendant's
// fields. Descendants call the inherited load/save first, then branch on
// StreamVersion for fields whose format changed.
class TStreamableClass : public TPersistent {
public:
    virtual void LoadFromFile(const UnicodeString& FileName, int Version = 0,
                              bool ReadVerFromStream = false);
    virtual void LoadFromStream(TStream* S, int Version = 0, bool ReadVerFromStream = false);
    virtual void SaveToFile(const UnicodeString& FileName, int Version = 0,
                            bool WriteVerToStream = false);
    virtual void SaveToStream(TStream* S, int Version = 0, bool WriteVerToStream = false);

    int GetStreamVersion() const { return FStreamVersion; }

protected:
    int FStreamVersion = -1;
};

class TStreamableList : public TList {
public:
    // The list's own clear, which a load runs first; descendants that own
    // their items free them here.
    virtual void Clear() { TList::Clear(); }

    // A list file holds no version field: the file routines always stream
    // with version 0 and no version, whatever they are given.
    virtual void LoadFromFile(const UnicodeString& FileName, int Version = 0,
                              bool ReadVerFromStream = false);
    virtual void LoadFromStream(TStream* S, int Version = 0, bool ReadVerFromStream = false);
    virtual void SaveToFile(const UnicodeString& FileName, int Version = 0,
                            bool WriteVerToStream = false);
    virtual void SaveToStream(TStream* S, int Version = 0, bool WriteVerToStream = false);

    int GetStreamVersion() const { return FStreamVersion; }

protected:
    int FStreamVersion = -1;
};

// Freed by the Release that takes the count to zero or below. Counts may
// change on several threads.
class TReferenceCounted : public TObject {
public:
    void AddRef() { ++FRefCount; }
    void Release() {
        if (--FRefCount <= 0) delete this;
    }
    int GetRefCount() const { return FRefCount; }

protected:
    std::atomic<int32_t> FRefCount{0};
};

class TReferenceCountedList : public TList {
public:
    void AddRef() { ++FRefCount; }
    void Release() {
        if (--FRefCount <= 0) delete this;
    }
    int GetRefCount() const { return FRefCount; }

protected:
    std::atomic<int32_t> FRefCount{0};
};
