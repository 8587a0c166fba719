#include "CSkinListCtrl.h"

#include "AppMessage.h"
#include "SkinArt.h"

#include <QMouseEvent>

namespace kestrel {

CSkinListCtrl::CSkinListCtrl(QWidget* parent) : QTreeWidget(parent), strip_(SkinArt::CheckStrip()) {
    setRootIsDecorated(false);
    setMouseTracking(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setUniformRowHeights(true);
    setIconSize(QSize(12, 12));
}

void CSkinListCtrl::SetItemState(int row, int state) {
    QTreeWidgetItem* it = topLevelItem(row);
    if (it == nullptr) {
        return;
    }
    it->setData(0, kStateRole, state);
    if (state >= 1 && state <= 4) {
        it->setIcon(0, QIcon(strip_.copy(12 * (state - 1), 0, 12, 12)));
    } else {
        it->setIcon(0, QIcon());
    }
}

int CSkinListCtrl::ItemState(int row) const {
    const QTreeWidgetItem* it = topLevelItem(row);
    return it == nullptr ? 0 : it->data(0, kStateRole).toInt();
}

void CSkinListCtrl::TrackHot(int row) {
    if (hot_ >= 0 && hot_ != row && ItemState(hot_) == 2) {
        SetItemState(hot_, 1);
    }
    hot_ = row;
    if (row >= 0 && ItemState(row) == 1) {
        SetItemState(row, 2);
    }
}

void CSkinListCtrl::mouseMoveEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    TrackHot(index.isValid() ? index.row() : -1);
    QTreeWidget::mouseMoveEvent(event);
}

void CSkinListCtrl::leaveEvent(QEvent* event) {
    TrackHot(-1);
    QTreeWidget::leaveEvent(event);
}

void CSkinListCtrl::mousePressEvent(QMouseEvent* event) {
    QTreeWidget::mousePressEvent(event);
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    if (event->button() == Qt::LeftButton && index.isValid()) {
        const QRect cell = visualRect(index.siblingAtColumn(0));
        const bool onIcon = index.column() == 0 && at.x() < cell.left() + iconSize().width() + 6;
        PostAppMessage(parentWidget(), UM_LIST_CLICK, onIcon ? HitOnStateIcon : HitOnLabel,
                       index.row());
    }
}

} // namespace kestrel
