// The messages a player context posts to its event window (the video window).
// They travel as QEvents whose type is the message number (WM_APP + n), so the
// movie view and the main window can forward and compare them by number.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <cstdint>

namespace player {

constexpr int kWmApp = 0x8000;
constexpr int kMsgStepFrame = kWmApp + 5;        // step mode: lParam = next frame
constexpr int kMsgStepEnd = kWmApp + 6;          // step mode reached the end: lParam = frame count
constexpr int kMsgSessionPaused = kWmApp + 1001; // the session paused
constexpr int kMsgPresentationEnded = kWmApp + 1002; // end of the presentation
constexpr int kMsgTopologyReady = kWmApp + 1003;     // the file is ready; playback may start

// One posted message. Qt's user event range ends at 65535, so every WM_APP + n
// used here is a valid event type.
class PlayerEvent : public QEvent {
public:
    PlayerEvent(int message, int64_t wParam, int64_t lParam)
        : QEvent(static_cast<QEvent::Type>(message)), wParam_(wParam), lParam_(lParam) {}
    int message() const { return static_cast<int>(type()); }
    int64_t wParam() const { return wParam_; }
    int64_t lParam() const { return lParam_; }

    static bool IsPlayerMessage(int type) {
        return type == kMsgStepFrame || type == kMsgStepEnd || type == kMsgSessionPaused ||
               type == kMsgPresentationEnded || type == kMsgTopologyReady;
    }

private:
    int64_t wParam_;
    int64_t lParam_;
};

// Posts a message to the window; safe from any thread. Does nothing without a
// target.
inline void PostPlayerMessage(QObject* target, int message, int64_t wParam = 0,
                              int64_t lParam = 0) {
    if (target != nullptr) {
        QCoreApplication::postEvent(target, new PlayerEvent(message, wParam, lParam));
    }
}

} // namespace player
