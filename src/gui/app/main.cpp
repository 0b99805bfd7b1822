#include <QApplication>
#include <QIcon>

#include <string>
#include <vector>

#include "base/UAppDir.h"
#include "base/UAppInfo.h"
#include "app/UfrmMain.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(brindle::kAppName));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/brindlewick.svg")));

    // QApplication has taken its own options out of argv; what is left is ours, as bytes.
    brindle::TMainWindowEnv env;
    env.appDir = brindle::GetAppDir();
    env.settingsDir = brindle::GetSettingsDir();
    for (int i = 1; i < argc; ++i)
        env.args.emplace_back(argv[i]);

    brindle::TfrmMain frmMain(std::move(env));
    frmMain.show();
    return QApplication::exec();
}
