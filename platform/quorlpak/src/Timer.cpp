#include <quorlpak/Application.h>
#include <quorlpak/Timer.h>
#include <quorlpak/UtilWindow.h>

#include <runpak/TypeInfo.h>

namespace {
constexpr UINT_PTR kTimerId = 1;
}

TClass TTimer::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TTimer>(u"TTimer", TComponent::StaticClass())
            .Property(u"Enabled", BooleanTypeInfo, &TTimer::GetEnabled, &TTimer::SetEnabled)
            .Default(1)
            .Property(u"Interval", CardinalTypeInfo, &TTimer::GetInterval, &TTimer::SetInterval)
            .Default(1000)
            .Event(u"OnTimer", &TTimer::OnTimer));
    return &meta;
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
    FWindowHandle = AllocateHWnd([this](TMessage& Message) { WndProc(Message); });
    UpdateTimer();
}

TTimer::~TTimer() {
    FEnabled = false;
    UpdateTimer();
    DeallocateHWnd(FWindowHandle);
}

// Killing and setting again starts a new period, which is what a change of
// Enabled or Interval means.
void TTimer::UpdateTimer() {
    if (!FWindowHandle) return;
    KillTimer(FWindowHandle, kTimerId);
    if (FEnabled && FInterval != 0 && !GetComponentState().Contains(csLoading))
        if (!SetTimer(FWindowHandle, kTimerId, FInterval, nullptr))
            throw Exception(u"Not enough timers available");
}

void TTimer::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned Value) {
    if (FInterval == Value) return;
    FInterval = Value;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
    OnTimer = std::move(Value);
    UpdateTimer();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::Timer() {
    if (FEnabled && OnTimer) OnTimer(this);
}

void TTimer::WndProc(TMessage& Message) {
    if (Message.Msg == WM_TIMER) {
        try {
            Timer();
        } catch (...) {
            if (!Application) throw;
            Application->HandleException(this);
        }
        return;
    }
    Message.Result = DefWindowProcW(FWindowHandle, Message.Msg, Message.WParam, Message.LParam);
}
