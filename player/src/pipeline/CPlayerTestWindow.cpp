#include "player/CPlayerTestWindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <chrono>

namespace player {

namespace {
int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

CPlayerTestWindow::CPlayerTestWindow(int width, int height, QWidget* parent)
    : CVideoWindow(parent), startMs_(NowMs()) {
    resize(width, height);
    setWindowTitle("BrivonaS player");
}

int CPlayerTestWindow::Count(int message) const {
    int n = 0;
    for (const Message& m : messages_) {
        n += m.message == message ? 1 : 0;
    }
    return n;
}

void CPlayerTestWindow::OnPlayerMessage(const PlayerEvent& e) {
    const Message m{e.message(), e.wParam(), e.lParam(), NowMs() - startMs_};
    if (onMessage) {
        onMessage(m);
    }
    messages_.push_back(m);
}

bool CPlayerTestWindow::WaitForMessage(int message, int timeoutMs, bool fresh) {
    const int before = fresh ? Count(message) : 0;
    return WaitUntil([&] { return Count(message) > before; }, timeoutMs);
}

bool CPlayerTestWindow::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() >= timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void CPlayerTestWindow::Pump(int ms) {
    WaitUntil([] { return false; }, ms);
}

} // namespace player
