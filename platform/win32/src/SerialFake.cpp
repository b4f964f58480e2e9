// Fake serial peers for tests: a line whose far end is a script.
#include "Clock.h"
#include "Registry.h"
#include "Serial.h"

#include <win32/TestSeams.h>
#include <win32/winbase.h>

#include <array>
#include <deque>
#include <map>
#include <thread>

namespace win32 {
namespace {

class FakePeer : public TestSeams::FakeSerialPeer {
public:
    explicit FakePeer(int number) : number_(number) {}

    void SetResponder(std::function<std::optional<std::string>(const std::string&)> answer,
                      uint64_t delayMs) override {
        std::lock_guard<std::mutex> guard(lock_);
        answer_ = std::move(answer);
        delay_ = delayMs;
    }
    void Send(std::string bytes, uint64_t afterMs) override {
        std::lock_guard<std::mutex> guard(lock_);
        pending_.push_back({NowMs() + afterMs, std::move(bytes)});
    }
    void Fail(TestSeams::SerialCall call, DWORD error, int times) override {
        std::lock_guard<std::mutex> guard(lock_);
        failures_[static_cast<size_t>(call)] = {error, times};
    }
    void Unplug() override {
        std::lock_guard<std::mutex> guard(lock_);
        unplugged_ = true;
    }
    void SetIdleStep(uint64_t ms) override {
        std::lock_guard<std::mutex> guard(lock_);
        idleStep_ = ms ? ms : 1;
    }
    bool IsOpen() const override {
        std::lock_guard<std::mutex> guard(lock_);
        return open_;
    }
    int Opens() const override {
        std::lock_guard<std::mutex> guard(lock_);
        return opens_;
    }
    std::string Written() const override {
        std::lock_guard<std::mutex> guard(lock_);
        return written_;
    }
    std::vector<DCB> States() const override {
        std::lock_guard<std::mutex> guard(lock_);
        return states_;
    }
    std::vector<COMMTIMEOUTS> Timeouts() const override {
        std::lock_guard<std::mutex> guard(lock_);
        return timeouts_;
    }
    std::vector<DWORD> Purges() const override {
        std::lock_guard<std::mutex> guard(lock_);
        return purges_;
    }

    // --- What the line calls ---
    DWORD Check(int call) {
        std::lock_guard<std::mutex> guard(lock_);
        if (unplugged_) return ERROR_BAD_COMMAND;
        Failure& f = failures_[static_cast<size_t>(call)];
        if (f.times == 0) return ERROR_SUCCESS;
        if (f.times > 0) --f.times;
        return f.error;
    }
    DWORD Open() {
        if (DWORD e = Check(kCallOpen)) return e;
        std::lock_guard<std::mutex> guard(lock_);
        if (open_) return ERROR_ACCESS_DENIED;
        open_ = true;
        ++opens_;
        rx_.clear();
        partial_.clear();
        return ERROR_SUCCESS;
    }
    void Close() {
        std::lock_guard<std::mutex> guard(lock_);
        open_ = false;
    }
    void RecordState(const DCB& dcb) {
        std::lock_guard<std::mutex> guard(lock_);
        states_.push_back(dcb);
    }
    void RecordTimeouts(const COMMTIMEOUTS& t) {
        std::lock_guard<std::mutex> guard(lock_);
        timeouts_.push_back(t);
    }
    void Purge(DWORD flags) {
        std::lock_guard<std::mutex> guard(lock_);
        purges_.push_back(flags);
        if (flags & PURGE_RXCLEAR) rx_.clear();
    }
    DWORD InQueue() {
        std::lock_guard<std::mutex> guard(lock_);
        Arrive();
        return static_cast<DWORD>(rx_.size());
    }
    DWORD Take(void* buffer, DWORD size) {
        std::lock_guard<std::mutex> guard(lock_);
        Arrive();
        DWORD n = std::min<DWORD>(size, static_cast<DWORD>(rx_.size()));
        std::copy_n(rx_.begin(), n, static_cast<char*>(buffer));
        rx_.erase(0, n);
        return n;
    }
    void Put(const void* buffer, DWORD size) {
        // Lines are answered outside the lock: a responder may call back into the peer.
        std::vector<std::string> lines;
        std::function<std::optional<std::string>(const std::string&)> answer;
        uint64_t delay;
        {
            std::lock_guard<std::mutex> guard(lock_);
            const char* bytes = static_cast<const char*>(buffer);
            written_.append(bytes, size);
            for (DWORD i = 0; i < size; ++i) {
                if (bytes[i] == '\r') {
                    lines.push_back(partial_);
                    partial_.clear();
                } else {
                    partial_.push_back(bytes[i]);
                }
            }
            answer = answer_;
            delay = delay_;
        }
        if (!answer) return;
        for (const std::string& line : lines)
            if (std::optional<std::string> reply = answer(line)) Send(*reply, delay);
    }
    void Idle() {
        if (!TestSeams::ClockIsManual()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return;
        }
        uint64_t step;
        {
            std::lock_guard<std::mutex> guard(lock_);
            step = idleStep_;
            const uint64_t now = NowMs();
            for (const auto& p : pending_)
                if (p.first > now) step = std::min(step, p.first - now);
        }
        TestSeams::AdvanceClock(step);
    }
    int Number() const { return number_; }

private:
    struct Failure {
        DWORD error = ERROR_SUCCESS;
        int times = 0;
    };
    // Moves what has arrived by now into the receive queue. Caller holds lock_.
    void Arrive() {
        const uint64_t now = NowMs();
        while (!pending_.empty() && pending_.front().first <= now) {
            rx_ += pending_.front().second;
            pending_.pop_front();
        }
    }

