// The application object: prepares the process, runs the main window until it
// closes, and returns the exit code. One test hook: `--screenshot FILE
// --quit-after MS` saves a picture of the main window (with the map window)
// MS milliseconds after start-up has finished and then ends the program; the
// demo script uses it where no display is at hand.
#pragma once

#include <QString>
#include <QStringList>

namespace kestrel {

struct AppOptions {
    QString screenshotPath;
    int quitAfterMs = -1; // < 0: run until the user closes the window
    QString error;        // set when the arguments could not be understood
};

AppOptions ParseAppOptions(const QStringList& arguments);

class CKestrelApp {
public:
    // Runs the main window; the process's exit code.
    int Run(const QStringList& arguments);
};

} // namespace kestrel
