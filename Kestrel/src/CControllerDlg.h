// The 140 x 120 navigation pad under the video: four arrow buttons and a reset
// button that turn the current camera's 360-degree view while held. The
// buttons post UM_PAD_PRESS / UM_PAD_RELEASE to the pad, which drives its
// worker thread.
#pragma once

#include "PadWorker.h"

#include <QWidget>
#include <array>

namespace kestrel {

class CSkinButton;
class CameraPort;
class UiResources;

class CControllerDlg : public QWidget {
    Q_OBJECT
public:
    CControllerDlg(QWidget* parent, const UiResources& ui);
    ~CControllerDlg() override;

    // The shown camera's context and drag record (changes with the camera switch).
    void SetCamera(CameraPort* camera, player::CMoment* moment);
    void EnableForDisplayMode(int mode);
    int displayMode() const { return displayMode_; }
    void ResetView();
    // (Re)starts the worker thread.
    void RestartWorker() { worker_.Restart(); }
    // Shows or hides the four arrows and reset (hidden in the enlarge state).
    void SetButtonsVisible(bool visible);

    CSkinButton* button(int id) const;
    int held() const { return worker_.held(); }

protected:
    bool event(QEvent*) override;
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void PlaceButtons();

    std::array<CSkinButton*, 5> buttons_{};
    CameraPort* camera_ = nullptr;
    player::CMoment* moment_ = nullptr;
    PadWorker worker_;
    int displayMode_ = 0;
    bool placed_ = false;
};

} // namespace kestrel