    const int number_;
    mutable std::mutex lock_;
    std::function<std::optional<std::string>(const std::string&)> answer_;
    uint64_t delay_ = 0;
    uint64_t idleStep_ = 1;
    std::deque<std::pair<uint64_t, std::string>> pending_;
    std::string rx_;
    std::string partial_;
    std::array<Failure, kCallCount> failures_{};
    bool unplugged_ = false;
    bool open_ = false;
    int opens_ = 0;
    std::string written_;
    std::vector<DCB> states_;
    std::vector<COMMTIMEOUTS> timeouts_;
    std::vector<DWORD> purges_;
};

class FakeLine : public SerialLine {
public:
    explicit FakeLine(std::shared_ptr<FakePeer> peer) : peer_(std::move(peer)) {}
    ~FakeLine() override { peer_->Close(); }

    DWORD ReadSettings(DCB& dcb) override { return ERROR_SUCCESS; }
    DWORD ApplySettings(const DCB& dcb) override {
        peer_->RecordState(dcb);
        return ERROR_SUCCESS;
    }
    DWORD Purge(DWORD flags) override {
        peer_->Purge(flags);
        return ERROR_SUCCESS;
    }
    DWORD Queues(DWORD& in, DWORD& out) override {
        in = peer_->InQueue();
        out = 0;
        return ERROR_SUCCESS;
    }
    DWORD ReadNow(void* buffer, DWORD size, DWORD& done) override {
        done = peer_->Take(buffer, size);
        return ERROR_SUCCESS;
    }
    DWORD WriteNow(const void* buffer, DWORD size, DWORD& done) override {
        peer_->Put(buffer, size);
        done = size;
        return ERROR_SUCCESS;
    }
    void Idle() override { peer_->Idle(); }
    DWORD Check(int call) override { return peer_->Check(call); }
    void Observe(const COMMTIMEOUTS& timeouts) override { peer_->RecordTimeouts(timeouts); }

private:
    std::shared_ptr<FakePeer> peer_;
};

std::mutex fakesLock;
std::map<int, std::shared_ptr<FakePeer>>& Fakes() {
    static auto* fakes = new std::map<int, std::shared_ptr<FakePeer>>;
    return *fakes;
}

std::shared_ptr<FakePeer> FakeFor(int number) {
    std::lock_guard<std::mutex> guard(fakesLock);
    auto it = Fakes().find(number);
    return it == Fakes().end() ? nullptr : it->second;
}

} // namespace

std::unique_ptr<SerialLine> OpenFakeLine(int number, DWORD& error) {
    auto peer = FakeFor(number);
    if (!peer) {
        error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    error = peer->Open();
    if (error) return nullptr;
    return std::make_unique<FakeLine>(peer);
}

bool HasFakePort(int number) { return FakeFor(number) != nullptr; }

std::vector<int> FakePortNumbers() {
    std::lock_guard<std::mutex> guard(fakesLock);
    std::vector<int> numbers;
    for (const auto& entry : Fakes()) numbers.push_back(entry.first);
    return numbers;
}

} // namespace win32

namespace TestSeams {

std::shared_ptr<FakeSerialPeer> InstallFakeSerialPort(int number) {
    auto peer = std::make_shared<win32::FakePeer>(number);
    {
        std::lock_guard<std::mutex> guard(win32::fakesLock);
        win32::Fakes()[number] = peer;
    }
    win32::RegenerateHardware();
    return peer;
}

void RemoveFakeSerialPorts() {
    {
        std::lock_guard<std::mutex> guard(win32::fakesLock);
        win32::Fakes().clear();
    }
    win32::RegenerateHardware();
}

} // namespace TestSeams
