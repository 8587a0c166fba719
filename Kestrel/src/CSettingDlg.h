// The settings window behind the "設定" button: the parking-impact toggle of
// the acceleration graph, which viewer variant is running and where to get the
// others, and the version. Created hidden at start-up and shown centred at
// 720 x 480 on the main window's monitor; closing hides it, so the toggle
// keeps its state for the rest of the run.
#pragma once

#include "CSkinDialog.h"

#include <QString>
#include <QUrl>

class QLabel;

namespace kestrel {

class CSkinCheckButton;

// The year of a build date in the form "May  8 2023": the part after the last space.
QString BuildYearFromDate(const char* buildDate);
// The version text shown in the dialog.
QString VersionText(const QString& version, const QString& year);
// The address of the page that lists the viewer variants.
QUrl ViewerDownloadUrl();

class CSettingDlg : public CSkinDialog {
    Q_OBJECT
public:
    static constexpr int kToggleId = 32968;
    static constexpr int kLinkId = 38800;
    static constexpr int kVersionId = 32981;
    static constexpr int kCloseId = 21;
    static constexpr int kDialogFrame = 3; // the classic dialog-frame width

    // `mainWindow` receives UM_SETTING_CHANGED and decides the monitor.
    CSettingDlg(QWidget* mainWindow, const UiResources& ui);

    // Places the dialog at 720 x 480 centred on the main window's monitor and shows it.
    void ShowCentred();

    bool parkingImpact() const { return parkingImpact_; }
    CSkinCheckButton* toggle() const { return toggle_; }
    QLabel* viewerText() const { return viewerText_; }
    QLabel* versionText() const { return versionText_; }
    QLabel* link() const { return link_; }

    // The link opener (the desktop's browser by default); tests replace it.
    void SetLinkOpener(std::function<void(const QUrl&)> opener) { opener_ = std::move(opener); }

protected:
    void OnCommand(int commandId) override;
    void paintEvent(QPaintEvent*) override;
    void reject() override;

private:
    void Toggle();

    QWidget* mainWindow_;
    CSkinCheckButton* toggle_ = nullptr;
    QLabel* viewerText_ = nullptr;
    QLabel* link_ = nullptr;
    QLabel* versionText_ = nullptr;
    bool parkingImpact_ = true;
    std::function<void(const QUrl&)> opener_;
};

} // namespace kestrel
