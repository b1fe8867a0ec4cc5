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
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string EnterScratchDirectory() {
    std::string dir = "/tmp/tracevu-test-XXXXXX";
    if (!mkdtemp(dir.data()))
        return {};
    if (chdir(dir.c_str()) == 0)
        setenv("TRACEVU_TEST_SCRATCH", dir.c_str(), 1);
    // A private runtime directory keeps Qt quiet and away from the user's.
    const std::string runtime = dir + "/runtime";
    mkdir(runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 0);
    return dir;
}

// Every test program is one process, and ctest starts hundreds: leave no
// directories behind.
void RemoveScratchDirectory(const std::string& dir) {
    if (dir.empty() || chdir("/") != 0)
        return;
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
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

namespace {
int RunTests(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#ifdef TRACEVU_WITH_QT
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    g_previousHandler = qInstallMessageHandler(QuietHandler);
    QApplication app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
} // namespace

int main(int argc, char** argv) {
    const std::string scratch = EnterScratchDirectory();
    const int result = RunTests(argc, argv);
    RemoveScratchDirectory(scratch);
    return result;
}
