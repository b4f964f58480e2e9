// The package page: the units of libbenchkit.so in the order the package
// table starts them, as the host's loader saw them.
#include "WorkbenchPage.h"

#include <benchkit/Benchkit.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/Strings.h>
#include <runpak/UString.h>

namespace {

void Build(TWinControl* Sheet) {
    auto* title = new TLabel(Sheet);
    title->SetParent(Sheet);
    title->SetBounds(8, 8, 400, 16);
    const TPackageInfoTable* table = GetPackageInfoTable();
    title->SetCaption(u"libbenchkit.so: " + IntToStr(table->UnitCount) +
                      u" units, started in this order:");

    auto* units = new TListBox(Sheet);
    units->SetParent(Sheet);
    units->SetBounds(8, 30, 360, 300);
    for (int i = 0; i < table->UnitCount; ++i) {
        units->GetItems()->Add(Utf8ToUnicode(table->UnitInfo[i].Name));
    }
}

} // namespace

extern const TWorkbenchPage PackagePage = {"package", u"Package", Build, nullptr};
