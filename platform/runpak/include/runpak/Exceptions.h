// The framework's exception classes. Throw by value, catch by reference:
//   throw EConvertError(u"'12a' is not a valid integer value");
//   throw EConvertError(u"'%s' is not a valid integer value", {text});   // as CreateFmt
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Format.h>
#include <runpak/Object.h>

#include <exception>
#include <initializer_list>
#include <string>

class Exception : public TObject, public std::exception {
public:
    explicit Exception(UnicodeString message = {}) : FMessage(std::move(message)) {}
    // The message made by Format from fmt and args.
    Exception(std::u16string_view fmt, std::initializer_list<TVarRec> args)
        : FMessage(FormatV(fmt, args.begin(), args.size())) {}

    const UnicodeString& GetMessage() const { return FMessage; }
    void SetMessage(UnicodeString message) {
        FMessage = std::move(message);
        FWhat.clear();
    }
    int GetHelpContext() const { return FHelpContext; }
    void SetHelpContext(int context) { FHelpContext = context; }

    // The message in UTF-8, for diagnostics outside the system.
    const char* what() const noexcept override;

private:
    UnicodeString FMessage;
    int FHelpContext = 0;
    mutable std::string FWhat;
};

#define RUNPAK_EXCEPTION(name, base)                                                               \
    class name : public base {                                                                     \
    public:                                                                                        \
        using base::base;                                                                          \
    }

RUNPAK_EXCEPTION(EAbort, Exception);
RUNPAK_EXCEPTION(EConvertError, Exception);
RUNPAK_EXCEPTION(EListError, Exception);
RUNPAK_EXCEPTION(EStringListError, Exception);
RUNPAK_EXCEPTION(EStreamError, Exception);
RUNPAK_EXCEPTION(EFilerError, EStreamError);
RUNPAK_EXCEPTION(EReadError, EFilerError);
RUNPAK_EXCEPTION(EWriteError, EFilerError);
RUNPAK_EXCEPTION(EClassNotFound, EFilerError);
RUNPAK_EXCEPTION(EFCreateError, EStreamError);
RUNPAK_EXCEPTION(EFOpenError, EStreamError);
RUNPAK_EXCEPTION(EInvalidOperation, Exception);
RUNPAK_EXCEPTION(EInvalidCast, Exception);
RUNPAK_EXCEPTION(EInvalidPointer, Exception);
RUNPAK_EXCEPTION(EOutOfMemory, Exception);
RUNPAK_EXCEPTION(EIntError, Exception);
RUNPAK_EXCEPTION(EDivByZero, EIntError);
RUNPAK_EXCEPTION(ERangeError, EIntError);
RUNPAK_EXCEPTION(EIntOverflow, EIntError);
RUNPAK_EXCEPTION(EMathError, Exception);
RUNPAK_EXCEPTION(EZeroDivide, EMathError);
RUNPAK_EXCEPTION(EOverflow, EMathError);
RUNPAK_EXCEPTION(EInvalidArgument, EMathError);
RUNPAK_EXCEPTION(EVariantError, Exception);
RUNPAK_EXCEPTION(EAccessViolation, Exception);
RUNPAK_EXCEPTION(EArgumentException, Exception);
RUNPAK_EXCEPTION(EArgumentOutOfRangeException, EArgumentException);
RUNPAK_EXCEPTION(ENotSupportedException, Exception);
RUNPAK_EXCEPTION(ENotImplemented, Exception);
RUNPAK_EXCEPTION(EComponentError, Exception);
RUNPAK_EXCEPTION(EPropertyError, Exception);
RUNPAK_EXCEPTION(EThread, Exception);
RUNPAK_EXCEPTION(ESyncObjectException, Exception);
RUNPAK_EXCEPTION(ERegistryException, Exception);
RUNPAK_EXCEPTION(EIniFileException, Exception);
RUNPAK_EXCEPTION(EExternalException, Exception);
// A module has no resource of the name asked for.
RUNPAK_EXCEPTION(EResNotFound, Exception);

// An operating-system call failed; ErrorCode is the GetLastError value.
class EOSError : public Exception {
public:
    using Exception::Exception;
    unsigned int ErrorCode = 0;
};

#undef RUNPAK_EXCEPTION

#pragma GCC visibility pop
