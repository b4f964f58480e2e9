// What an item keeps of the interfaces and objects few callers ask for.
#pragma once

#include "benchkit/shell/IDEVirtualShellUtilities.h"

#include <quorlpak/Messages.h>

#include <functional>

struct TNamespace::TExtras {
    InterfacePtr<IShellIcon> ShellIcon;
    InterfacePtr<IShellIconOverlay> ShellIconOverlay;
    InterfacePtr<IDropTarget> DropTarget;
    InterfacePtr<IQueryInfo> QueryInfo;
    InterfacePtr<IBrowserFrameOptions> BrowserFrameOptions;
    InterfacePtr<IQueryAssociations> QueryAssociations;
    InterfacePtr<ICategoryProvider> CategoryProvider;
    std::unique_ptr<TExtractImage> ExtractImage;
    std::unique_ptr<TVirtualShellLink> ShellLink;
    std::function<void(TMessage&)> OldWndProcForContextMenu;
};
