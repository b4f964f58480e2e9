#include <runpak/FormatSettings.h>

TFormatSettings& FormatSettings() {
    static TFormatSettings* settings = new TFormatSettings; // never destroyed: used until exit
    return *settings;
}
