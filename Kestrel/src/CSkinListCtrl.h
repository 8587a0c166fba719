// A report-style list whose rows carry a state image (1 unticked, 2 unticked
// under the pointer, 3 ticked, from the 12 x 12 check strip). The row under the
// pointer is hot-tracked (state 1 shows as 2 while hot) and a click on a row
// posts UM_LIST_CLICK (WM_APP + 0x6A5) to the parent with wParam = the hit
// flags and lParam = the row index.
#pragma once

#include <QTreeWidget>

namespace kestrel {

class CSkinListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    // Hit flags of a click, as the owner receives them.
    enum HitFlags : int { HitOnLabel = 0x4, HitOnStateIcon = 0x8 };
    static constexpr int kStateRole = Qt::UserRole + 0x6A5;

    explicit CSkinListCtrl(QWidget* parent);

    void SetItemState(int row, int state);
    int ItemState(int row) const;
    int hotItem() const { return hot_; }

protected:
    void mouseMoveEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

private:
    void TrackHot(int row);

    QPixmap strip_;
    int hot_ = -1;
};

} // namespace kestrel
