// One camera's player context seen through the CameraPort the windows use:
// play state and speed from the context, drags through the view routine that
// turns pixels into turns (player::DragView) and the context's operations.
// Drag, EndDrag, ResetView and Repaint take the context's lock inside the
// operations, so the inertia and pad threads may call them.
#pragma once

#include "CameraPort.h"

#include <player/CMoment.h>
#include <player/PlayerOps.h>
#include <player/ViewRoutines.h>

#include <atomic>

namespace kestrel {

class PlayerCamera final : public CameraPort, private player::ViewContext {
public:
    PlayerCamera(player::PlayerContext& context, const player::PlayerOps& ops,
                 player::CMoment& moment)
        : ctx_(context), ops_(ops), moment_(moment) {}

    void SetViewSize(int, int height) override { clientHeight_ = height; }
    void ApplyZoom(const ZoomRequest& request, player::CMoment& moment) override;

    bool HoldsMovie() const override { return ctx_.playState.load() != 0; }
    int PlayState() const override { return ctx_.playState.load(); }
    int SpeedCode() const override { return ctx_.speedCode; }
    bool DragBy(int dx, int dy) override;
    void EndDrag() override { ops_.EndDrag(ctx_); }
    void ResetView() override { ops_.ResetView(ctx_); }
    void Repaint() override { ops_.Repaint(ctx_); }
    void ReapplyZoom() override { ops_.ReapplyZoomPan(ctx_); }
    void Play() override { ops_.Play(ctx_); }
    void Pause() override { ops_.Pause(ctx_); }
    void Stop() override { ops_.Stop(ctx_); }

private:
    // player::ViewContext, for the view routines.
    bool Usable() const override { return ctx_.initialized && ctx_.playState.load() != 0; }
    int Drag(float h, float v, float zoom) override { return ops_.Drag(ctx_, h, v, zoom); }
    void SetAspect(int width, int height) override { ops_.SetAspect(ctx_, width, height); }
    void SetKeepAspect(bool keep) override { ops_.SetKeepAspect(ctx_, keep ? 1 : 0); }

    player::PlayerContext& ctx_;
    const player::PlayerOps& ops_;
    player::CMoment& moment_;
    std::atomic<int> clientHeight_{0};
};

} // namespace kestrel
