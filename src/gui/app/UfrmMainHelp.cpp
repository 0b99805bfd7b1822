// The main window's Help menu: the help page beside the program and the About box.

#include <sys/stat.h>
#include <unistd.h>

#include <QDesktopServices>
#include <QUrl>

#include <cerrno>
#include <string>

#include "base/UAppDir.h"
#include "base/UAppInfo.h"
#include "app/UfrmAbout.h"
#include "app/UfrmMain.h"
#include "base/UNameText.h"
#include "run/UFileOps.h"

namespace brindle
{

namespace
{

/// Why the file at path cannot be shown, or "" when it is a readable file.
std::string unreadableReason(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return ErrorText(errno);
    if (!S_ISREG(st.st_mode))
        return "it is not a file";
    if (::access(path.c_str(), R_OK) != 0)
        return ErrorText(errno);
    return {};
}

} // namespace

bool TfrmMain::openUrl(const QUrl& url)
{
    return m_env.openUrl ? m_env.openUrl(url) : QDesktopServices::openUrl(url);
}

void TfrmMain::openHelpPage(const QString& section)
{
    // Said plainly when it fails: otherwise the menu item would seem to do nothing at all.
    const std::string path = HelpFilePath(m_env.appDir, kHelpFile);
    std::string reason = unreadableReason(path);
    QUrl url = QUrl::fromLocalFile(BytesToText(path));
    if (!section.isEmpty())
        url.setFragment(section);
    if (reason.empty() && !openUrl(url))
        reason = "no program to show it was found on this system";
    if (!reason.empty())
        showMessage("Unable to open the help file " + path + ": " + reason);
}

void TfrmMain::cmQuickHelpHTMLClick()
{
    openHelpPage();
}

void TfrmMain::cmZemloSoftwareClick()
{
    // The project has no web site: its home is the help page that comes with it.
    openHelpPage();
}

void TfrmMain::cmAboutClick()
{
    TfrmAbout about(this);
    m_dialogs->execDialog(about);
}

} // namespace brindle
