#include <QApplication>
#include <QIcon>

#include <string>
#include <vector>

#include "core/base/AppDir.h"
#include "core/base/AppInfo.h"
#include "gui/app/MainWindow.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(brindle::kAppName));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/brindlewick.svg")));

    // QApplication has taken its own options out of argv; what is left is ours, as bytes.
    brindle::MainWindowEnv env;
    env.appDir = brindle::getAppDir();
    env.settingsDir = brindle::getSettingsDir();
    for (int i = 1; i < argc; ++i)
        env.args.emplace_back(argv[i]);

    brindle::MainWindow frmMain(std::move(env));
    frmMain.show();
    return QApplication::exec();
}
