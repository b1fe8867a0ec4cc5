// The tracevu program: the application shell on Qt.
#include "app/trace_app.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName("tracevu");
    QApplication::setApplicationName("tracevu");
    QGuiApplication::setDesktopFileName("tracevu");

    CTraceApp theApp;
    // Qt has taken out its own options; file names are kept as bytes.
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!theApp.InitInstance(arguments))
        return 1;
    return QApplication::exec();
}
