// main() of the window tests: a QApplication around GoogleTest.
#include "HermeticHome.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

QtMessageHandler previousHandler = nullptr;

// The offscreen platform reports, for every window and popup shown, the
// features it lacks.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.startsWith(QLatin1String("This plugin does not support")))
        previousHandler(type, context, message);
}

} // namespace

int main(int argc, char* argv[])
{
    testsupport::enterHermeticHome();
    // Also when ctest lists the tests, which it does without the test
    // environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    previousHandler = qInstallMessageHandler(quietHandler);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
