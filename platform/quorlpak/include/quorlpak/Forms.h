// Forms, the application and the screen.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Application.h>
#include <quorlpak/Form.h>
#include <quorlpak/Quorlpak.h>
#include <quorlpak/Screen.h>

#pragma GCC visibility pop
