// The control classes and the messages between them.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Control.h>
#include <quorlpak/ControlTypes.h>
#include <quorlpak/CustomControl.h>
#include <quorlpak/Messages.h>
#include <quorlpak/SizeConstraints.h>
#include <quorlpak/WinControl.h>

// --- Menus, pages and the file dialogs ---
#include <quorlpak/ComCtrls.h>
#include <quorlpak/Dialogs.h>
#include <quorlpak/Menus.h>
// --- End of menus, pages and the file dialogs ---

#pragma GCC visibility pop
