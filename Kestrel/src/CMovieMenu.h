// The movie view's context menu, drawn by the program: 20-pixel items 100
// pixels wide (220 in full screen), the selected item blue with white text
// (light blue when disabled), disabled text grey, a drawn check mark at the
// left edge. Choosing an item emits its command.
#pragma once

#include "MovieMenuModel.h"

#include <QWidget>

namespace kestrel {

class UiResources;

class CMovieMenu : public QWidget {
    Q_OBJECT
public:
    static constexpr int kItemHeight = 20;
    static constexpr int kSeparatorHeight = 9;

    CMovieMenu(QWidget* owner, const UiResources& ui, std::vector<MovieMenuItem> items, bool wide);

    int itemWidth() const { return wide_ ? 220 : 100; }
    // The rectangle of item i in the menu.
    QRect ItemRect(int i) const;
    const std::vector<MovieMenuItem>& items() const { return items_; }
    void SetSelected(int index);
    int selected() const { return selected_; }

    // Shows the menu with its top-left corner at the global point, kept on the screen.
    void Popup(QPoint globalPos);

signals:
    void commandChosen(int command);

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    int ItemAt(QPoint p) const;
    void Choose(int index);
    void Step(int direction);

    const UiResources& ui_;
    std::vector<MovieMenuItem> items_;
    bool wide_;
    int selected_ = -1;
};

} // namespace kestrel
