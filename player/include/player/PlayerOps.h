// The 41 player operations, by index and name, that the main window calls
// on a player context. Positions and durations cross this table as video
// frame numbers. Operations that need the display return 0 without effect
// while the session's topology is not ready (before WM_APP + 1003).
#pragma once

#include "player/PlayerContext.h"

#include <QString>

#include <cstdint>
#include <string>

namespace player {

class CVideoWindow;

struct PlayerOps {
    bool (*Init)(PlayerContext&, CVideoWindow* window, const QString& fontFace); // 0
    int (*Uninit)(PlayerContext&);                                               // 1
    bool (*CheckRecording)(PlayerContext&, const std::string& path);             // 2
    bool (*Open)(PlayerContext&, const std::string& path);                       // 3
    int (*Close)(PlayerContext&);                                                // 4
    bool (*LoadSensorTrack)(PlayerContext&, const std::string& path);            // 5
    int (*ReleaseSensorTrack)(PlayerContext&);                                   // 6
    int (*Play)(PlayerContext&);                                                 // 7
    int (*PlayFromFrame)(PlayerContext&, int64_t frame);                         // 8
    int (*Pause)(PlayerContext&);                                                // 9
    int (*Stop)(PlayerContext&);                                                 // 10
    int64_t (*GetPosition)(PlayerContext&);                                      // 11
    int (*SeekToFrame)(PlayerContext&, int64_t frame);                           // 12
    int (*SeekToFrameAlias)(PlayerContext&, int64_t frame);                      // 13
    PlayerContext* (*SetOptionA)(PlayerContext&, int value);                     // 14
    int (*Reserved15)(PlayerContext&);                                           // 15
    PlayerContext* (*SetDecodeOption)(PlayerContext&, int value);                // 16
    int (*Reserved17)(PlayerContext&);                                           // 17
    int (*SetSpeed)(PlayerContext&, int code);                                   // 18
    bool (*SetStepMode)(PlayerContext&, float value);                            // 19
    bool (*SetKeepAspect)(PlayerContext&, int keep);                             // 20
    int64_t (*GetFrameCount)(PlayerContext&);                                    // 21
    int64_t (*GetFrameCountAlias)(PlayerContext&);                               // 22
    int (*Reserved23)(PlayerContext&);                                           // 23
    float (*GetFramePeriod)(PlayerContext&);                                     // 24
    bool (*GetVideoSize)(PlayerContext&, int* width, int* height);               // 25
    int (*SetVolume)(PlayerContext&, int volume);                                // 26
    bool (*ShowOverlayText)(PlayerContext&, const QString& text);                // 27
    int (*HideOverlayText)(PlayerContext&);                                      // 28
    bool (*SetFlipPosition)(PlayerContext&, int flip);                           // 29
    bool (*SetZoomPan)(PlayerContext&, int zoomX, int zoomY, int panX, int panY, float zoom,
                       int repaint);                               // 30
    int (*Drag)(PlayerContext&, float h, float v, float zoom);     // 31
    int (*EndDrag)(PlayerContext&);                                // 32
    int (*ToggleFlip)(PlayerContext&);                             // 33
    int (*SetDisplayMode)(PlayerContext&, int mode);               // 34
    int (*SetAspect)(PlayerContext&, int width, int height);       // 35
    int (*ResetView)(PlayerContext&);                              // 36
    int (*SetPresentationRate)(PlayerContext&, int rate);          // 37
    bool (*SaveSnapshot)(PlayerContext&, const std::string& path); // 38
    int (*Repaint)(PlayerContext&);                                // 39
    bool (*ReapplyZoomPan)(PlayerContext&);                        // 40
};

inline constexpr int kPlayerOpCount = 41;

// The table with every entry filled (the main window keeps one per context).
PlayerOps MakePlayerOps();
// Name of operation `index` ("Init" ... "ReapplyZoomPan"; "" for 15, 17, 23
// and outside 0..40).
const char* PlayerOpName(int index);

// Speed code to rate for a player that cannot play backwards; the code may
// change (-1 toggles x1 / x0.5). Exposed for the tests and the main window.
float SpeedRate(int* code, int currentCode, bool reverseCapable);

// The destination rectangle of the 2D zoom (client rectangle, zoom values,
// native video size); false when nothing is to be applied or it inverts.
struct ZoomRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
bool ComputeZoomRect(const ZoomRect& client, const ZoomPan& zoom, int videoWidth, int videoHeight,
                     ZoomRect* out);

} // namespace player
