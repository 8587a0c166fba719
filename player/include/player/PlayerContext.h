// One camera's player context (index 0 main camera, 1 rear camera): the open
// movie's session, its frame period and speed, the step mode, the 2D zoom of
// the flat view, the overlay text, the sensor tracks and the view state that
// survives from one recording to the next. The main window reaches it only
// through the operation table (PlayerOps).
#pragma once

#include "player/ViewState.h"

#include "playcore/SensorSlot.h"

#include <QFont>
#include <QImage>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace player {

class CPlayer;
class CVideoWindow;

struct ZoomPan {
    float zoom = 0.0f; // 0: not set
    int pointX = 0;    // zoom point, client pixels
    int pointY = 0;
    int panX = 0; // pan offset, pixels
    int panY = 0;
    int keepAspect = 0;
    int lastLeft = 0, lastTop = 0, lastRight = 0, lastBottom = 0; // last destination
};

struct StepMode {
    float value = 0.0f; // 0: off
    std::thread thread;
    int64_t frameCount = 0;
    int64_t startFrame = 0;
    CVideoWindow* parent = nullptr;
    std::atomic<float> running{0.0f};
    std::atomic<int64_t> counter{0}; // next frame to announce
};

struct PlayerContext {
    PlayerContext() = default;
    ~PlayerContext();
    PlayerContext(const PlayerContext&) = delete;
    PlayerContext& operator=(const PlayerContext&) = delete;

    CVideoWindow* videoWindow = nullptr;
    // 0 closed, 1 stopped, 2 playing, 3 paused (set by the operations).
    std::atomic<int> playState{0};
    float framePeriod = 0.0f; // milliseconds per video frame
    int reverseCapable = 0;   // this player does not play backwards
    int speedCode = 1;
    int volume = 65535;
    float bitRate = 0.0f;
    int64_t lastPosition = 0;
    StepMode step;
    ZoomPan zoom;
    int flip = 0;
    int optionA = 0;
    int decodeOption = 0; // 1: hardware decoding when available
    int presentRate = 0;  // kept for the next session
    // Overlay text: the font of Init and the 300 x 120 picture.
    QFont overlayFont;
    QImage overlayBitmap;
    // Sensor tracks (in use, loading, preloaded) of the open file.
    playcore::SensorSlot sensor;
    // View parameters of the 3D modes, kept from Close to the next Open.
    ViewState viewState;
    std::unique_ptr<CPlayer> renderer;
    // The context lock (operations) and the reader lock (sensor loading).
    std::recursive_mutex lock;
    std::mutex readerLock;
    // Counts waits for the locks (owned by the main window; may be null).
    std::atomic<int>* lockWaits = nullptr;
    bool initialized = false;
};

} // namespace player
