// servopanel: sets up and watches one servo drive over a serial port.
#include "Unit1.h"
#include "Unit4.h"

#include <quorlpak/Application.h>
#include <quorlpak/Quorlpak.h>
#include <quorlpak/StdCtrls.h>

int main() {
    InitializeQuorlpak();
    Unit4Initialize();
    Unit1Initialize();
    try {
        Application->Initialize();
        Application->SetMainFormOnTaskBar(true);
        Application->CreateForm(Form4);
        Application->CreateForm(Form1);
        Application->Run();
    } catch (Exception& E) {
        Application->ShowException(&E);
    } catch (...) {
        Exception empty(u"");
        Application->ShowException(&empty);
    }
    Unit1Finalize();
    Unit4Finalize();
    FinalizeQuorlpak();
    return 0;
}
