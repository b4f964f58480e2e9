#include "benchkit/shell/IDEVirtualCommandLine.h"

#include <runpak/ScopeGuard.h>
#include <win32/fileapi.h>
#include <win32/processapi.h>

namespace {

void Close(HANDLE& handle) {
    if (handle) CloseHandle(handle);
    handle = nullptr;
}

// The length of the longest prefix of bytes that ends on a whole UTF-8
// character; the rest is the start of a character whose bytes are still due.
size_t WholeCharacters(const std::string& bytes) {
    size_t end = bytes.size();
    for (size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
        unsigned char c = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((c & 0xC0) == 0x80) continue; // a continuation byte: look further back
        size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (length > back) end = bytes.size() - back;
        break;
    }
    return end;
}

// The interpreter the environment names, as a Windows path.
std::u16string Interpreter() {
    WCHAR path[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(u"ComSpec", path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::u16string(path, length) : std::u16string();
}

} // namespace

TCommandLinePipe::TCommandLinePipe(TComponent* AOwner)
    : TComponent(AOwner), FMemStream(new TMemoryStream) {}

TCommandLinePipe::~TCommandLinePipe() {
    CloseAll();
    delete FMemStream;
}

void TCommandLinePipe::CloseAll() {
    Close(FhPipe2WriteDuplicate);
    Close(FhPipe1ReadDuplicate);
    Close(FhPipe2Read);
    Close(FhPipe1Write);
    Close(FhProcess);
    Close(FhThread);
}

void TCommandLinePipe::DoError(TCommandLinePipeStep Step, DWORD ErrorCode) {
    Beep(100, 100);
    if (OnError) OnError(this, Step, ErrorCode);
}

void TCommandLinePipe::Initialize() {
    if (GetStarted()) return;
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE self = GetCurrentProcess();

    // The child takes this process's standard handles as its own; they are
    // swapped for the pipe ends only while it starts.
    HANDLE savedOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE savedInput = GetStdHandle(STD_INPUT_HANDLE);
    auto restore = runpak::ScopeExit([&] {
        SetStdHandle(STD_OUTPUT_HANDLE, savedOutput);
        SetStdHandle(STD_INPUT_HANDLE, savedInput);
    });
    // A failed step leaves nothing half made behind: no pipe that nobody
    // reads or writes stays open to block a later call.
    auto fail = [&](TCommandLinePipeStep Step) {
        DWORD error = GetLastError();
        CloseAll();
        DoError(Step, error);
    };

    HANDLE outputRead = nullptr;
    if (!CreatePipe(&outputRead, &FhPipe1Write, &security, 0) ||
        !SetStdHandle(STD_OUTPUT_HANDLE, FhPipe1Write) ||
        !DuplicateHandle(self, outputRead, self, &FhPipe1ReadDuplicate, 0, FALSE,
                         DUPLICATE_SAME_ACCESS | DUPLICATE_CLOSE_SOURCE)) {
        Close(outputRead);
        return fail(cpsOutputPipe);
    }

    HANDLE inputWrite = nullptr;
    if (!CreatePipe(&FhPipe2Read, &inputWrite, &security, 0) ||
        !SetStdHandle(STD_INPUT_HANDLE, FhPipe2Read) ||
        !DuplicateHandle(self, inputWrite, self, &FhPipe2WriteDuplicate, 0, FALSE,
                         DUPLICATE_SAME_ACCESS | DUPLICATE_CLOSE_SOURCE)) {
        Close(inputWrite);
        return fail(cpsInputPipe);
    }

    std::u16string interpreter = Interpreter();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    WCHAR commandLine[1] = {0};
    if (interpreter.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return fail(cpsStartInterpreter);
    }
    if (!CreateProcessW(interpreter.c_str(), commandLine, nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &info))
        return fail(cpsStartInterpreter);
    FhProcess = info.hProcess;
    FhThread = info.hThread;
}

void TCommandLinePipe::Write(const void* Bytes, DWORD Count) {
    // Without a running interpreter nobody reads: writing would only fill a
    // pipe until the caller blocks on it.
    if (!GetStarted()) return DoError(cpsWrite, ERROR_INVALID_HANDLE);
    DWORD written = 0;
    if (!WriteFile(FhPipe2WriteDuplicate, Bytes, Count, &written, nullptr) || written != Count)
        DoError(cpsWrite, GetLastError());
}

void TCommandLinePipe::DOSCommand(const UnicodeString& Command) {
    std::string bytes = UnicodeToUtf8(Command);
    Write(bytes.data(), static_cast<DWORD>(bytes.size()));
}

void TCommandLinePipe::SendTo(TMemoryStream* Stream) {
    if (!Stream) return;
    Write(Stream->GetMemory(), static_cast<DWORD>(Stream->GetSize()));
}

void TCommandLinePipe::ReadFrom(TMemoryStream* Stream) {
    Stream->SetSize(0);
    if (!FhPipe1ReadDuplicate) return;
    DWORD waiting = 0;
    if (!PeekNamedPipe(FhPipe1ReadDuplicate, nullptr, 0, nullptr, &waiting, nullptr) || waiting == 0)
        return;
    Stream->SetSize(waiting);
    DWORD got = 0;
    if (!ReadFile(FhPipe1ReadDuplicate, Stream->GetMemory(), waiting, &got, nullptr)) got = 0;
    Stream->SetSize(got);
    Stream->SetPosition(0);
}

UnicodeString TCommandLinePipe::ReadResult() {
    ReadFrom(FMemStream);
    std::string bytes = std::move(FPartialCharacter);
    bytes.append(static_cast<const char*>(FMemStream->GetMemory()),
                 static_cast<size_t>(FMemStream->GetSize()));
    size_t whole = WholeCharacters(bytes);
    FPartialCharacter = bytes.substr(whole);
    bytes.resize(whole);
    return Utf8ToUnicode(bytes);
}
