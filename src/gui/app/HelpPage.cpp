#include "gui/app/HelpPage.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDesktopServices>
#include <QUrl>

#include <cerrno>
#include <string>
#include <utility>

#include "core/base/AppDir.h"
#include "core/base/AppInfo.h"
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

HelpPage::HelpPage(std::string appDir, std::function<bool(const QUrl&)> openUrl,
    std::function<void(const std::string&)> report)
    : m_appDir(std::move(appDir))
    , m_openUrl(std::move(openUrl))
    , m_report(std::move(report))
{
}

void HelpPage::open(const QString& section) const
{
    // Said plainly when it fails: otherwise the menu item would seem to do nothing at all.
    const std::string path = helpFilePath(m_appDir, kHelpFile);
    std::string reason = unreadableReason(path);
    QUrl url = QUrl::fromLocalFile(bytesToText(path));
    if (!section.isEmpty())
        url.setFragment(section);
    if (reason.empty() && !(m_openUrl ? m_openUrl(url) : QDesktopServices::openUrl(url)))
        reason = "no program to show it was found on this system";
    if (!reason.empty())
        m_report("Unable to open the help file " + path + ": " + reason);
}

} // namespace brindle
