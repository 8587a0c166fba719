// What a movie view calls on its owner, the main window: the context menu,
// the click zoom, the end and ready reports of its player context, the
// fallback player's events, and the double-click routine.
#pragma once

#include <QPoint>
#include <cstdint>

namespace kestrel {

class MovieViewOwner {
public:
    virtual ~MovieViewOwner() = default;
    virtual void OnViewMenu(QPoint globalPos, int camera) = 0;
    virtual void OnViewZoom(int camera, QPoint point) = 0;
    virtual void OnViewEnd(int camera) = 0;
    virtual void OnViewReady(int camera) = 0;
    virtual void OnGraphEvent() = 0;
    virtual void OnViewDoubleClick(int camera) = 0;
    // Step mode of the camera's context: UM_STEP_FRAME (lParam = frame) or
    // UM_STEP_END (lParam = frame count).
    virtual void OnPlayerStep(int message, std::int64_t lParam) {}
};

} // namespace kestrel
