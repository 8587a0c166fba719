// BrivonaS: the viewer for the recordings of a 360-degree dash camera.
#include "CKestrelApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("BrivonaS"));
    kestrel::CKestrelApp application;
    return application.Run(QApplication::arguments());
}
