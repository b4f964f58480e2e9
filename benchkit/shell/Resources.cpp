// The title tables of the shell layer.
#include "benchkit/shell/IDEVirtualResources.h"

const IDEVirtualResources::Text* VET_COLUMN_NAMES[10] = {};
const IDEVirtualResources::Text* VET_NOTIFY_EVENTS[20] = {};

void InitializeIDEVirtualResources() {
    const IDEVirtualResources::Text* columns[10] = {
        &_sName,    &_sSize,     &_sType, &_sModified, &_sAttributes,
        &_sCreated, &_sAccessed, &_sPath, &_sDOSName,  &_sCustom};
    const IDEVirtualResources::Text* events[20] = {
        &_sAssociationChanged, &_sAttributes,      &_sItemCreate,    &_sItemDelete,
        &_sDriveAdd,           &_sDriveAddGUI,     &_sDriveRemoved,  &_sFreeSpace,
        &_sMediaInserted,      &_sMediaRemoved,    &_sMakeDirectory, &_sNetworkShare,
        &_sNetworkUnshare,     &_sFolderRename,    &_sItemRename,    &_sRemoveDirectory,
        &_sServerDisconnect,   &_sUpdateDirectory, &_sUpdateImage,   &_sUpdateItem};
    for (int i = 0; i < 10; ++i)
        VET_COLUMN_NAMES[i] = columns[i];
    for (int i = 0; i < 20; ++i)
        VET_NOTIFY_EVENTS[i] = events[i];
}

void FinalizeIDEVirtualResources() {
    for (auto& title : VET_COLUMN_NAMES)
        title = nullptr;
    for (auto& title : VET_NOTIFY_EVENTS)
        title = nullptr;
}
