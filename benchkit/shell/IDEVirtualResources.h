// The localisable texts of the shell layer and the explorer controls, and
// the two title tables (columns, shell events) filled at start-up.
#pragma once
#pragma GCC visibility push(default)

#include <string_view>

namespace IDEVirtualResources {
using Text = std::u16string_view;
}

inline constexpr IDEVirtualResources::Text _S_PROPERTIES = u"properties";
inline constexpr IDEVirtualResources::Text _S_KERNELNOTIFERREGISTERED =
    u"A KernelChangeNotifier is still registered with a Control";
inline constexpr IDEVirtualResources::Text _S_SHELLNOTIFERREGISTERED =
    u"A ShellChangeThread is still registered with a Control";
inline constexpr IDEVirtualResources::Text _S_SHELLNOTIFERDISPATCHTHREAD =
    u"ChangeDispatchThread is still registered";
inline constexpr IDEVirtualResources::Text _S_KERNELSPECIALFOLDERWATCH =
    u"A control must be registered with the VirtualChangeNotifier using "
    u"RegisterShellChangeNotify before this method may be used.";
inline constexpr IDEVirtualResources::Text _S_ERROR = u"Error";
inline constexpr IDEVirtualResources::Text _S_WARNING = u"Warning";
inline constexpr IDEVirtualResources::Text _S_OPEN = u"Open";
inline constexpr IDEVirtualResources::Text _S_PRINT = u"print";
inline constexpr IDEVirtualResources::Text _S_NOTARGETDEFINED = u"No target application defined";
inline constexpr IDEVirtualResources::Text _STR_FILE_SIZE_IN_KB = u"%.0n KB";
inline constexpr IDEVirtualResources::Text _STR_ZERO_KB = u"0 KB";
inline constexpr IDEVirtualResources::Text _STR_ONE_KB = u"1 KB";
inline constexpr IDEVirtualResources::Text _STR_ARCHIVE = u"A";
inline constexpr IDEVirtualResources::Text _STR_HIDDEN = u"H";
inline constexpr IDEVirtualResources::Text _STR_READONLY = u"R";
inline constexpr IDEVirtualResources::Text _STR_SYSTEM = u"S";
inline constexpr IDEVirtualResources::Text _STR_COMPRESS = u"C";
inline constexpr IDEVirtualResources::Text _STR_SYSTEMFOLDER = u"System Folder";
inline constexpr IDEVirtualResources::Text _STR_FILE = u" File";
inline constexpr IDEVirtualResources::Text _STR_UNKNOWNCOMMAN = u"Unknown Command";
inline constexpr IDEVirtualResources::Text _STR_ERR_BAD_PIDL_RELATIONSHIP =
    u"PIDLs to operate on are not siblings of the Namespace doing the operation.";
inline constexpr IDEVirtualResources::Text _STR_NEWFOLDER = u"New Folder";
inline constexpr IDEVirtualResources::Text _STR_ERR_INVALID_CUSTOMPATH =
    u"Invalid pathname for Custom Root Path";
inline constexpr IDEVirtualResources::Text _STR_COLUMNMENU_MORE = u"More ...";
inline constexpr IDEVirtualResources::Text _S_PATH_ERROR = u"Invalid Path";
inline constexpr IDEVirtualResources::Text _S_COMBOEDIT_DEFAULT_ERROR =
    u"Windows can not find \"%s\". Please check the spelling and try again.";
inline constexpr IDEVirtualResources::Text _S_NEW = u"New ";
inline constexpr IDEVirtualResources::Text _S_FOLDER = u"Folder";
inline constexpr IDEVirtualResources::Text _S_SHORTCUT = u"Shortcut";
inline constexpr IDEVirtualResources::Text _S_OVERWRITE_EXISTING_FILE =
    u"File exists.  Overwrite existing file?";

// Column titles.
inline constexpr IDEVirtualResources::Text _sName = u"Name";
inline constexpr IDEVirtualResources::Text _sSize = u"Size";
inline constexpr IDEVirtualResources::Text _sType = u"Type";
inline constexpr IDEVirtualResources::Text _sModified = u"Modified";
inline constexpr IDEVirtualResources::Text _sAttributes = u"Attributes";
inline constexpr IDEVirtualResources::Text _sCreated = u"Created";
inline constexpr IDEVirtualResources::Text _sAccessed = u"Accessed";
inline constexpr IDEVirtualResources::Text _sPath = u"Path";
inline constexpr IDEVirtualResources::Text _sDOSName = u"DOS Name";
inline constexpr IDEVirtualResources::Text _sCustom = u"Custom";

// Shell event titles.
inline constexpr IDEVirtualResources::Text _sAssociationChanged = u"Association Changed";
inline constexpr IDEVirtualResources::Text _sItemCreate = u"Item Create";
inline constexpr IDEVirtualResources::Text _sItemDelete = u"Item Delete";
inline constexpr IDEVirtualResources::Text _sDriveAdd = u"Drive Add";
inline constexpr IDEVirtualResources::Text _sDriveAddGUI = u"Drive Add GUI";
inline constexpr IDEVirtualResources::Text _sDriveRemoved = u"Drive Removed";
inline constexpr IDEVirtualResources::Text _sFreeSpace = u"Free Space";
inline constexpr IDEVirtualResources::Text _sMediaInserted = u"Media Inserted";
inline constexpr IDEVirtualResources::Text _sMediaRemoved = u"Media Removed";
inline constexpr IDEVirtualResources::Text _sMakeDirectory = u"Make Directory";
inline constexpr IDEVirtualResources::Text _sNetworkShare = u"Network Share";
inline constexpr IDEVirtualResources::Text _sNetworkUnshare = u"Network Unshare";
inline constexpr IDEVirtualResources::Text _sFolderRename = u"Folder Rename";
inline constexpr IDEVirtualResources::Text _sItemRename = u"Item Rename";
inline constexpr IDEVirtualResources::Text _sRemoveDirectory = u"Remove Directory";
inline constexpr IDEVirtualResources::Text _sServerDisconnect = u"Server Disconnect";
inline constexpr IDEVirtualResources::Text _sUpdateDirectory = u"Update Directory";
inline constexpr IDEVirtualResources::Text _sUpdateImage = u"Update Image";
inline constexpr IDEVirtualResources::Text _sUpdateItem = u"Update Item";

// Filled by the unit's start-up, emptied by its shut-down: the column titles
// in column order, and the event titles in the order of the shell events.
extern const IDEVirtualResources::Text* VET_COLUMN_NAMES[10];
extern const IDEVirtualResources::Text* VET_NOTIFY_EVENTS[20];

void InitializeIDEVirtualResources();
void FinalizeIDEVirtualResources();

#pragma GCC visibility pop
