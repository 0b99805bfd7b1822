// The main window's Help menu: the help page beside the program and the About box.

#include <sys/stat.h>
#include <unistd.h>

#include <QDesktopServices>
#include <QUrl>

#include <cerrno>
#include <string>

#include "core/base/AppDir.h"
#include "core/base/AppInfo.h"
#include "gui/app/AboutDialog.h"
#include "gui/app/MainWindow.h"
#include "gui/base/NameText.h"
#include "core/run/FileOps.h"

namespace brindle
{

namespace
{

/// Why the file at path cannot be shown, or "" when it is a readable file.
std::string unreadableReason(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return errorText(errno);
    if (!S_ISREG(st.st_mode))
        return "it is not a file";
    if (::access(path.c_str(), R_OK) != 0)
        return errorText(errno);
    return {};
}

} // namespace

bool MainWindow::openUrl(const QUrl& url)
{
    return m_env.openUrl ? m_env.openUrl(url) : QDesktopServices::openUrl(url);
}

void MainWindow::openHelpPage(const QString& section)
{
    // Said plainly when it fails: otherwise the menu item would seem to do nothing at all.
    const std::string path = helpFilePath(m_env.appDir, kHelpFile);
    std::string reason = unreadableReason(path);
    QUrl url = QUrl::fromLocalFile(bytesToText(path));
    if (!section.isEmpty())
        url.setFragment(section);
    if (reason.empty() && !openUrl(url))
        reason = "no program to show it was found on this system";
    if (!reason.empty())
        showMessage("Unable to open the help file " + path + ": " + reason);
}

void MainWindow::showHelp()
{
    openHelpPage();
}

void MainWindow::showAbout()
{
    AboutDialog about(this);
    m_dialogs->execDialog(about);
}

} // namespace brindle
