// Everything of the framework's graphics: colours, drawing tools, canvases
// and images.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Bitmap.h>
#include <quorlpak/Canvas.h>
#include <quorlpak/Colors.h>
#include <quorlpak/Font.h>
#include <quorlpak/Graphic.h>
#include <quorlpak/GraphicsObjects.h>
#include <quorlpak/Icon.h>
#include <quorlpak/Picture.h>
#include <quorlpak/Types.h>

#pragma GCC visibility pop
