#include "ServoDrive.h"

#include <cstdlib>

namespace {

// Parses a whole decimal number (optional sign); false on anything else.
bool ParseInt(const std::string& text, long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return end && *end == '\0' && text.find_first_of(" \t") == std::string::npos;
}

} // namespace

ServoDrive::ServoDrive() {
    params_[0] = 2500;  // encoder resolution
    params_[1] = 4;     // external multiplier
    params_[2] = 8;     // motor poles
    params_[3] = 1;     // motor type
    params_[4] = 0x15;  // encoder pulse mode
    params_[5] = 0x21;  // command pulse mode
    params_[6] = 0;     // electrical angle offset
    params_[7] = 1000;  // internal command pulses
    params_[kVersion] = 150;
    params_[kAlarmMask] = 0x1FF;
    params_[kBaudCode] = 0;
    for (int n = 30; n < kParamCount; ++n)
        if (n != kAlarmMask && n != kStatus && n != kBaudCode) params_[n] = n * 10;
    UpdateStatus();
}

void ServoDrive::UpdateStatus() {
    int32_t status = params_[kStatus] & ~kStatusAlarm;
    if (params_[kAlarmBits] & params_[kAlarmMask]) status |= kStatusAlarm;
    params_[kStatus] = status;
}

void ServoDrive::Advance(uint64_t nowMs) {
    if (!started_) {
        started_ = true;
        lastMs_ = nowMs;
    }
    if (ServoOn() && nowMs > lastMs_) {
        // The reference runs at 1000 counts a second; the encoder follows one step behind.
        const int32_t step = static_cast<int32_t>(nowMs - lastMs_);
        params_[kEncoderPos] = params_[kReferencePos];
        params_[kReferencePos] += step;
    }
    lastMs_ = nowMs;
}

void ServoDrive::RaiseAlarm(int bit) {
    if (bit < 0 || bit > 8) return;
    params_[kAlarmBits] |= 1 << bit;
    params_[kStatus] &= ~kStatusServoOn;
    UpdateStatus();
}

int ServoDrive::StoredBaudRate() const {
    switch (params_[kBaudCode]) {
    case 1: return 19200;
    case 2: return 38400;
    default: return 9600;
    }
}

std::string ServoDrive::Answer(const std::string& line, uint64_t nowMs) {
    Advance(nowMs);
    if (line == "$S") {
        ++stores_;
        return ".\r";
    }
    if (line == "$O") {
        if (params_[kStatus] & kStatusAlarm) return "E\r"; // no servo while an alarm stands
        params_[kStatus] |= kStatusServoOn;
        return ".\r";
    }
    if (line == "$F") {
        params_[kStatus] &= ~kStatusServoOn;
        return ".\r";
    }
    if (line == "$C") {
        params_[kAlarmBits] = 0;
        UpdateStatus();
        return ".\r";
    }
    if (line.size() > 2 && line[0] == '$' && line[1] == 'A') { // test hook: raise an alarm
        long long bit;
        if (!ParseInt(line.substr(2), bit)) return "?\r";
        RaiseAlarm(static_cast<int>(bit));
        return ".\r";
    }
    const size_t eq = line.find('=');
    long long n, value;
    if (eq == std::string::npos) {
        if (!ParseInt(line, n) || n < 0 || n >= kParamCount) return "?\r";
        return std::to_string(params_[n]) + "\r";
    }
    if (!ParseInt(line.substr(0, eq), n) || !ParseInt(line.substr(eq + 1), value) || n < 0 ||
        n >= kParamCount || value < INT32_MIN || value > INT32_MAX)
        return "?\r";
    // Read-only: alarms, positions, version and status.
    if (n == kAlarmBits || n == kEncoderPos || n == kReferencePos || n == kVersion || n == kStatus)
        return "E\r";
    params_[n] = static_cast<int32_t>(value);
    if (n == kAlarmMask) UpdateStatus();
    return ".\r";
}
