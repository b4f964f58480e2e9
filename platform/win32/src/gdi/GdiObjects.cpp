#include "GdiObjects.h"

#include "Fonts.h"

#include <win32/winbase.h>

#include <unordered_map>

namespace win32 {
namespace {

std::recursive_mutex& Mutex() {
    static auto* mutex = new std::recursive_mutex; // never destroyed: used during exit
    return *mutex;
}

struct Table {
    std::unordered_map<uintptr_t, std::shared_ptr<GdiObject>> objects;
    // GDI handles lie apart from kernel handles so that a mix-up fails cleanly.
    uintptr_t next = 0x40000;
};

Table& TheTable() {
    static auto* table = new Table;
    return *table;
}

std::shared_ptr<BrushObject> MakeBrush(UINT style, COLORREF color) {
    auto b = std::make_shared<BrushObject>();
    b->style = style;
    b->color = color;
    return b;
}

std::shared_ptr<PenObject> MakePen(int style, COLORREF color) {
    auto p = std::make_shared<PenObject>();
    p->style = style;
    p->color = color;
    return p;
}

std::shared_ptr<FontObject> MakeFont(int height, int weight, BYTE pitch, const char16_t* face) {
    auto f = std::make_shared<FontObject>();
    f->logFont.lfHeight = height;
    f->logFont.lfWeight = weight;
    f->logFont.lfCharSet = DEFAULT_CHARSET;
    f->logFont.lfPitchAndFamily = pitch;
    for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i)
        f->logFont.lfFaceName[i] = face[i];
    return f;
}

std::shared_ptr<GdiObject> CreateStock(int index) {
    switch (index) {
    case WHITE_BRUSH:
        return MakeBrush(BS_SOLID, RGB(255, 255, 255));
    case LTGRAY_BRUSH:
        return MakeBrush(BS_SOLID, RGB(192, 192, 192));
    case GRAY_BRUSH:
        return MakeBrush(BS_SOLID, RGB(128, 128, 128));
    case DKGRAY_BRUSH:
        return MakeBrush(BS_SOLID, RGB(64, 64, 64));
    case BLACK_BRUSH:
        return MakeBrush(BS_SOLID, RGB(0, 0, 0));
    case NULL_BRUSH:
        return MakeBrush(BS_NULL, 0);
    case DC_BRUSH:
        return MakeBrush(BS_SOLID, RGB(255, 255, 255));
    case WHITE_PEN:
        return MakePen(PS_SOLID, RGB(255, 255, 255));
    case BLACK_PEN:
        return MakePen(PS_SOLID, 0);
    case NULL_PEN:
        return MakePen(PS_NULL, 0);
    case DC_PEN:
        return MakePen(PS_SOLID, 0);
    // The system font is a bold 16-pixel cell; the GUI font is the 8-point dialog face.
    case SYSTEM_FONT:
        return MakeFont(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, u"System");
    case DEVICE_DEFAULT_FONT:
        return MakeFont(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, u"System");
    case DEFAULT_GUI_FONT:
        return MakeFont(-11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, u"MS Shell Dlg");
    case ANSI_VAR_FONT:
        return MakeFont(12, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, u"MS Sans Serif");
    case ANSI_FIXED_FONT:
    case OEM_FIXED_FONT:
    case SYSTEM_FIXED_FONT:
        return MakeFont(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, u"Courier");
    default:
        return nullptr;
    }
}

} // namespace

GdiLock::GdiLock() {
    Mutex().lock();
}
GdiLock::~GdiLock() {
    Mutex().unlock();
}

HGDIOBJ InsertGdiObject(std::shared_ptr<GdiObject> object) {
    Table& t = TheTable();
    uintptr_t value = t.next;
    t.next += 4;
    if (t.next >= 0x3FFFFFF0) t.next = 0x40000;
    while (t.objects.count(value)) {
        value = t.next;
        t.next += 4;
    }
    HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(value);
    object->handle = handle;
    t.objects.emplace(value, std::move(object));
    return handle;
}

std::shared_ptr<GdiObject> LookupGdiObject(HGDIOBJ handle) {
    Table& t = TheTable();
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

bool RemoveGdiObject(HGDIOBJ handle) {
    std::shared_ptr<GdiObject> doomed;
    Table& t = TheTable();
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it == t.objects.end()) return false;
    doomed = std::move(it->second);
    t.objects.erase(it);
    return true;
}

std::shared_ptr<GdiObject> StockObject(int index) {
    static std::unordered_map<int, HGDIOBJ>* stock = new std::unordered_map<int, HGDIOBJ>;
    auto it = stock->find(index);
    if (it != stock->end()) return LookupGdiObject(it->second);
    std::shared_ptr<GdiObject> object = CreateStock(index);
    if (!object) return nullptr;
    object->stock = true;
    (*stock)[index] = InsertGdiObject(object);
    return object;
}

std::shared_ptr<BitmapObject> DefaultBitmap() {
    static HGDIOBJ handle = nullptr;
    if (!handle) {
        auto b = std::make_shared<BitmapObject>();
        b->surface = std::make_shared<Surface>(1, 1, true);
        b->bitsPerPixel = 1;
        b->stock = true;
        handle = InsertGdiObject(b);
    }
    return LookupGdi<BitmapObject>(handle);
}

std::shared_ptr<FontInstance> FontObject::Instance() {
    if (!instance) instance = ResolveFont(logFont);
    return instance;
}

void SetInvalidHandle() {
    SetLastError(ERROR_INVALID_HANDLE);
}
void SetInvalidParameter() {
    SetLastError(ERROR_INVALID_PARAMETER);
}

} // namespace win32
