#include <runpak/Exceptions.h>
#include <runpak/Object.h>

#include <cxxabi.h>
#include <cstdlib>
#include <memory>
#include <typeinfo>

UnicodeString TObject::ClassName() const {
    const char* mangled = typeid(*this).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    std::string name = status == 0 && demangled ? demangled.get() : mangled;
    // Drop namespaces and template arguments: the class name as written.
    size_t angle = name.find('<');
    if (angle != std::string::npos) name.erase(angle);
    size_t colon = name.rfind("::");
    if (colon != std::string::npos) name.erase(0, colon + 2);
    return Utf8ToUnicode(name);
}

const char* Exception::what() const noexcept {
    try {
        if (FWhat.empty()) FWhat = UnicodeToUtf8(FMessage);
        return FWhat.c_str();
    } catch (...) {
        return "Exception";
    }
}
