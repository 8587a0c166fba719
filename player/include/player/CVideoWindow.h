// The video window of a player context: an OpenGL widget that the present
// engine of the open session draws into, and the event window that receives
// the context's messages (PlayerEvent, WM_APP + n). The movie view derives
// from it and overrides OnPlayerMessage.
#pragma once

#include "player/PlayerMessages.h"

#include <QOpenGLWidget>

#include <mutex>

namespace player {

class D3DPresentEngine;

class CVideoWindow : public QOpenGLWidget {
public:
    explicit CVideoWindow(QWidget* parent = nullptr);
    ~CVideoWindow() override;

    // UI thread. The engine's GL resources are made (and freed) in this
    // window's context.
    void AttachEngine(D3DPresentEngine* engine);
    void DetachEngine(D3DPresentEngine* engine);
    D3DPresentEngine* Engine() const { return engine_; }
    bool GLReady() const { return glReady_; }

    // Queued from the engine onto the UI thread.
    void EngineFrameReady();
    void EngineRelease();

protected:
    void initializeGL() override;
    void paintGL() override;
    bool event(QEvent* e) override;
    // A message posted by the player context (WM_APP + n).
    virtual void OnPlayerMessage(const PlayerEvent& message);

private:
    void ReleaseEngineGL();
    D3DPresentEngine* engine_ = nullptr;
    bool glReady_ = false;
};

} // namespace player
