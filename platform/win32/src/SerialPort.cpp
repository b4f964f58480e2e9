#include "Serial.h"

#include "Clock.h"
#include "HandleTable.h"

#include <win32/commapi.h>
#include <win32/fileapi.h>
#include <win32/winbase.h>

namespace win32 {

SerialPort::SerialPort(std::u16string name, std::unique_ptr<SerialLine> line)
    : name_(std::move(name)), line_(std::move(line)) {
    dcb_.DCBlength = sizeof(DCB);
    dcb_.BaudRate = CBR_9600;
    dcb_.fBinary = 1;
    dcb_.fDtrControl = DTR_CONTROL_ENABLE;
    dcb_.fRtsControl = RTS_CONTROL_ENABLE;
    dcb_.ByteSize = 8;
    dcb_.XonLim = 2048;
    dcb_.XoffLim = 512;
    dcb_.XonChar = 0x11;
    dcb_.XoffChar = 0x13;
    line_->ReadSettings(dcb_);
}

DWORD SerialPort::FileType() const { return FILE_TYPE_CHAR; }

DWORD SerialPort::GetState(DCB& dcb) {
    std::lock_guard<std::mutex> guard(lock_);
    if (DWORD e = line_->Check(kCallGetCommState)) return e;
    if (DWORD e = line_->ReadSettings(dcb_)) return e;
    dcb = dcb_;
    return ERROR_SUCCESS;
}

DWORD SerialPort::SetState(const DCB& dcb) {
    std::lock_guard<std::mutex> guard(lock_);
    pollingForInput_ = false;
    if (DWORD e = line_->Check(kCallSetCommState)) return e;
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY ||
        dcb.StopBits > TWOSTOPBITS || dcb.BaudRate == 0 ||
        (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize != 5))
        return ERROR_INVALID_PARAMETER;
    if (DWORD e = line_->ApplySettings(dcb)) return e;
    dcb_ = dcb;
    dcb_.DCBlength = sizeof(DCB);
    return ERROR_SUCCESS;
}

DWORD SerialPort::GetTimeouts(COMMTIMEOUTS& timeouts) {
    std::lock_guard<std::mutex> guard(lock_);
    timeouts = timeouts_;
    return ERROR_SUCCESS;
}

DWORD SerialPort::SetTimeouts(const COMMTIMEOUTS& timeouts) {
    std::lock_guard<std::mutex> guard(lock_);
    pollingForInput_ = false;
    if (DWORD e = line_->Check(kCallSetCommTimeouts)) return e;
    timeouts_ = timeouts;
    line_->Observe(timeouts);
    return ERROR_SUCCESS;
}

DWORD SerialPort::Setup(DWORD inQueue, DWORD outQueue) {
    std::lock_guard<std::mutex> guard(lock_);
    pollingForInput_ = false;
    if (DWORD e = line_->Check(kCallSetupComm)) return e;
    // The driver's queues are the kernel's; the sizes asked for are advice.
    return ERROR_SUCCESS;
}

DWORD SerialPort::Purge(DWORD flags) {
    std::lock_guard<std::mutex> guard(lock_);
    pollingForInput_ = false;
    if (DWORD e = line_->Check(kCallPurgeComm)) return e;
    if (flags & ~DWORD(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR))
        return ERROR_INVALID_PARAMETER;
    return line_->Purge(flags);
}

DWORD SerialPort::Status(DWORD& errors, COMSTAT& stat) {
    std::lock_guard<std::mutex> guard(lock_);
    errors = 0;
    stat = COMSTAT{};
    if (DWORD e = line_->Check(kCallClearCommError)) return e;
    // A sender asks between bytes while nothing can have arrived, so its
    // query is answered at once; only a caller that asks again after an empty
    // answer without doing anything else with the port is waiting for input,
    // and it waits a moment here (until a byte comes, at most about a
    // millisecond) instead of spinning a core.
    if (pollingForInput_) line_->Idle();
    DWORD in = 0, out = 0;
    if (DWORD e = line_->Queues(in, out)) return e;
    pollingForInput_ = in == 0;
    stat.cbInQue = in;
    stat.cbOutQue = out;
    return ERROR_SUCCESS;
}

