// The item-list array's conversions to and from lists of PIDLs.
#include "benchkit/shell/IDEVirtualDataObject.h"
#include "benchkit/shell/IDEVirtualPIDLTools.h"

#include <cstring>

void TShellIDList::AssignPIDLs(TPIDLList* List) {
    if (!List || List->GetCount() == 0) return;
    UINT count = static_cast<UINT>(List->GetCount() - 1);
    std::vector<BYTE> block(4 + 4 * (static_cast<size_t>(count) + 1));
    std::memcpy(block.data(), &count, 4);
    for (int i = 0; i < List->GetCount(); ++i) {
        PItemIDList pidl = List->GetPIDL(i);
        UINT offset = static_cast<UINT>(block.size());
        std::memcpy(block.data() + 4 + 4 * i, &offset, 4);
        UINT size = pidl ? ILGetSize(pidl) : 0;
        if (size < 2) {
            block.push_back(0); // a missing list is written as the empty one
            block.push_back(0);
        } else {
            const auto* bytes = reinterpret_cast<const BYTE*>(pidl);
            block.insert(block.end(), bytes, bytes + size);
        }
    }
    FCIDA = std::move(block);
}

void TShellIDList::AbsolutePIDLs(TPIDLList* List) const {
    if (!List) return;
    for (int i = 0; i < PIDLCount(); ++i)
        List->Add(AbsolutePIDL(i));
}

void TShellIDList::RelativePIDLs(TPIDLList* List) const {
    if (!List || FCIDA.empty()) return;
    List->Add(ParentPIDL());
    for (int i = 0; i < PIDLCount(); ++i)
        List->Add(RelativePIDL(i));
}
