// TTimer: OnTimer every Interval milliseconds while Enabled. It ticks through
// a hidden window of its own, so it ticks wherever messages are handled,
// modal loops included. Changing Interval, or Enabled from false to true,
// starts the period anew. The timer runs whether or not OnTimer is assigned
// yet (OnTimer is a plain member that callers set directly).
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ControlTypes.h>
#include <quorlpak/Messages.h>
#include <runpak/Component.h>

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    unsigned GetInterval() const { return FInterval; }
    void SetInterval(unsigned Value);
    TNotifyEvent OnTimer;
    void SetOnTimer(TNotifyEvent Value);

protected:
    virtual void Timer();
    void Loaded() override;

private:
    void UpdateTimer();
    void WndProc(TMessage& Message);

    bool FEnabled = true;
    unsigned FInterval = 1000;
    HWND FWindowHandle = nullptr;
};

#pragma GCC visibility pop