DWORD SerialPort::Read(void* buffer, DWORD size, DWORD& done) {
    std::lock_guard<std::mutex> guard(lock_);
    done = 0;
    pollingForInput_ = false;
    if (DWORD e = line_->Check(kCallReadFile)) return e;
    if (size == 0) return ERROR_SUCCESS;
    const COMMTIMEOUTS t = timeouts_;
    const bool immediate = t.ReadIntervalTimeout == MAXDWORD &&
                           t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
    const bool noTimeouts = t.ReadIntervalTimeout == 0 && t.ReadTotalTimeoutMultiplier == 0 &&
                            t.ReadTotalTimeoutConstant == 0;
    const uint64_t start = NowMs();
    const uint64_t total = uint64_t(t.ReadTotalTimeoutMultiplier) * size + t.ReadTotalTimeoutConstant;
    uint64_t lastByte = start;
    auto* out = static_cast<BYTE*>(buffer);
    for (;;) {
        DWORD got = 0;
        if (DWORD e = line_->ReadNow(out + done, size - done, got)) return e;
        done += got;
        const uint64_t now = NowMs();
        if (got) lastByte = now;
        if (done == size || immediate) return ERROR_SUCCESS;
        // MAXDWORD interval with a total: return as soon as anything has arrived.
        if (t.ReadIntervalTimeout == MAXDWORD && done > 0) return ERROR_SUCCESS;
        if (!noTimeouts && total && now - start >= total) return ERROR_SUCCESS;
        if (t.ReadIntervalTimeout && t.ReadIntervalTimeout != MAXDWORD && done > 0 &&
            now - lastByte >= t.ReadIntervalTimeout)
            return ERROR_SUCCESS;
        line_->Idle();
    }
}

DWORD SerialPort::Write(const void* buffer, DWORD size, DWORD& done) {
    std::lock_guard<std::mutex> guard(lock_);
    done = 0;
    pollingForInput_ = false;
    if (DWORD e = line_->Check(kCallWriteFile)) return e;
    const COMMTIMEOUTS t = timeouts_;
    const uint64_t total =
        uint64_t(t.WriteTotalTimeoutMultiplier) * size + t.WriteTotalTimeoutConstant;
    const uint64_t start = NowMs();
    auto* in = static_cast<const BYTE*>(buffer);
    while (done < size) {
        DWORD put = 0;
        if (DWORD e = line_->WriteNow(in + done, size - done, put)) return e;
        done += put;
        if (done == size) break;
        if (total && NowMs() - start >= total) return ERROR_SEM_TIMEOUT;
        line_->Idle();
    }
    return ERROR_SUCCESS;
}

DWORD SerialPort::Flush() {
    std::lock_guard<std::mutex> guard(lock_);
    pollingForInput_ = false;
    return line_->Drain();
}

DWORD SerialPort::Escape(DWORD function) {
    std::lock_guard<std::mutex> guard(lock_);
    pollingForInput_ = false;
    return line_->Escape(function);
}

DWORD SerialPort::ModemStatus(DWORD& status) {
    std::lock_guard<std::mutex> guard(lock_);
    return line_->ModemStatus(status);
}

namespace {

std::shared_ptr<SerialPort> PortOf(HANDLE file) {
    auto port = LookupHandleAs<SerialPort>(file);
    if (!port) SetLastError(ERROR_INVALID_HANDLE);
    return port;
}

BOOL Done(DWORD error) {
    if (error == ERROR_SUCCESS) return TRUE;
    SetLastError(error);
    return FALSE;
}

} // namespace

} // namespace win32

using win32::Done;
using win32::PortOf;

BOOL GetCommState(HANDLE file, LPDCB dcb) {
    auto port = PortOf(file);
    if (!port) return FALSE;
    if (!dcb) return Done(ERROR_INVALID_PARAMETER);
    return Done(port->GetState(*dcb));
}

BOOL SetCommState(HANDLE file, LPDCB dcb) {
    auto port = PortOf(file);
    if (!port) return FALSE;
    if (!dcb) return Done(ERROR_INVALID_PARAMETER);
    return Done(port->SetState(*dcb));
}

BOOL GetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts) {
    auto port = PortOf(file);
    if (!port) return FALSE;
    if (!timeouts) return Done(ERROR_INVALID_PARAMETER);
    return Done(port->GetTimeouts(*timeouts));
}

BOOL SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts) {
    auto port = PortOf(file);
    if (!port) return FALSE;
    if (!timeouts) return Done(ERROR_INVALID_PARAMETER);
    return Done(port->SetTimeouts(*timeouts));
}

BOOL SetupComm(HANDLE file, DWORD inQueue, DWORD outQueue) {
    auto port = PortOf(file);
    return port ? Done(port->Setup(inQueue, outQueue)) : FALSE;
}

BOOL PurgeComm(HANDLE file, DWORD flags) {
    auto port = PortOf(file);
    return port ? Done(port->Purge(flags)) : FALSE;
}

BOOL ClearCommError(HANDLE file, LPDWORD errors, LPCOMSTAT stat) {
    auto port = PortOf(file);
    if (!port) return FALSE;
    DWORD e = 0;
    COMSTAT s{};
    DWORD result = port->Status(e, s);
    if (errors) *errors = e;
    if (stat) *stat = s;
    return Done(result);
}

BOOL EscapeCommFunction(HANDLE file, DWORD function) {
    auto port = PortOf(file);
    return port ? Done(port->Escape(function)) : FALSE;
}

BOOL GetCommModemStatus(HANDLE file, LPDWORD modemStatus) {
    auto port = PortOf(file);
    if (!port) return FALSE;
    DWORD status = 0;
    DWORD result = port->ModemStatus(status);
    if (modemStatus) *modemStatus = status;
    return Done(result);
}
