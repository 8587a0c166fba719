// A small stand-alone window for the pipeline: a video window of a given
// size that records the player messages it receives and can wait for them
// while keeping the event loop (and so the drawing) running. Used by the
// command-line tools and the tests.
#pragma once

#include "player/CVideoWindow.h"

#include <functional>
#include <vector>

namespace player {

class CPlayerTestWindow : public CVideoWindow {
public:
    struct Message {
        int message;
        int64_t wParam;
        int64_t lParam;
        int64_t atMs; // milliseconds since the window was made
    };

    explicit CPlayerTestWindow(int width, int height, QWidget* parent = nullptr);

    const std::vector<Message>& Messages() const { return messages_; }
    int Count(int message) const;
    void ClearMessages() { messages_.clear(); }
    // Called for every message as it arrives (before it is recorded).
    std::function<void(const Message&)> onMessage;

    // Runs the event loop until `message` has arrived (counting those already
    // recorded when `fresh` is false) or the time is up.
    bool WaitForMessage(int message, int timeoutMs, bool fresh = false);
    // Runs the event loop until the predicate holds or the time is up.
    static bool WaitUntil(const std::function<bool()>& done, int timeoutMs);
    // Runs the event loop for a while.
    static void Pump(int ms);

protected:
    void OnPlayerMessage(const PlayerEvent& message) override;

private:
    std::vector<Message> messages_;
    int64_t startMs_;
};

} // namespace player
