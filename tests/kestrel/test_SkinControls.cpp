// The skinned controls and the message box: slider positions and messages,
// progress text, button images and hold messages, list clicks, the message
// box's measured size and its results.
#include "KestrelTestApp.h"

#include "AppMessage.h"
#include "CMsgBox.h"
#include "CSkinButton.h"
#include "CSkinListCtrl.h"
#include "CSkinProgressBarCtrl.h"
#include "CSkinSliderCtrl.h"
#include "UiResources.h"

#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

using namespace kestrel;

namespace {

// A parent that records the messages its children post.
class Recorder : public QWidget {
public:
    struct Msg {
        int id;
        std::int64_t w;
        std::int64_t l;
    };
    std::vector<Msg> messages;

    std::vector<Msg> Drain() {
        QCoreApplication::sendPostedEvents(this);
        std::vector<Msg> out;
        out.swap(messages);
        return out;
    }

protected:
    bool event(QEvent* e) override {
        if (const AppMessage* m = AsAppMessage(e)) {
            messages.push_back({m->id(), m->wParam(), m->lParam()});
            return true;
        }
        return QWidget::event(e);
    }
};

class SkinControls : public ::testing::Test {
protected:
    void SetUp() override { kestreltest::App(); }
};

} // namespace

TEST_F(SkinControls, SliderPositionFromXAndPressTolerance) {
    // 100 pixels, range 0..9: 10 pixels a step.
    EXPECT_EQ(SliderPositionFromX(0, 100, 0, 9, 5), 0);
    EXPECT_EQ(SliderPositionFromX(55, 100, 0, 9, 5), 5);
    EXPECT_EQ(SliderPositionFromX(250, 100, 0, 9, 5), 9);
    EXPECT_EQ(SliderPositionFromX(-5, 100, 0, 9, 5), 0);
    // Minimum = maximum: one step; every x gives the minimum.
    EXPECT_EQ(SliderPositionFromX(70, 100, 4, 4, 0), 4);
    // More steps than pixels: no step, the position stays.
    EXPECT_EQ(SliderPositionFromX(70, 100, 0, 65535, 1234), 1234);
    EXPECT_TRUE(SliderAcceptsX(-5, 100));
    EXPECT_TRUE(SliderAcceptsX(109, 100));
    EXPECT_FALSE(SliderAcceptsX(-10, 100));
    EXPECT_FALSE(SliderAcceptsX(-15, 100));
    EXPECT_FALSE(SliderAcceptsX(110, 100));
    EXPECT_EQ(SliderThumbX(9, 100, 10, 0, 9), 81);
}

