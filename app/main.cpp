// The tracevu program: the application shell on Qt.
#include "app/trace_app.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName("tracevu");
    QApplication::setApplicationName("tracevu");
    QGuiApplication::setDesktopFileName("tracevu");

    CTraceApp theApp;
    if (!theApp.InitInstance(QApplication::arguments().mid(1)))
        return 1;
    return QApplication::exec();
}
