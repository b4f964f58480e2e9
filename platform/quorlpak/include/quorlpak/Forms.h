// Forms, the application and the screen.
#pragma once

#include <quorlpak/Application.h>
#include <quorlpak/Form.h>
#include <quorlpak/Quorlpak.h>
#include <quorlpak/Screen.h>
