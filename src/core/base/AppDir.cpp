#include "core/base/AppDir.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "core/base/FileIo.h"

namespace brindle
{

std::string executablePath()
{
    std::string buf(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0)
        return {};
    buf.resize(static_cast<std::size_t>(n));
    return buf;
}

std::string getAppDir()
{
    return folderOf(executablePath());
}

namespace
{

/// The user's configuration folder for the program: $XDG_CONFIG_HOME/brindlewick/ when that is
/// an absolute path, else $HOME/.config/brindlewick/ (the home folder from the password database
/// when HOME is not an absolute path). Empty when no home folder is known: a shared fallback
/// such as /tmp would let another user plant settings.
std::string userConfigDir()
{
    const std::string base = xdgBaseDir("XDG_CONFIG_HOME", ".config");
    return base.empty() ? base : base + "brindlewick/";
}

} // namespace

std::string userHomeDir()
{
    const char* home = std::getenv("HOME");
    if (!home || *home != '/') {
        const passwd* pw = ::getpwuid(::getuid());
        home = pw ? pw->pw_dir : nullptr;
    }
    return home && *home == '/' ? std::string(home) : std::string();
}

std::string xdgBaseDir(const char* envName, const char* homeRelative)
{
    const char* xdg = std::getenv(envName);
    std::string base;
    if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const std::string home = userHomeDir();
        if (home.empty())
            return {};
        base = home + "/" + homeRelative;
    }
    if (base.back() != '/')
        base += '/';
    return base;
}

std::string getSettingsDir(bool create)
{
    const std::string appDir = getAppDir();
    return chooseSettingsDir(appDir, !appDir.empty() && ::access(appDir.c_str(), W_OK) == 0, create);
}

bool isSystemProgramFolder(std::string_view dir)
{
    // Folders that the system's packages own: a program installed there (the Debian package
    // puts both in /usr/bin) keeps its settings with the user, also when root, who can write
    // there, runs it.
    for (std::string_view root : {"/usr/", "/bin/", "/sbin/", "/lib/", "/lib64/", "/libexec/"})
        if (dir.starts_with(root))
            return true;
    return false;
}

std::string chooseSettingsDir(const std::string& appDir, bool appDirWritable, bool create)
{
    if (appDirWritable && !isSystemProgramFolder(appDir))
        return appDir;
    const std::string dir = userConfigDir();
    if (dir.empty())
        return appDir; // nowhere else to go: a save reports that it cannot write
    // Each new folder readable by its owner only. One that cannot be made is not reported here:
    // a save into it reports that it cannot write.
    if (create && !isExistingFolder(dir))
        makeFolders(dir, 0700);
    return dir;
}

std::string helpFilePath(const std::string& appDir, const std::string& helpFile)
{
    const std::string beside = appDir + helpFile;
    if (appDir.size() < 2 || isExistingFile(beside))
        return beside;
    const std::string installed
        = folderOf(appDir.substr(0, appDir.size() - 1)) + "share/brindlewick/" + helpFile;
    return isExistingFile(installed) ? installed : beside;
}

std::string keptJobListPath(bool create)
{
    return getSettingsDir(create) + kKeptJobListName;
}

} // namespace brindle
