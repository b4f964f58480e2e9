// The framework base most units include, for targets that link runpak.
#include <runpak/Component.h>
#include <runpak/Exceptions.h>
#include <runpak/Format.h>
#include <runpak/Interfaces.h>
#include <runpak/StringList.h>
#include <runpak/UString.h>
