#pragma once

#include <QString>

#include <functional>
#include <string>

class QUrl;

namespace brindle
{

/// The help page that comes with the program: help/index.html beside it, or where an installed
/// program keeps it (helpFilePath). Opening it hands it to the desktop; a file that is missing
/// or that no program could be started for is reported with its path.
class HelpPage
{
public:
    /// openUrl hands an address to the desktop and says whether a program took it (none:
    /// QDesktopServices); report shows a failure.
    HelpPage(std::string appDir, std::function<bool(const QUrl&)> openUrl,
        std::function<void(const std::string&)> report);

    /// Opens the page, at the section of that anchor when one is given.
    void open(const QString& section = {}) const;

private:
    std::string m_appDir;
    std::function<bool(const QUrl&)> m_openUrl;
    std::function<void(const std::string&)> m_report;
};

} // namespace brindle
