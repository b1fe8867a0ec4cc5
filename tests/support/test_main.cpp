// Test entry point. Every test program runs in a private scratch directory,
// so that files the program writes by bare name (the layer colours) never
// touch the sources. Qt tests also get an offscreen QApplication.
#include <gtest/gtest.h>

#ifdef TRACEVU_WITH_QT
#include <QApplication>
#include <QByteArray>
#include <QtGlobal>
#endif

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void EnterScratchDirectory() {
    std::string dir = "/tmp/tracevu-test-XXXXXX";
    if (mkdtemp(dir.data()) && chdir(dir.c_str()) == 0)
        setenv("TRACEVU_TEST_SCRATCH", dir.c_str(), 1);
    // A private runtime directory keeps Qt quiet and away from the user's.
    const std::string runtime = dir + "/runtime";
    mkdir(runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 0);
}

#ifdef TRACEVU_WITH_QT
// The offscreen platform warns about things that do not matter here; keep
// real warnings visible by dropping only those.
QtMessageHandler g_previousHandler = nullptr;
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    static const char* const kHarmless[] = {"propagateSizeHints", "XDG_RUNTIME_DIR",
                                            "QFont::setPointSizeF"};
    for (const char* harmless : kHarmless)
        if (message.contains(QLatin1String(harmless)))
            return;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}
#endif
} // namespace

int main(int argc, char** argv) {
    EnterScratchDirectory();
    ::testing::InitGoogleTest(&argc, argv);
#ifdef TRACEVU_WITH_QT
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    g_previousHandler = qInstallMessageHandler(QuietHandler);
    QApplication app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
