// COM ports as devices: opening "COMn" through the devices folder, filling the
// folder from the machine's serial devices the first time, and the registry's
// list of ports under HKLM\HARDWARE\DEVICEMAP\SERIALCOMM.
#include "Config.h"
#include "Devices.h"
#include "Paths.h"
#include "Registry.h"
#include "Serial.h"

#include <win32/TestSeams.h>
#include <win32/winbase.h>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <mutex>
#include <sys/ioctl.h>
#include <unistd.h>

namespace win32 {
namespace {

std::mutex scanLock;
std::string& ScanFolder() {
    static auto* folder = new std::string("/dev");
    return *folder;
}

// "COM12" -> 12; 0 when the name is not a COM port.
int ComNumber(std::u16string_view name) {
    if (name.size() < 4 || name.substr(0, 3) != u"COM") return 0;
    int n = 0;
    for (char16_t c : name.substr(3)) {
        if (c < u'0' || c > u'9' || n > 100000) return 0;
        n = n * 10 + (c - u'0');
    }
    return n;
}

// The COM links of the devices folder: number -> Linux device.
std::vector<std::pair<int, std::string>> ComLinks() {
    std::vector<std::pair<int, std::string>> links;
    DIR* dir = opendir(DevicesFolder().c_str());
    if (!dir) return links;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() < 4 || name.compare(0, 3, "com") != 0) continue;
        std::u16string upper = u"COM";
        for (char c : name.substr(3)) upper.push_back(static_cast<char16_t>(c));
        int n = ComNumber(upper);
        if (n <= 0) continue;
        std::string target = ResolveDevice(upper);
        if (!target.empty()) links.push_back({n, target});
    }
    closedir(dir);
    std::sort(links.begin(), links.end());
    return links;
}

// A legacy ttyS port without hardware behind it reports the type "unknown".
bool RealLegacyPort(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    serial_struct info{};
    bool real = ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    close(fd);
    return real;
}

// The machine's serial devices, USB adapters first as they are what users plug in.
std::vector<std::string> MachineSerialDevices() {
    std::string folder;
    {
        std::lock_guard<std::mutex> guard(scanLock);
        folder = ScanFolder();
    }
    std::vector<std::string> usb, legacy;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return {};
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        std::string path = folder + "/" + name;
        if (name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0) usb.push_back(path);
        else if (name.rfind("ttyS", 0) == 0 && RealLegacyPort(path)) legacy.push_back(path);
    }
    closedir(dir);
    std::sort(usb.begin(), usb.end());
    std::sort(legacy.begin(), legacy.end());
    usb.insert(usb.end(), legacy.begin(), legacy.end());
    return usb;
}

// Gives the devices folder COM links when it has none: com1, com2, ... in order.
void FillComLinks() {
    if (!ComLinks().empty()) return;
    int n = 1;
    for (const std::string& device : MachineSerialDevices()) {
        std::string link = DevicesFolder() + "/com" + std::to_string(n++);
        symlink(device.c_str(), link.c_str());
    }
}

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

} // namespace

void GenerateBuiltinHardware() {
    const std::u16string key = u"DEVICEMAP\\SERIALCOMM";
    std::vector<int> fakes = FakePortNumbers();
    if (!fakes.empty()) {
        for (int n : fakes)
            SetHardwareString(key, u"\\Device\\FakeSerial" + Wide(std::to_string(n)),
                              u"COM" + Wide(std::to_string(n)));
        return;
    }
    FillComLinks();
    for (const auto& [n, device] : ComLinks())
        SetHardwareString(key, ToWindowsPath(device), u"COM" + Wide(std::to_string(n)));
}

HANDLE OpenDevice(const std::u16string& name, const std::string& target, DWORD access, DWORD share,
                  DWORD disposition, DWORD flagsAndAttributes) {
    const int number = ComNumber(name);
    if (number <= 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::unique_ptr<SerialLine> line;
    DWORD error = ERROR_SUCCESS;
    if (HasFakePort(number)) {
        line = OpenFakeLine(number, error);
    } else {
        std::string device = target;
        if (device.empty()) {
            // The folder may not have been filled yet (the registry fills it).
            FillComLinks();
            device = ResolveDevice(name);
        }
        error = device.empty() ? ERROR_FILE_NOT_FOUND : OpenTtyLine(device, line);
    }
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    return InsertHandle(std::make_shared<SerialPort>(name, std::move(line)));
}

} // namespace win32

namespace TestSeams {

void SetSerialScanFolder(const std::string& folder) {
    std::lock_guard<std::mutex> guard(win32::scanLock);
    win32::ScanFolder() = folder.empty() ? "/dev" : folder;
}

} // namespace TestSeams
