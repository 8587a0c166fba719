// Window messages of the viewer. Every window talks to its owner with posted
// events whose type is the message number (0x8000 + n, inside Qt's user range),
// carrying the two integers the receiver expects. Posting is thread-safe, so
// worker threads use the same path as windows.
#pragma once

#include <QEvent>
#include <QObject>
#include <cstdint>

namespace kestrel {

constexpr int kWmApp = 0x8000;

// Message numbers shared between the windows (names as the receivers know them).
enum AppMessageId : int {
    UM_GRAPH_EVENT = kWmApp + 4,
    UM_STEP_FRAME = kWmApp + 5,
    UM_STEP_END = kWmApp + 6,
    UM_PROGRESS = kWmApp + 8,
    UM_SLIDER_MOVE = kWmApp + 0x65,
    UM_SLIDER_PRESS = kWmApp + 0x66,
    UM_SLIDER_RELEASE = kWmApp + 0x67,
    UM_MAP_READY = kWmApp + 0x12D,
    UM_MAP_REQUEST = kWmApp + 0x12E,
    UM_GRAPH_CLICK = kWmApp + 0x191,
    UM_GRAPH_RCLICK = kWmApp + 0x192,
    UM_SETTING_CHANGED = kWmApp + 0x1F5,
    UM_VIEW_MENU = kWmApp + 0x25C,
    UM_VIEW_ZOOM = kWmApp + 0x25F,
    UM_VIEW_END = kWmApp + 0x260,
    UM_VIEW_READY = kWmApp + 0x261,
    UM_INFO_TOGGLE = kWmApp + 0x2BD,
    UM_PLAYER_PAUSED = kWmApp + 1001,
    UM_PLAYER_END = kWmApp + 1002,
    UM_PLAYER_READY = kWmApp + 1003,
    UM_FOLDER_SELECTED = kWmApp + 0x456,
    UM_SOURCE_GONE = kWmApp + 0x4B1,
    UM_OPEN_DONE = kWmApp + 0x515,
    UM_TOOL_DONE = kWmApp + 0x516,
    UM_LIST_CHANGED = kWmApp + 0x518,
    UM_DEFERRED_START = kWmApp + 0x519,
    UM_PAD_PRESS = kWmApp + 0x579,
    UM_PAD_RELEASE = kWmApp + 0x57A,
    UM_LOGO_SHOW = kWmApp + 0x5DD,
    UM_LIST_CLICK = kWmApp + 0x6A5,
    // A command (button or menu item) delivered to the main window: wParam = command id.
    UM_COMMAND = kWmApp + 0x7F00,
};

// One posted message: the number is the event type; wParam and lParam are the
// two values of the message.
class AppMessage : public QEvent {
public:
    AppMessage(int id, std::int64_t wParam, std::int64_t lParam)
        : QEvent(static_cast<QEvent::Type>(id)), wParam_(wParam), lParam_(lParam) {}

    int id() const { return static_cast<int>(type()); }
    std::int64_t wParam() const { return wParam_; }
    std::int64_t lParam() const { return lParam_; }

private:
    std::int64_t wParam_;
    std::int64_t lParam_;
};

// Posts a message to the target; safe from any thread. Does nothing without a target.
void PostAppMessage(QObject* target, int id, std::int64_t wParam, std::int64_t lParam);

// Sends a message at once (synchronous, user-interface thread only).
bool SendAppMessage(QObject* target, int id, std::int64_t wParam, std::int64_t lParam);

// The message carried by an event, or null when the event is not one of ours.
const AppMessage* AsAppMessage(const QEvent* event);

} // namespace kestrel
