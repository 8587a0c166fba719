#include "CSettingDlg.h"

#include "AppMessage.h"
#include "CSkinCheckButton.h"
#include "UiResources.h"

#include <QDesktopServices>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

#ifndef BRIVONA_VERSION
#define BRIVONA_VERSION "0.1.0"
#endif

namespace kestrel {

namespace {

QRect FromEdges(int l, int t, int r, int b) {
    return QRect(l, t, r - l, b - t);
}

QGroupBox* MakeGroup(QWidget* parent, const QString& title, QRect r, const QFont& font) {
    auto* group = new QGroupBox(title, parent);
    group->setFont(font);
    group->setGeometry(r);
    group->lower();
    return group;
}

} // namespace

QString BuildYearFromDate(const char* buildDate) {
    const QString date = QString::fromLatin1(buildDate);
    const int space = date.lastIndexOf(QLatin1Char(' '));
    return space < 0 ? date : date.mid(space + 1);
}

QString VersionText(const QString& version, const QString& year) {
    return QStringLiteral("BrivonaS  Ver.%1\nCopyright (C) %2 Brivona Works. All rights reserved.")
        .arg(version, year);
}

QUrl ViewerDownloadUrl() {
    return QUrl(
        QStringLiteral("https://www.brivona.example/0_recorder/viewer/Brivona/viewer.html"));
}

CSettingDlg::CSettingDlg(QWidget* mainWindow, const UiResources& ui)
    : CSkinDialog(mainWindow, ui), mainWindow_(mainWindow),
      opener_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
    setFont(ui.Font(10));
    setWindowTitle(ui.Text(124));
    setFixedSize(720, 480);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(240, 240, 240));
    setPalette(pal);
    const int f = kDialogFrame;

    MakeGroup(this, ui.Text(129), FromEdges(10, 30, 710 - 2 * f, 100), ui.Font(10));
    toggle_ = new CSkinCheckButton(this, kToggleId, QSize(160, 20), ui.Text(126));
    toggle_->setFont(ui.Font(10));
    toggle_->setGeometry(FromEdges(40, 60, 200, 80));
    RouteCommand(toggle_);

    MakeGroup(this, ui.Text(185), FromEdges(10, 110, 710 - 2 * f, 350), ui.Font(10));
    viewerText_ = new QLabel(this);
    viewerText_->setFont(ui.Font(10));
    viewerText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    viewerText_->setText(ui.Text(210) + QStringLiteral("\n\n") + ui.Text(211) +
                         QStringLiteral("BrivonaS"));
    viewerText_->setGeometry(FromEdges(15, 140, 705, 490));

    link_ = new QLabel(this);
    link_->setFont(ui.Font(9));
    const QString address = ViewerDownloadUrl().toString();
    link_->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(address.toHtmlEscaped()));
    link_->setTextFormat(Qt::RichText);
    link_->setOpenExternalLinks(false);
    link_->setGeometry(FromEdges(15, 240, 705, 255));
    connect(link_, &QLabel::linkActivated, this,
            [this](const QString& target) { opener_(QUrl(target)); });

    MakeGroup(this, ui.Text(128), QRect(10, 360, 700 - 2 * f, 100), ui.Font(10));
    versionText_ = new QLabel(this);
    versionText_->setFont(ui.Font(10));
    versionText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    versionText_->setText(
        VersionText(QStringLiteral(BRIVONA_VERSION), BuildYearFromDate(__DATE__)));
    versionText_->setGeometry(FromEdges(20, 380, 700 - 2 * f, 450));

    toggle_->SetHeld(parkingImpact_);
    CreateCloseButton(kCloseId);
    hide();
}

void CSettingDlg::ShowCentred() {
    setFixedSize(720, 480);
    QScreen* screen = mainWindow_ != nullptr ? mainWindow_->screen() : nullptr;
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen != nullptr) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
}

void CSettingDlg::Toggle() {
    parkingImpact_ = !parkingImpact_;
    toggle_->SetHeld(parkingImpact_);
    PostAppMessage(mainWindow_, UM_SETTING_CHANGED, 0, parkingImpact_ ? 1 : 0);
}

void CSettingDlg::OnCommand(int commandId) {
    if (commandId == kToggleId) {
        Toggle();
    } else if (commandId == kCloseId) {
        done(2);
    }
}

void CSettingDlg::reject() {
    done(2);
}

void CSettingDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    PaintCaption(p);
}

} // namespace kestrel
