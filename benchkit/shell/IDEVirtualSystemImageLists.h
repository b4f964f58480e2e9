// The shell's system image lists as framework image lists, so that controls
// draw the icon of any shell item by the index the shell gives. Three
// process-wide lists (small, large, extra large) share the shell's own list
// and never destroy it.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ImgList.h>
#include <runpak/UString.h>

enum TSysImageListSize { sisSmall, sisLarge, sisExtraLarge };

class VirtualSysImages : public TImageList {
public:
    explicit VirtualSysImages(TComponent* AOwner);

    TSysImageListSize GetImageSize() const { return FImageSize; }
    void SetImageSize(TSysImageListSize Size);
    // Re-binds to the shell's current list.
    void Flush();
    // The system image index of a file name, by the name alone (the disk is
    // not touched); -1 for an empty name or when the shell answers nothing.
    int GetIconIndex(const UnicodeString& FileName);

private:
    void RecreateHandle();

    TSysImageListSize FImageSize = sisSmall;
    // The shell's 48-pixel list, as its routine by size answered it (shared,
    // never released or destroyed).
    void* FJumboImages = nullptr;
};

VirtualSysImages* SmallSysImages();
VirtualSysImages* LargeSysImages();
// The 48-pixel list; the large list's images when the shell has no list by size.
VirtualSysImages* ExtraLargeSysImages();
void FlushImageLists();

void InitializeIDEVirtualSystemImageLists();
void FinalizeIDEVirtualSystemImageLists();

#pragma GCC visibility pop
