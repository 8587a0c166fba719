// The skinned message dialog run by CMsgBox: a white panel with the text at
// (40, 15), one or two 100 x 30 buttons at the bottom right, sized from the
// measured text: (widest line + 80) x (sum of line heights + 140).
#pragma once

#include "CSkinDialog.h"

#include <QFontMetrics>
#include <QRect>
#include <QSize>
#include <QString>

class QLabel;

namespace kestrel {

// Box types and results.
enum MsgBoxType : int { MB_OK = 0, MB_OKCANCEL = 1, MB_YESNO = 4 };
enum MsgBoxResult : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct MsgDlgLayout {
    QSize window;
    QRect text;
    QRect button1; // OK or Yes
    QRect button2; // Cancel or No
    bool button2Visible = false;
    int button1TextId = 193; // "OK"
    int button2TextId = 194; // "キャンセル"
};

// Width of the widest line and sum of the line heights of a text split at "\n".
QSize MeasureMessageText(const QString& text, const QFontMetrics& metrics);
MsgDlgLayout ComputeMsgDlgLayout(QSize textSize, int type);
// The result of button 1 (true) or button 2 / Escape / close (false).
int MsgBoxResultFor(int type, bool firstButton);

class CMsgDlg : public CSkinDialog {
    Q_OBJECT
public:
    CMsgDlg(QWidget* parent, const UiResources& ui, const QString& text, const QString& caption,
            int type);

    const MsgDlgLayout& layout() const { return layout_; }
    CSkinButton* button1() const { return button1_; }
    CSkinButton* button2() const { return button2_; }

    void reject() override;

protected:
    void OnCommand(int commandId) override;
    void paintEvent(QPaintEvent*) override;

private:
    int type_;
    MsgDlgLayout layout_;
    QLabel* label_ = nullptr;
    CSkinButton* button1_ = nullptr;
    CSkinButton* button2_ = nullptr;
};

} // namespace kestrel
