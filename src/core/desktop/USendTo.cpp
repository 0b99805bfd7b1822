#include "desktop/USendTo.h"

#include <cerrno>

#include "base/UAppDir.h"
#include "base/UFileUtil.h"
#include "jobs/zmStringUtil.h"

namespace brindle
{

namespace
{

/// The Exec= argument for a path: always in double quotes, with the characters the desktop
/// entry format reserves inside quotes escaped by a backslash, "%" doubled (it starts a field
/// code), and then every backslash doubled again, since the value itself is an escaped string.
std::string execArgument(const std::string& path)
{
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += '"';
    std::string value;
    for (const char c : quoted) {
        if (c == '\\')
            value += '\\';
        value += c;
    }
    return value;
}

bool hasControlCharacter(const std::string& s)
{
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f)
            return true;
    }
    return false;
}

} // namespace

std::string GetSendToFolder()
{
    const std::string base = XdgBaseDir("XDG_DATA_HOME", ".local/share");
    return base.empty() ? base : base + "applications/";
}

std::string DesktopEntryText(const std::string& target, const std::string& description)
{
    // A desktop entry is UTF-8 text of one line per key.
    if (target.empty() || !IsValidUtf8(target) || hasControlCharacter(target) || !IsValidUtf8(description)
        || hasControlCharacter(description))
        return {};
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Version=1.0\n"
                       "Name="
        + description
        + "\n"
          "Comment=Rename the files of a folder with Brindlewick\n"
          "Icon=brindlewick\n"
          "Exec="
        + execArgument(target)
        + " %f\n"
          "MimeType=inode/directory;\n"
          "Terminal=false\n";
    return text;
}

TSysError CreateShellLink(
    const std::string& target, const std::string& linkFile, const std::string& description)
{
    const std::string text = DesktopEntryText(target, description);
    if (text.empty())
        return EINVAL;
    const std::string folder = FolderOf(linkFile);
    if (folder.empty())
        return ENOENT;
    // The folders get the usual permissions (0777 less the umask).
    if (const TSysError e = MakeFolders(folder, 0777))
        return e;
    return WriteFileAtomically(linkFile, text);
}

std::string SendToSuccessMessage(const std::string& folder)
{
    return "A shortcut to Brindlewick has been successfully created in\r\n" + folder;
}

std::string SendToFailureMessage(const std::string& linkFile)
{
    return "Cannot create shortcut to Brindlewick\r\nfilename = " + linkFile;
}

} // namespace brindle
