// The application object the pipeline tests need (widgets, events), made
// once per test program.
#pragma once

#include <QApplication>

namespace pipelinetest {

inline QApplication* App() {
    static int argc = 1;
    static char name[] = "pipeline_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return app;
}

} // namespace pipelinetest
