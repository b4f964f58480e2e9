// Umbrella header: the whole Windows API subset of the layer.
#pragma once
#pragma GCC visibility push(default)

#include <win32/windef.h>
#include <win32/winerror.h>
#include <win32/winbase.h>
#include <win32/winnls.h>
#include <win32/fileapi.h>
#include <win32/winreg.h>
#include <win32/profileapi.h>
#include <win32/unknwn.h>
#include <win32/objidl.h>
#include <win32/ole2.h>
#include <win32/commapi.h>
#include <win32/wingdi.h>
#include <win32/winuser.h>

#pragma GCC visibility pop
