#include "CKestrelApp.h"

#include "CKestrelDlg.h"
#include "StartupPrompts.h"

#include <QApplication>
#include <QImage>
#include <QTimer>
#include <cstdio>

namespace kestrel {

AppOptions ParseAppOptions(const QStringList& arguments) {
    AppOptions options;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (a == QLatin1String("--screenshot") && hasValue) {
            options.screenshotPath = arguments[++i];
        } else if (a == QLatin1String("--quit-after") && hasValue) {
            bool ok = false;
            options.quitAfterMs = arguments[++i].toInt(&ok);
            if (!ok || options.quitAfterMs < 0) {
                options.error = QStringLiteral("--quit-after needs a number of milliseconds");
            }
        } else {
            options.error = QStringLiteral("unknown argument: ") + a;
        }
    }
    if (!options.screenshotPath.isEmpty() && options.quitAfterMs < 0) {
        options.quitAfterMs = 3000;
    }
    return options;
}

int CKestrelApp::Run(const QStringList& arguments) {
    const AppOptions options = ParseAppOptions(arguments);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr,
                     "BrivonaS: %s\nusage: BrivonaS [--screenshot FILE] [--quit-after MS]\n",
                     qPrintable(options.error));
        return 2;
    }
    InteractivePrompts prompts;
    CKestrelDlg dialog(prompts);
    int exitCode = 0;
    bool finished = false;
    if (options.quitAfterMs >= 0) {
        // Counted from the start, so that a question shown during start-up
        // (the first-run product selection) cannot hold the run forever.
        QTimer::singleShot(options.quitAfterMs, &dialog, [&] {
            if (!options.screenshotPath.isEmpty() &&
                !dialog.Screenshot().save(options.screenshotPath)) {
                std::fprintf(stderr, "BrivonaS: cannot write %s\n",
                             qPrintable(options.screenshotPath));
                exitCode = 1;
            }
            finished = true;
            dialog.close();
            QApplication::exit(exitCode);
        });
    }
    dialog.show();
    if (!dialog.Initialise()) {
        std::fprintf(stderr, "BrivonaS: no screen to show the window on\n");
        return 1;
    }
    if (finished) {
        return exitCode;
    }
    const int result = QApplication::exec();
    return exitCode != 0 ? exitCode : result;
}

} // namespace kestrel
