// The simulated servo drive: 128 numbered parameters, a status word, an alarm
// register and encoder/reference positions that move while the servo is on.
// It answers one command line (without its carriage return) at a time.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class ServoDrive {
public:
    static constexpr int kParamCount = 128;
    static constexpr int kAlarmBits = 15;
    static constexpr int kEncoderPos = 16;
    static constexpr int kReferencePos = 17;
    static constexpr int kVersion = 21;
    static constexpr int kAlarmMask = 56;
    static constexpr int kStatus = 57;
    static constexpr int kBaudCode = 78;
    static constexpr int32_t kStatusAlarm = 1 << 2;
    static constexpr int32_t kStatusServoOn = 1 << 3;

    ServoDrive();

    // The reply line to a command line, with its carriage return. `nowMs`
    // moves the positions along while the servo is on.
    std::string Answer(const std::string& line, uint64_t nowMs);

    // Raises alarm bit `bit` (0..8): the servo goes off and the status shows it.
    void RaiseAlarm(int bit);

    int32_t Param(int n) const { return params_[n]; }
    bool ServoOn() const { return (params_[kStatus] & kStatusServoOn) != 0; }
    // The rate the stored baud code asks for (9600, 19200 or 38400).
    int StoredBaudRate() const;
    int Stores() const { return stores_; }

private:
    void Advance(uint64_t nowMs);
    void UpdateStatus();

    std::array<int32_t, kParamCount> params_{};
    uint64_t lastMs_ = 0;
    bool started_ = false;
    int stores_ = 0;
};
