// workbench: a host that loads libbenchkit.so as a development workbench
// loads a run-time package (load the library, Initialize, start the tree's
// worker thread, Finalize on close) and shows its components, a family a
// page, in one window.
//
//   workbench                  opens the window and runs until it is closed
//   workbench --page NAME      opens on that page
//   workbench --snapshot DIR   shows every page in turn, drives it as a user
//                              would, saves it as DIR/<name>.png and ends
//   workbench --list           prints the pages' names
#include "WorkbenchPage.h"

#include <quorlpak/Application.h>
#include <quorlpak/ComCtrls.h>
#include <quorlpak/Form.h>
#include <quorlpak/Quorlpak.h>
#include <quorlpak/Timer.h>
#include <runpak/UString.h>
#include <win32/readback.h>
#include <win32/windows.h>

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <sys/stat.h>

namespace {

// The package's entry points, found by name as a host's package loader finds them.
struct TPackage {
    void* Library = nullptr;
    void (*Initialize)() = nullptr;
    void (*Finalize)() = nullptr;
    void (*StartVirtualTreeWorkerThread)() = nullptr;
};

std::string ProgramFolder() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    path[n] = 0;
    std::string s(path);
    return s.substr(0, s.rfind('/'));
}

bool LoadPackage(TPackage& Package) {
    const std::string path = ProgramFolder() + "/../lib/libbenchkit.so";
    Package.Library = dlopen(path.c_str(), RTLD_NOW);
    if (!Package.Library) Package.Library = dlopen("libbenchkit.so", RTLD_NOW);
    if (!Package.Library) {
        std::fprintf(stderr, "workbench: cannot load libbenchkit.so: %s\n", dlerror());
        return false;
    }
    Package.Initialize = reinterpret_cast<void (*)()>(dlsym(Package.Library, "Initialize"));
    Package.Finalize = reinterpret_cast<void (*)()>(dlsym(Package.Library, "Finalize"));
    Package.StartVirtualTreeWorkerThread =
        reinterpret_cast<void (*)()>(dlsym(Package.Library, "StartVirtualTreeWorkerThread"));
    if (!Package.Initialize || !Package.Finalize || !Package.StartVirtualTreeWorkerThread) {
        std::fprintf(stderr, "workbench: libbenchkit.so lacks the package entry points\n");
        return false;
    }
    return true;
}

class TWorkbenchForm : public TForm {
public:
    explicit TWorkbenchForm(TComponent* AOwner) : TForm(AOwner) {
        SetCaption(u"Workbench");
        SetBounds(40, 40, 1024, 720);
        Pages = new TPageControl(this);
        Pages->SetParent(this);
        Pages->SetAlign(alClient);
        int count = 0;
        const TWorkbenchPage* const* pages = WorkbenchPages(count);
        for (int i = 0; i < count; ++i) {
            auto* sheet = new TTabSheet(this);
            sheet->SetPageControl(Pages);
            sheet->SetCaption(pages[i]->Caption);
            pages[i]->Build(sheet);
        }
    }

    TPageControl* Pages;
};

TWorkbenchForm* Workbench = nullptr;

int PageIndex(const char* Name) {
    int count = 0;
    const TWorkbenchPage* const* pages = WorkbenchPages(count);
    for (int i = 0; i < count; ++i)
        if (std::strcmp(pages[i]->Name, Name) == 0) return i;
    return -1;
}

// Saves the page's visible tool windows (floating tool bars) as PREFIX-<n>.png.
bool SaveToolWindows(const std::string& Prefix) {
    std::vector<HWND> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND Wnd, LPARAM Param) -> BOOL {
            if (IsWindowVisible(Wnd) && (GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) &&
                GetWindowTextLengthW(Wnd) > 0)
                reinterpret_cast<std::vector<HWND>*>(Param)->push_back(Wnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    bool ok = true;
    for (size_t k = 0; k < windows.size(); ++k) {
        const std::string path = Prefix + "-" + std::to_string(k + 1) + ".png";
        HDC dc = GetWindowDC(windows[k]);
        const bool saved = win32::SaveDCAsPng(dc, path);
        ReleaseDC(windows[k], dc);
        std::printf("%s %s\n", saved ? "saved" : "FAILED to save", path.c_str());
        ok = ok && saved;
    }
    return ok;
}

// Shows each page, lets it be driven, and saves the window as a picture.
bool SnapshotPages(const std::string& Folder) {
    mkdir(Folder.c_str(), 0755);
    int count = 0;
    const TWorkbenchPage* const* pages = WorkbenchPages(count);
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        TTabSheet* sheet = Workbench->Pages->GetPages(i);
        Workbench->Pages->SetActivePage(sheet);
        PumpWorkbench();
        if (pages[i]->Exercise) {
            pages[i]->Exercise(sheet);
            PumpWorkbench();
        }
        const std::string path = Folder + "/" + pages[i]->Name + ".png";
        HWND window = Workbench->GetHandle();
        HDC dc = GetWindowDC(window);
        const bool saved = win32::SaveDCAsPng(dc, path);
        ReleaseDC(window, dc);
        std::printf("%s %s\n", saved ? "saved" : "FAILED to save", path.c_str());
        ok = ok && saved;
        ok = SaveToolWindows(Folder + "/" + pages[i]->Name) && ok;
    }
    return ok;
}

int Usage() {
    std::fprintf(stderr, "usage: workbench [--page NAME] [--snapshot DIR] [--list]\n");
    return 2;
}

} // namespace

void PumpWorkbench() {
    // Paints and posted work may post more; stop once a round finds nothing.
    for (int round = 0; round < 200; ++round) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) break;
        Application->ProcessMessages();
    }
}

int main(int argc, char** argv) {
    const char* startPage = nullptr;
    const char* snapshotFolder = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--page") == 0 && i + 1 < argc) {
            startPage = argv[++i];
        } else if (std::strcmp(argv[i], "--snapshot") == 0 && i + 1 < argc) {
            snapshotFolder = argv[++i];
        } else if (std::strcmp(argv[i], "--list") == 0) {
            int count = 0;
            const TWorkbenchPage* const* pages = WorkbenchPages(count);
            for (int p = 0; p < count; ++p) std::printf("%s\n", pages[p]->Name);
            return 0;
        } else {
            return Usage();
        }
    }
    if (startPage && PageIndex(startPage) < 0) {
        std::fprintf(stderr, "workbench: no page named %s (see --list)\n", startPage);
        return 2;
    }

    TPackage package;
    if (!LoadPackage(package)) return 1;

    InitializeQuorlpak();
    package.Initialize();
    package.StartVirtualTreeWorkerThread();
    int result = 0;
    try {
        Application->Initialize();
        Application->SetMainFormOnTaskBar(true);
        Application->SetTitle(u"Workbench");
        Application->CreateForm(Workbench);
        if (startPage) Workbench->Pages->SetActivePageIndex(PageIndex(startPage));
        TTimer* snapshot = nullptr;
        if (snapshotFolder) {
            // Once the loop runs and the window is on screen, take the pictures and close.
            snapshot = new TTimer(Workbench);
            snapshot->SetInterval(200);
            snapshot->OnTimer = [&](TObject*) {
                snapshot->SetEnabled(false);
                if (!SnapshotPages(snapshotFolder)) result = 1;
                Workbench->Close();
            };
        }
        Application->Run();
    } catch (Exception& E) {
        std::fprintf(stderr, "workbench: %s\n", UnicodeToUtf8(E.GetMessage()).c_str());
        result = 1;
    }
    package.Finalize();
    FinalizeQuorlpak();
    dlclose(package.Library);
    return result;
}
