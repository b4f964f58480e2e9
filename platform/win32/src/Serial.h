// Serial ports: a COM port kernel object over a line that is either a Linux
// tty or, in tests, a fake peer. The port keeps the Windows view (the DCB, the
// time-outs, the queue sizes asked for); the line does the talking.
#pragma once

#include "IoObject.h"

#include <win32/commapi.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace win32 {

// What a port talks to. Every call answers ERROR_SUCCESS or a Windows error;
// a line that has gone away (an unplugged adapter) fails every call.
class SerialLine {
public:
    virtual ~SerialLine() = default;
    // Fills the fields of `dcb` that the line knows (rate, framing, flow control).
    virtual DWORD ReadSettings(DCB& dcb) = 0;
    virtual DWORD ApplySettings(const DCB& dcb) = 0;
    virtual DWORD Purge(DWORD flags) = 0;
    virtual DWORD Queues(DWORD& inQueue, DWORD& outQueue) = 0;
    // Moves what is there now, without waiting.
    virtual DWORD ReadNow(void* buffer, DWORD size, DWORD& done) = 0;
    virtual DWORD WriteNow(const void* buffer, DWORD size, DWORD& done) = 0;
    // Waits a little (at most about a millisecond of real time) for bytes to
    // arrive, so that pollers do not burn a core. May let the layer's manual
    // clock move on (a fake peer does, so that scripted time passes).
    virtual void Idle() = 0;
    virtual DWORD Drain() { return ERROR_SUCCESS; }
    virtual DWORD Escape(DWORD function) { return ERROR_SUCCESS; }
    virtual DWORD ModemStatus(DWORD& status) {
        status = MS_CTS_ON | MS_DSR_ON;
        return ERROR_SUCCESS;
    }
    // Before a call of the port: a fake peer may refuse it (failure injection).
    virtual DWORD Check(int call) { return ERROR_SUCCESS; }
    // The time-outs the port was given (a fake peer records them).
    virtual void Observe(const COMMTIMEOUTS& timeouts) {}
};

// The calls of a port, for failure injection.
// (The same order as TestSeams::SerialCall.)
enum SerialCallId {
    kCallOpen,
    kCallGetCommState,
    kCallSetCommState,
    kCallSetupComm,
    kCallPurgeComm,
    kCallSetCommTimeouts,
    kCallClearCommError,
    kCallReadFile,
    kCallWriteFile,
    kCallCount
};

class SerialPort : public IoObject {
public:
    SerialPort(std::u16string name, std::unique_ptr<SerialLine> line);
    const char* Kind() const override { return "serial port"; }

    DWORD Read(void* buffer, DWORD size, DWORD& done) override;
    DWORD Write(const void* buffer, DWORD size, DWORD& done) override;
    DWORD Flush() override;
    DWORD FileType() const override;

    DWORD GetState(DCB& dcb);
    DWORD SetState(const DCB& dcb);
    DWORD GetTimeouts(COMMTIMEOUTS& timeouts);
    DWORD SetTimeouts(const COMMTIMEOUTS& timeouts);
    DWORD Setup(DWORD inQueue, DWORD outQueue);
    DWORD Purge(DWORD flags);
    DWORD Status(DWORD& errors, COMSTAT& stat);
    DWORD Escape(DWORD function);
    DWORD ModemStatus(DWORD& status);

private:
    std::mutex lock_;
    std::u16string name_;
    std::unique_ptr<SerialLine> line_;
    DCB dcb_{};
    COMMTIMEOUTS timeouts_{};
    // The last status query found no input and the port has not been used
    // since (only asked): the caller is polling for a reply, so the next
    // empty query may wait.
    bool pollingForInput_ = false;
};

// Lines: a Linux tty (opened exclusively), and the fake peers of TestSeams.
DWORD OpenTtyLine(const std::string& path, std::unique_ptr<SerialLine>& line);
// The fake installed for COMn, or null.
std::unique_ptr<SerialLine> OpenFakeLine(int number, DWORD& error);
bool HasFakePort(int number);
// Numbers of the installed fake ports.
std::vector<int> FakePortNumbers();

} // namespace win32
