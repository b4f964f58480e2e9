#include <quorlpak/Application.h>
#include <quorlpak/Quorlpak.h>
#include <quorlpak/Screen.h>
#include <quorlpak/StdCtrls.h>

void InitializeQuorlpak() {
    if (!Screen) Screen = new TScreen(nullptr);
    if (!Application) Application = new TApplication(nullptr);
    RegisterStdControls();
}

void FinalizeQuorlpak() {
    // The application's forms report to both globals while they go.
    if (Application) {
        delete Application;
        Application = nullptr;
    }
    if (Screen) {
        delete Screen;
        Screen = nullptr;
    }
}
