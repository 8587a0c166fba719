#include "AppMessage.h"

#include <QCoreApplication>

namespace kestrel {

void PostAppMessage(QObject* target, int id, std::int64_t wParam, std::int64_t lParam) {
    if (target == nullptr) {
        return;
    }
    QCoreApplication::postEvent(target, new AppMessage(id, wParam, lParam));
}

bool SendAppMessage(QObject* target, int id, std::int64_t wParam, std::int64_t lParam) {
    if (target == nullptr) {
        return false;
    }
    AppMessage message(id, wParam, lParam);
    return QCoreApplication::sendEvent(target, &message);
}

const AppMessage* AsAppMessage(const QEvent* event) {
    const int type = static_cast<int>(event->type());
    if (type < kWmApp || type > QEvent::MaxUser) {
        return nullptr;
    }
    return dynamic_cast<const AppMessage*>(event);
}

} // namespace kestrel
