#include "KestrelChildren.h"

#include "CBlankStatic.h"
#include "CContainerDialog.h"
#include "CControllerDlg.h"
#include "CLogoDlg.h"
#include "CMovieDialog.h"
#include "CMovieStatic.h"
#include "COffScreenDC.h"
#include "CPanelHost.h"
#include "CSettingDlg.h"
#include "CSkinButton.h"
#include "CSkinProgressBarCtrl.h"
#include "CSkinSliderCtrl.h"
#include "SkinArt.h"
#include "UiResources.h"

#include <QGuiApplication>
#include <QScreen>
#include <QToolTip>

namespace kestrel {

KestrelChildren::KestrelChildren() = default;
KestrelChildren::~KestrelChildren() = default;

const std::array<BottomButtonSpec, kBottomButtonCount>& BottomButtonTable() {
    static const std::array<BottomButtonSpec, kBottomButtonCount> table{{
        {BmpStart, 20},
        {BmpPrevious, 13},
        {BmpPlay, 12},
        {BmpSlow, 17},
        {BmpFast, 4},
        {BmpNext, 9},
        {BmpStill, 19},
        {BmpJoin, 1},
        {BmpEnlarge, 21},
        {BmpDisplayMode, 152},
        {BmpFlip, 5},
        {BmpMirror, 175},
        {BmpMap, 155},
        {BmpBrowse, 10},
        {BmpDelete, 3},
        {BmpSettings, 16},
        {BmpCsv, 2},
        {BmpCamera, 166},
    }};
    return table;
}

bool CreateChildWindows(QWidget* main, const UiResources& ui, MovieViewOwner* owner, int shown,
                        KestrelChildren& c) {
    if (main->rect().isEmpty()) {
        return false;
    }
    QScreen* screen = main->screen() != nullptr ? main->screen() : QGuiApplication::primaryScreen();
    const QSize screenSize = screen != nullptr ? screen->size() : QSize(1920, 1080);
    c.offScreen = std::make_unique<COffScreenDC>(std::max(screenSize.width(), screenSize.height()));

    c.fileManager = new CPanelHost(main, QStringLiteral("fileManager"));
    c.fileManager->hide();

    c.mapWindow = new CContainerDialog(main, ui);
    c.mapWindow->hide();
    c.mapWindow->setWindowTitle(ui.Text(151));
    c.mapWindow->resize(374, 430);
    // The map page's host comes with the map; until then the logo panel fills the window.
    c.logo = new CLogoDlg(c.mapWindow);
    c.logo->setGeometry(0, 20, 370, 406);
    c.logo->hide();

    QToolTip::setFont(ui.Font(9));

    c.movieWindow = std::make_unique<CMovieDialog>(ui);
    c.movieWindow->hide();
    c.movieWindow->setWindowTitle(ui.Text(151));
    c.movieWindow->resize(640, 380);
    for (int camera = 0; camera < 2; ++camera) {
        QWidget* parent = camera == shown ? main : static_cast<QWidget*>(c.movieWindow.get());
        auto* view = new CMovieStatic(parent, ui, owner, camera);
        view->hide();
        if (camera != shown) {
            view->setGeometry(0, 20, 640, 360);
        }
        c.views[static_cast<size_t>(camera)] = view;
    }

    c.graph = new CPanelHost(main, QStringLiteral("graph"));
    c.graph->hide();
    c.info = new CPanelHost(main, QStringLiteral("info"));
    c.info->hide();
    c.controller = new CControllerDlg(main, ui);
    c.controller->hide();
    c.controller->RestartWorker();

    c.positionSlider = new CSkinSliderCtrl(main, kPositionSliderId);
    c.positionSlider->SetImages(BmpSliderFilled, BmpSliderEmpty, BmpSliderThumb,
                                BmpSliderThumbPressed);
    c.positionSlider->hide();
    c.volumeSlider = new CSkinSliderCtrl(main, kVolumeSliderId);
    c.volumeSlider->SetImages(BmpVolumeFilled, BmpVolumeEmpty, BmpVolumeThumb,
                              BmpVolumeThumbPressed);
    c.volumeSlider->SetRange(0, 65535);
    c.volumeSlider->hide();

    c.progress = new CSkinProgressBarCtrl(main);
    c.progress->setFont(ui.Font(10));
    c.progress->SetRange(0, 100);
    c.progress->setGeometry(0, main->height() - CSkinProgressBarCtrl::kHeight, main->width(),
                            CSkinProgressBarCtrl::kHeight);
    c.progress->hide();

    const auto& table = BottomButtonTable();
    for (int i = 0; i < kBottomButtonCount; ++i) {
        const BottomButtonSpec& entry = table[static_cast<size_t>(i)];
        auto* b = new CSkinButton(main, kFirstBottomCommand + i, QSize(32, 32), entry.bitmap);
        b->SetTexts(ui.Text(entry.tipTextId));
        b->hide();
        c.bottomButtons[static_cast<size_t>(i)] = b;
    }
    c.captionButtons[CapClose] = new CSkinButton(main, CmdClose, QSize(46, 18), BmpCaptionClose);
    c.captionButtons[CapClose]->SetTexts(ui.Text(0));
    c.captionButtons[CapLayout] = new CSkinButton(main, CmdLayout, QSize(26, 18), BmpCaptionLayout);
    c.captionButtons[CapLayout]->SetTexts(ui.Text(8));
    c.captionButtons[CapMinimise] =
        new CSkinButton(main, CmdMinimise, QSize(26, 18), BmpCaptionMinimise);
    c.captionButtons[CapMinimise]->SetTexts(ui.Text(137));

    c.blank = new CBlankStatic(main);
    c.blank->hide();
    return true;
}

} // namespace kestrel
