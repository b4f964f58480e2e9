#include <quorlpak/Application.h>
#include <quorlpak/ColorBox.h>
#include <quorlpak/ColorGrd.h>
#include <quorlpak/ComCtrls.h>
#include <quorlpak/Dialogs.h>
#include <quorlpak/Grids.h>
#include <quorlpak/LabeledEdit.h>
#include <quorlpak/Mask.h>
#include <quorlpak/Memo.h>
#include <quorlpak/Menus.h>
#include <quorlpak/Quorlpak.h>
#include <quorlpak/Screen.h>
#include <quorlpak/StdCtrls.h>

void InitializeQuorlpak() {
    if (!Screen) Screen = new TScreen(nullptr);
    if (!Application) Application = new TApplication(nullptr);
    // Every control class a form description may name.
    RegisterStdControls();
    RegisterMenuClasses();
    RegisterComCtrlClasses();
    RegisterDialogClasses();
    RegisterGridClasses();
    RegisterColorBoxClasses();
    RegisterLabeledEditClasses();
    RegisterMemoClasses();
    RegisterColorGridClasses();
    RegisterMaskClasses();
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
