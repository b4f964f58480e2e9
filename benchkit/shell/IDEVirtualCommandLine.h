// A command interpreter run as a child process behind two anonymous pipes:
// commands go in as text, whatever output is waiting comes back on request.
// Polling only; nothing here waits for output that has not arrived.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Component.h>
#include <runpak/Streams.h>
#include <runpak/UString.h>
#include <win32/windef.h>

#include <functional>
#include <string>

// The step of the start-up (or the write) that failed.
enum TCommandLinePipeStep {
    cpsOutputPipe,        // the child's output pipe could not be made
    cpsInputPipe,         // the child's input pipe could not be made
    cpsStartInterpreter,  // the interpreter did not start
    cpsWrite              // text could not be handed to the interpreter
};

using TCommandLinePipeErrorEvent =
    std::function<void(TObject* Sender, TCommandLinePipeStep Step, DWORD ErrorCode)>;

class TCommandLinePipe : public TComponent {
public:
    explicit TCommandLinePipe(TComponent* AOwner);
    // Closes the pipes, so an interpreter still running reads the end of its
    // input and leaves.
    ~TCommandLinePipe() override;

    // Starts the interpreter that the environment names (ComSpec) with its
    // input and output on two pipes. A failed step beeps, raises OnError and
    // ends the start-up; the component then stays idle.
    void Initialize();
    // Writes the text as UTF-8, exactly as given (the caller adds the line end).
    void DOSCommand(const UnicodeString& Command);
    // Writes the stream's whole content.
    void SendTo(TMemoryStream* Stream);
    // Replaces Stream's content with the output bytes waiting now (none: empty).
    void ReadFrom(TMemoryStream* Stream);
    // The waiting output as text. A character whose bytes have not all
    // arrived is kept back for the next call instead of being garbled.
    UnicodeString ReadResult();

    // True once the interpreter runs behind both pipes.
    bool GetStarted() const { return FhProcess != nullptr; }
    HANDLE GetProcessHandle() const { return FhProcess; }

    TCommandLinePipeErrorEvent OnError;

protected:
    virtual void DoError(TCommandLinePipeStep Step, DWORD ErrorCode);

private:
    void Write(const void* Bytes, DWORD Count);
    void CloseAll();

    HANDLE FhPipe2Read = nullptr;          // the child's input, read end (the child's)
    HANDLE FhPipe1Write = nullptr;         // the child's output, write end (the child's)
    HANDLE FhPipe1ReadDuplicate = nullptr; // our private read end of the output
    HANDLE FhPipe2WriteDuplicate = nullptr; // our private write end of the input
    HANDLE FhProcess = nullptr;
    HANDLE FhThread = nullptr;
    TMemoryStream* FMemStream; // owned: receives the output of ReadResult
    std::string FPartialCharacter; // leading bytes of a character still on its way
};

#pragma GCC visibility pop
