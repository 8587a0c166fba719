#include "player/CMFActivate.h"

#include "player/CVideoWindow.h"
#include "player/D3DPresentEngine.h"
#include "player/EVRCustomPresenter.h"

namespace player {

CMFActivate::CMFActivate(CVideoWindow* window, int frameWidth, int frameHeight,
                         ViewState* viewState)
    : window_(window), frameWidth_(frameWidth), frameHeight_(frameHeight), viewState_(viewState) {}

CMFActivate::~CMFActivate() {
    ShutdownObject();
}

EVRCustomPresenter* CMFActivate::ActivateObject() {
    std::lock_guard lock(lock_);
    if (!presenter_) {
        engine_ = std::make_unique<D3DPresentEngine>(window_.data());
        presenter_ = std::make_unique<EVRCustomPresenter>(engine_.get());
        if (viewState_ != nullptr) {
            engine_->Scene().LoadViewState(*viewState_);
        }
        if (!window_.isNull()) {
            window_->AttachEngine(engine_.get());
        }
    }
    return presenter_.get();
}

void CMFActivate::ShutdownObject() {
    std::lock_guard lock(lock_);
    if (!presenter_) {
        return;
    }
    presenter_->ReleaseServicePointers();
    if (!window_.isNull()) {
        window_->DetachEngine(engine_.get());
    }
    // Whatever the window had not drawn yet goes back to the pool.
    engine_->DropPending();
    engine_->ReleaseSkipped();
    presenter_.reset();
    engine_.reset();
}

void CMFActivate::SaveViewState(ViewState& state) const {
    if (engine_) {
        engine_->Scene().SaveViewState(state);
    }
}

} // namespace player