TEST_F(SkinControls, SliderPostsPressMoveAndRelease) {
    Recorder parent;
    parent.resize(300, 40);
    auto* slider = new CSkinSliderCtrl(&parent, 38100);
    slider->setGeometry(20, 10, 100, 10);
    slider->SetRange(0, 9);
    slider->SetPos(9);
    parent.show();

    // A press 5 pixels left of the slider still counts, and sets the minimum.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(-5, 5), slider->mapToGlobal(QPointF(-5, 5)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(slider, &press);
    EXPECT_EQ(slider->pos(), 0);
    EXPECT_TRUE(slider->pressOffThumb()); // the thumb sat at the right end
    QTest::mouseMove(slider, QPoint(45, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(45, 5), slider->mapToGlobal(QPointF(45, 5)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(slider, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(45, 5),
                        slider->mapToGlobal(QPointF(45, 5)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(slider, &release);
    const auto msgs = parent.Drain();
    ASSERT_GE(msgs.size(), 3u);
    EXPECT_EQ(msgs.front().id, UM_SLIDER_PRESS);
    EXPECT_EQ(msgs.front().w, 38100);
    EXPECT_EQ(msgs.front().l, 0);
    EXPECT_EQ(msgs[msgs.size() - 2].id, UM_SLIDER_MOVE);
    EXPECT_EQ(msgs[msgs.size() - 2].l, 4);
    EXPECT_EQ(msgs.back().id, UM_SLIDER_RELEASE);
    EXPECT_EQ(msgs.back().l, 4);

    // 15 pixels left: nothing happens, and the release reports nothing either.
    slider->SetPos(7);
    QMouseEvent farPress(QEvent::MouseButtonPress, QPointF(-15, 5),
                         slider->mapToGlobal(QPointF(-15, 5)), Qt::LeftButton, Qt::LeftButton,
                         Qt::NoModifier);
    QCoreApplication::sendEvent(slider, &farPress);
    QCoreApplication::sendEvent(slider, &release);
    EXPECT_EQ(slider->pos(), 7);
    EXPECT_TRUE(parent.Drain().empty());

    // A disabled slider takes no press.
    slider->SetSliderEnabled(false);
    QCoreApplication::sendEvent(slider, &press);
    EXPECT_EQ(slider->pos(), 7);
    EXPECT_TRUE(parent.Drain().empty());
}

TEST_F(SkinControls, ProgressFillAndText) {
    EXPECT_EQ(ProgressFilledWidth(400, 0, 100, 50), 200);
    EXPECT_EQ(ProgressFilledWidth(400, 0, 100, 100), 400);
    // Minimum = maximum: an empty bar, the text still shows.
    EXPECT_EQ(ProgressFilledWidth(400, 5, 5, 5), 0);
    EXPECT_EQ(ProgressText(37), QStringLiteral("37 %"));

    CSkinProgressBarCtrl bar(nullptr);
    bar.resize(400, CSkinProgressBarCtrl::kHeight);
    bar.SetRange(5, 5);
    bar.SetPos(5);
    const QImage empty = bar.grab().toImage();
    EXPECT_EQ(empty.pixelColor(2, 2), QColor(Qt::white));
    bar.SetRange(0, 100);
    bar.SetPos(50);
    const QImage half = bar.grab().toImage();
    EXPECT_EQ(half.pixelColor(2, 2), QColor(0, 0, 255));
    EXPECT_EQ(half.pixelColor(397, 2), QColor(Qt::white));
}

TEST_F(SkinControls, ButtonImageIndex) {
    struct Case {
        bool grayed, enabled, down, hover, held;
        int index;
    };
    const Case cases[] = {
        {false, true, false, false, false, 0}, {false, true, false, true, false, 1},
        {false, true, true, true, false, 2},   {false, true, false, false, true, 2},
        {false, false, true, true, true, 3},   {true, false, false, false, false, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SkinButtonImageIndex(c.grayed, c.enabled, c.down, c.hover, c.held), c.index);
    }
    // The drawn strip: four images of the button's size side by side.
    CSkinButton b(nullptr, 38002, QSize(32, 32), 148);
    EXPECT_EQ(b.CurrentImageIndex(), 0);
    b.setEnabled(false);
    EXPECT_EQ(b.CurrentImageIndex(), 3);
}

TEST_F(SkinControls, HoldNotifyPostsPressAndReleaseEvenOutside) {
    Recorder parent;
    parent.resize(200, 200);
    auto* b = new CSkinButton(&parent, 29, QSize(32, 32), 362);
    b->move(10, 10);
    b->SetHoldNotify(true, 29);
    parent.show();
    QTest::mousePress(b, Qt::LeftButton, Qt::NoModifier, QPoint(16, 16));
    EXPECT_TRUE(b->held());
    EXPECT_EQ(b->CurrentImageIndex(), 2);
    // Released far outside the button.
    QTest::mouseRelease(b, Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
    const auto msgs = parent.Drain();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0].id, UM_PAD_PRESS);
    EXPECT_EQ(msgs[0].w, 0);
    EXPECT_EQ(msgs[0].l, 29);
    EXPECT_EQ(msgs[1].id, UM_PAD_RELEASE);
    EXPECT_EQ(msgs[1].l, 29);
    EXPECT_FALSE(b->held());
}

TEST_F(SkinControls, ListClickPostsTheRowAndTracksTheHotRow) {
    Recorder parent;
    parent.resize(300, 200);
    auto* list = new CSkinListCtrl(&parent);
    list->setGeometry(0, 0, 300, 200);
    list->setHeaderLabels({QStringLiteral("A")});
    for (int i = 0; i < 3; ++i) {
        list->addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("row %1").arg(i)}));
        list->SetItemState(i, 1);
    }
    parent.show();
    const QRect row1 = list->visualItemRect(list->topLevelItem(1));
    QTest::mouseMove(list->viewport(), row1.center());
    QMouseEvent move(QEvent::MouseMove, QPointF(row1.center()),
                     list->viewport()->mapToGlobal(QPointF(row1.center())), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &move);
    EXPECT_EQ(list->hotItem(), 1);
    EXPECT_EQ(list->ItemState(1), 2);
    const QRect row2 = list->visualItemRect(list->topLevelItem(2));
    QMouseEvent move2(QEvent::MouseMove, QPointF(row2.center()),
                      list->viewport()->mapToGlobal(QPointF(row2.center())), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &move2);
    EXPECT_EQ(list->ItemState(1), 1);
    EXPECT_EQ(list->ItemState(2), 2);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row2.center());
    const auto msgs = parent.Drain();
    ASSERT_FALSE(msgs.empty());
    EXPECT_EQ(msgs.back().id, UM_LIST_CLICK);
    EXPECT_EQ(msgs.back().id, 0x8000 + 0x6A5);
    EXPECT_EQ(msgs.back().l, 2);
}

