#include <gtest/gtest.h>

#include <QApplication>

namespace
{

QtMessageHandler g_defaultHandler = nullptr;

/// Keeps the offscreen platform's remark about size hints out of the test output.
void filterMessages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.contains(QLatin1String("propagateSizeHints")) || text.contains(QLatin1String("XDG_RUNTIME_DIR"))
        || text.contains(QLatin1String("does not support raise()")))
        return;
    g_defaultHandler(type, context, text);
}

} // namespace

// The window tests need a QApplication; without a display they use the offscreen platform.
int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_defaultHandler = qInstallMessageHandler(filterMessages);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
