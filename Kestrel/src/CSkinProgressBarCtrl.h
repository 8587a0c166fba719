// A 22-pixel progress bar: the filled part blue, the rest white, the text
// "%d %%" of the position centred in a 100-pixel box, white over the filled
// part and blue elsewhere.
#pragma once

#include <QString>
#include <QWidget>

namespace kestrel {

// Filled width: width * position / (maximum - minimum) when the range is at
// least 1, else 0 (an empty range shows an empty bar).
int ProgressFilledWidth(int width, int minimum, int maximum, int position);
QString ProgressText(int position);

class CSkinProgressBarCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 22;

    explicit CSkinProgressBarCtrl(QWidget* parent);

    void SetRange(int minimum, int maximum);
    void SetPos(int position);
    int pos() const { return position_; }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
};

} // namespace kestrel
