#include "CControllerDlg.h"

#include "AppMessage.h"
#include "CSkinButton.h"
#include "CameraPort.h"
#include "PadPlacement.h"
#include "SkinArt.h"
#include "UiResources.h"

#include <QPainter>

namespace kestrel {

namespace {

struct PadButtonSpec {
    int id;
    int bitmap;
    int tipTextId;
};

constexpr std::array<PadButtonSpec, 5> kPadButtons{{
    {PadUp, BmpPadUp, 156},
    {PadLeft, BmpPadLeft, 159},
    {PadRight, BmpPadRight, 158},
    {PadDown, BmpPadDown, 157},
    {PadReset, BmpPadReset, 160},
}};

} // namespace

CControllerDlg::CControllerDlg(QWidget* parent, const UiResources& ui) : QWidget(parent) {
    resize(140, 120);
    for (size_t i = 0; i < kPadButtons.size(); ++i) {
        const PadButtonSpec& entry = kPadButtons[i];
        auto* b = new CSkinButton(this, entry.id, QSize(32, 32), entry.bitmap);
        b->SetHoldNotify(true, entry.id);
        b->SetTexts(ui.Text(entry.tipTextId));
        buttons_[i] = b;
    }
    EnableForDisplayMode(0);
}

CControllerDlg::~CControllerDlg() {
    worker_.Stop();
}

CSkinButton* CControllerDlg::button(int id) const {
    for (CSkinButton* b : buttons_) {
        if (b->commandId() == id) {
            return b;
        }
    }
    return nullptr;
}

void CControllerDlg::SetCamera(CameraPort* camera, player::CMoment* moment) {
    camera_ = camera;
    moment_ = moment;
    worker_.Bind(camera, moment);
}

void CControllerDlg::EnableForDisplayMode(int mode) {
    displayMode_ = mode;
    for (CSkinButton* b : buttons_) {
        b->setEnabled(PadButtonEnabled(b->commandId(), mode));
    }
    if (mode != 3 && mode != 4) {
        worker_.SetHeld(0);
    }
    update();
}

void CControllerDlg::ResetView() {
    if (camera_ != nullptr && moment_ != nullptr) {
        PadWorker::ResetView(*camera_, *moment_);
    }
}

void CControllerDlg::SetButtonsVisible(bool visible) {
    for (CSkinButton* b : buttons_) {
        b->setVisible(visible);
    }
}

bool CControllerDlg::event(QEvent* e) {
    const int type = static_cast<int>(e->type());
    if (type == UM_PAD_PRESS || type == UM_PAD_RELEASE) {
        const auto* m = AsAppMessage(e);
        if (m == nullptr) {
            return true;
        }
        if (type == UM_PAD_PRESS) {
            if (worker_.held() == 0 && worker_.exists()) {
                if (moment_ != nullptr) {
                    moment_->Clear();
                }
                if (camera_ != nullptr) {
                    camera_->EndDrag();
                }
                worker_.SetHeld(static_cast<int>(m->lParam()));
            }
        } else {
            worker_.SetHeld(0);
            if (moment_ != nullptr) {
                moment_->Clear();
            }
            if (camera_ != nullptr) {
                camera_->EndDrag();
            }
        }
        return true;
    }
    return QWidget::event(e);
}

void CControllerDlg::PlaceButtons() {
    for (const PadButtonPlace& place : PadButtonPlaces(width(), height())) {
        if (CSkinButton* b = button(place.id)) {
            b->move(place.topLeft);
        }
    }
    placed_ = true;
}

void CControllerDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    SkinArt::PaintPadBackground(p, rect());
    if (!placed_) {
        PlaceButtons();
    }
}

void CControllerDlg::resizeEvent(QResizeEvent* event) {
    // The pad's size is fixed by the layouts; place the buttons for it.
    PlaceButtons();
    QWidget::resizeEvent(event);
}

} // namespace kestrel
