// A framed area of the main window that holds one of the windows placed by
// the layouts (file manager, acceleration graph, information panel). The
// layouts move and show the host; the window it holds fills it. Until a window
// is given, the host shows its empty skin frame.
#pragma once

#include <QWidget>

namespace kestrel {

class CPanelHost : public QWidget {
    Q_OBJECT
public:
    CPanelHost(QWidget* parent, const QString& role);

    void SetContent(QWidget* content);
    QWidget* content() const { return content_; }
    const QString& role() const { return role_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    QString role_;
    QWidget* content_ = nullptr;
};

} // namespace kestrel