TEST_F(SkinControls, MessageBoxSizeFollowsTheLongestLine) {
    UiResources ui;
    const QFontMetrics fm(ui.Font(10));
    const QString shortLine = QStringLiteral("短い行");
    const QString longLine = QStringLiteral("こちらの二行目のほうがずっと長い行です。");
    const QString text = shortLine + QStringLiteral("\n") + longLine;
    const QSize measured = MeasureMessageText(text, fm);
    EXPECT_EQ(measured.width(), fm.horizontalAdvance(longLine));
    EXPECT_EQ(measured.height(), 2 * fm.height());

    CMsgDlg dialog(nullptr, ui, text, QStringLiteral("確認"), MB_YESNO);
    EXPECT_EQ(dialog.size(), QSize(measured.width() + 80, measured.height() + 140));
    const MsgDlgLayout& l = dialog.layout();
    EXPECT_EQ(l.text, QRect(40, 15, measured.width() + 40, measured.height() + 45));
    EXPECT_EQ(l.button2, QRect(dialog.width() - 115, dialog.height() - 45, 100, 30));
    EXPECT_EQ(l.button1, QRect(dialog.width() - 230, dialog.height() - 45, 100, 30));
    EXPECT_EQ(dialog.button1()->text(), QStringLiteral("はい"));
    EXPECT_EQ(dialog.button2()->text(), QStringLiteral("いいえ"));

    CMsgDlg ok(nullptr, ui, QStringLiteral("x"), QStringLiteral("ERROR"), MB_OK);
    EXPECT_FALSE(ok.layout().button2Visible);
    EXPECT_EQ(ok.layout().button1, QRect(ok.width() - 115, ok.height() - 45, 100, 30));
    EXPECT_EQ(ok.button1()->text(), QStringLiteral("OK"));
}

TEST_F(SkinControls, MessageBoxResults) {
    EXPECT_EQ(MsgBoxResultFor(MB_OK, true), IDOK);
    EXPECT_EQ(MsgBoxResultFor(MB_OK, false), IDCANCEL);
    EXPECT_EQ(MsgBoxResultFor(MB_OKCANCEL, false), IDCANCEL);
    EXPECT_EQ(MsgBoxResultFor(MB_YESNO, true), IDYES);
    EXPECT_EQ(MsgBoxResultFor(MB_YESNO, false), IDNO);

    UiResources ui;
    // Each box runs modally; a timer answers it the way a person would.
    auto answer = [](std::function<void(CMsgDlg*)> act) {
        QTimer::singleShot(50, [act] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* d = qobject_cast<CMsgDlg*>(w); d != nullptr && d->isVisible()) {
                    act(d);
                }
            }
        });
    };
    CMsgBox box(nullptr, ui);
    answer([](CMsgDlg* d) { QTest::keyClick(d, Qt::Key_Escape); });
    EXPECT_EQ(box.Show(QStringLiteral("削除しますか？"), QStringLiteral("確認"), MB_YESNO), IDNO);
    answer([](CMsgDlg* d) { d->close(); });
    EXPECT_EQ(box.Show(QStringLiteral("完了しました。"), QStringLiteral("終了"), MB_OK), IDCANCEL);
    answer([](CMsgDlg* d) { d->button1()->click(); });
    EXPECT_EQ(box.Show(QStringLiteral("続行しますか？"), QStringLiteral("確認"), MB_YESNO), IDYES);
    answer([](CMsgDlg* d) { d->button1()->click(); });
    EXPECT_EQ(box.Show(QStringLiteral("OK?"), QStringLiteral("確認"), MB_OKCANCEL), IDOK);
    answer([](CMsgDlg* d) { d->button2()->click(); });
    EXPECT_EQ(box.Show(QStringLiteral("OK?"), QStringLiteral("確認"), MB_OKCANCEL), IDCANCEL);
}

TEST_F(SkinControls, FontsFollowTheDpiRule) {
    EXPECT_EQ(FontPixelHeight(9, 144, 144), 12); // trunc(9 / 1.5) = 6 -> MulDiv(6, 144, 72)
    EXPECT_EQ(FontPixelHeight(10, 96, 96), 13);  // MulDiv(10, 96, 72) rounds 13.33
    EXPECT_EQ(FontPixelHeight(22, 96, 96), 29);
    UiResources ui;
    ui.InitWith(144, 144, 1, "/tmp");
    EXPECT_EQ(ui.Font(9).pixelSize(), 12);
    EXPECT_DOUBLE_EQ(ui.dpiScale(), 1.5);
    EXPECT_EQ(ui.Font(13).families().front(), QStringLiteral("メイリオ"));
    // The English row holds the same Japanese texts.
    EXPECT_EQ(ui.Text(195), QStringLiteral("メインカメラの動画データがありません"));
    EXPECT_EQ(ui.startDirectory(), std::filesystem::path("/tmp"));
}
