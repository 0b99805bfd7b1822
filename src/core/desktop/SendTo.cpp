#include "core/desktop/SendTo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "core/base/AppDir.h"
#include "core/base/FileIo.h"
#include "core/jobs/Utf8Chars.h"
#include "core/run/FileOps.h"

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

/// mkdir -p; the folders get the usual permissions (0777 less the umask). On failure failedPart
/// receives the folder that could not be made or is no folder.
SysError makeFoldersNaming(const std::string& folder, std::string& failedPart)
{
    for (std::size_t p = folder.find('/', 1); p != std::string::npos; p = folder.find('/', p + 1)) {
        const std::string part = folder.substr(0, p);
        if (::mkdir(part.c_str(), 0777) == 0)
            continue;
        // Something of that name that is no folder is named itself, not the folder below it.
        const SysError e
            = errno == EEXIST ? SysError(isExistingFolder(part) ? 0 : ENOTDIR) : SysError::last();
        if (e) {
            failedPart = part;
            return e;
        }
    }
    if (isExistingFolder(folder))
        return {};
    failedPart = folder;
    return ENOTDIR;
}

/// A word of a POSIX shell command that stands for path exactly: in single quotes, each single
/// quote closed, escaped and opened again. Nothing inside single quotes is special to the shell.
std::string shellWord(const std::string& path)
{
    std::string word = "'";
    for (const char c : path) {
        if (c == '\'')
            word += "'\\''";
        else
            word += c;
    }
    return word + "'";
}

/// A string value of a key file as GLib reads it, for a value that starts with no blank and
/// holds no control character: every backslash doubled.
std::string keyFileValue(const std::string& value)
{
    std::string out;
    for (const char c : value) {
        if (c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

/// Why target cannot be written into a desktop entry or a key file, or "" when it can.
std::string keyFileProblem(const std::string& target)
{
    if (target.empty())
        return "The program's path is not known.";
    if (!isValidUtf8(target))
        return "The program's path is not UTF-8 text, which this file cannot hold.";
    if (hasControlCharacter(target))
        return "The program's path holds a control character, which this file cannot hold.";
    return {};
}

/// Nemo replaces "%" and the letter after it (and, in newer versions, "%%") before it reads the
/// command, inside quotes too, and no escape keeps every version from it.
bool hasNemoFieldCode(const std::string& target)
{
    for (std::size_t p = target.find('%'); p != std::string::npos; p = target.find('%', p + 1)) {
        const char next = p + 1 < target.size() ? target[p + 1] : '\0';
        if (next == '%' || (next >= 'A' && next <= 'Z') || (next >= 'a' && next <= 'z'))
            return true;
    }
    return false;
}

std::string markerLine(bool ownMarker)
{
    return ownMarker ? std::string(kOwnEntryMarker) + "\n" : std::string();
}

std::string serviceMenuText(const std::string& target, bool ownMarker)
{
    // Type=Service with the action in a group of its own is what KDE reads as a service menu;
    // the service type line is for Dolphin before KDE Frameworks 6.
    return markerLine(ownMarker)
        + "[Desktop Entry]\n"
          "Type=Service\n"
          "Name=Brindlewick\n"
          "Icon=brindlewick\n"
          "MimeType=inode/directory;\n"
          "Actions=RenameWithBrindlewick;\n"
          "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n"
          "\n"
          "[Desktop Action RenameWithBrindlewick]\n"
          "Name=Rename files with Brindlewick\n"
          "Icon=brindlewick\n"
          "Exec="
        + execArgument(target) + " %F\n";
}

std::string nautilusScriptText(const std::string& target, bool ownMarker)
{
    // Nautilus gives the selected paths one a line; the program takes the first. Nothing is
    // selected: the program starts without a folder.
    return "#!/bin/sh\n" + markerLine(ownMarker)
        + "# Starts Brindlewick on the first selected folder.\n"
          "nl='\n"
          "'\n"
          "first=${NAUTILUS_SCRIPT_SELECTED_FILE_PATHS%%\"$nl\"*}\n"
          "exec "
        + shellWord(target) + " ${first:+\"$first\"}\n";
}

std::string thunarSendToText(const std::string& target, bool ownMarker)
{
    return markerLine(ownMarker)
        + "[Desktop Entry]\n"
          "Type=Application\n"
          "Version=1.0\n"
          "Name=Brindlewick\n"
          "Comment=Rename the files of the selected folder with Brindlewick\n"
          "Icon=brindlewick\n"
          "Exec="
        + execArgument(target)
        + " %F\n"
          "MimeType=inode/directory;\n"
          "Terminal=false\n";
}

std::string nemoActionText(const std::string& target, bool ownMarker)
{
    // Nemo runs the command through GLib's shell-like parser after putting each selected path
    // in double quotes in the place of %F.
    return markerLine(ownMarker)
        + "[Nemo Action]\n"
          "Name=Rename files with Brindlewick\n"
          "Comment=Rename the files of the selected folder with Brindlewick\n"
          "Icon-Name=brindlewick\n"
          "Exec="
        + keyFileValue(shellWord(target))
        + " %F\n"
          "Quote=double\n"
          "Selection=notnone\n"
          "Extensions=dir;\n";
}

/// Whether the regular file at path holds kOwnEntryMarker as a line of its own.
bool holdsOwnMarker(const std::string& path)
{
    const Fd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {
    };
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    // The marker stands near the top: the first few kilobytes are enough.
    std::string head(4096, '\0');
    const ssize_t n = ::read(fd.get(), head.data(), head.size());
    if (n <= 0)
        return false;
    head.resize(static_cast<std::size_t>(n));
    const std::string line = kOwnEntryMarker;
    for (std::size_t p = head.find(line); p != std::string::npos; p = head.find(line, p + 1)) {
        const bool startsLine = p == 0 || head[p - 1] == '\n';
        const std::size_t end = p + line.size();
        if (startsLine && end < head.size() && head[end] == '\n')
            return true;
    }
    return false;
}

/// One file of the set on its way to the disk.
struct PlannedFile {
    std::string path;
    std::string text;
    bool executable = false;
    /// The desktop entry: replaced whatever it held. A file manager entry: only when it is ours.
    bool replaceAny = false;
    /// Whether something already has the name (then it is replaced, else nothing may be).
    bool exists = false;
    std::string temp;
};

/// Writes text to a new temporary file beside file.path, synced, with the entry's permissions
/// (the umask's, and executable by its owner where the file manager needs it). The temporary
/// file is gone again on failure.
SysError writeTemporary(PlannedFile& file)
{
    static std::mt19937_64 random {std::random_device {}()};
    const std::string folder = folderOf(file.path);
    const mode_t mode = file.executable ? 0777 : 0666;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        char suffix[17];
        std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
        file.temp = folder + ".brindlewick-" + suffix;
        fd = ::open(file.temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const SysError e = SysError::last();
        file.temp.clear();
        return e;
    }
    Fd owned(fd);
    struct stat st {
    };
    bool ok = ::fstat(fd, &st) == 0;
    // A umask that takes the owner's execute bit would leave a file the file manager ignores.
    if (ok && file.executable && (st.st_mode & S_IXUSR) == 0)
        ok = ::fchmod(fd, (st.st_mode & 07777) | S_IRUSR | S_IXUSR) == 0;
    SysError e = ok ? SysError() : SysError::last();
    if (ok) {
        if (const SysError w = writeAll(fd, file.text)) {
            ok = false;
            e = w;
        }
    }
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        e = SysError::last();
    }
    if (const SysError closeError = owned.close(); closeError && ok) {
        ok = false;
        e = closeError;
    }
    if (!ok) {
        ::unlink(file.temp.c_str());
        file.temp.clear();
        return e ? e : SysError(EIO);
    }
    return {};
}

/// Puts the temporary file in its place: over the file it replaces, or, where nothing had the
/// name, only while nothing does.
SysError putInPlace(const PlannedFile& file)
{
    if (file.exists)
        return ::rename(file.temp.c_str(), file.path.c_str()) == 0 ? SysError() : SysError::last();
    const std::string folder = folderOf(file.path);
    const Fd dirFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dirFd.valid())
        return dirFd.error();
    return renameNoReplace(
        dirFd.get(), file.temp.substr(folder.size()), file.path.substr(folder.size()), false);
}

void syncFolderOf(const std::string& path)
{
    const Fd dirFd(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.valid())
        ::fsync(dirFd.get());
}

} // namespace

std::string getSendToFolder()
{
    const std::string base = getDataHome();
    return base.empty() ? base : base + "applications/";
}

std::string desktopEntryText(const std::string& target, const std::string& description)
{
    // A desktop entry is UTF-8 text of one line per key.
    if (target.empty() || !isValidUtf8(target) || hasControlCharacter(target) || !isValidUtf8(description)
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
        + " %F\n"
          "MimeType=inode/directory;\n"
          "Terminal=false\n";
    return text;
}

SysError createShellLink(
    const std::string& target, const std::string& linkFile, const std::string& description)
{
    const std::string text = desktopEntryText(target, description);
    if (text.empty())
        return EINVAL;
    const std::string folder = folderOf(linkFile);
    if (folder.empty())
        return ENOENT;
    // The folders get the usual permissions (0777 less the umask).
    if (const SysError e = makeFolders(folder, 0777))
        return e;
    return writeFileAtomically(linkFile, text);
}

std::string sendToSuccessMessage(const std::string& folder)
{
    return "A shortcut to Brindlewick has been successfully created in\r\n" + folder;
}

std::string sendToFailureMessage(const std::string& linkFile, const std::string& reason)
{
    return "Cannot create shortcut to Brindlewick\r\nfilename = " + linkFile
        + (reason.empty() ? "" : "\r\n" + reason);
}

std::string sendToSuccessMessage(const std::vector<std::string>& written, const std::string& dataHome)
{
    std::string text = sendToSuccessMessage(dataHome + "applications/");
    if (written.size() > 1) {
        text += "\r\n\r\nThe file managers offer it in their menus through:";
        for (std::size_t i = 1; i < written.size(); ++i)
            text += "\r\n" + written[i];
    }
    return text;
}

std::string menuEntryPath(MenuEntry entry)
{
    switch (entry) {
    case MenuEntry::DolphinServiceMenu:
        return "kio/servicemenus/brindlewick.desktop";
    case MenuEntry::NautilusScript:
        return "nautilus/scripts/Rename with Brindlewick";
    case MenuEntry::ThunarSendTo:
        return "Thunar/sendto/brindlewick.desktop";
    case MenuEntry::NemoAction:
        return "nemo/actions/brindlewick.nemo_action";
    }
    return {};
}

bool menuEntryExecutable(MenuEntry entry)
{
    return entry == MenuEntry::DolphinServiceMenu || entry == MenuEntry::NautilusScript;
}

Result<std::string> menuEntryText(MenuEntry entry, const std::string& target, bool ownMarker)
{
    // A shell script holds any bytes; the key files hold UTF-8 text of one line per key.
    std::string why = entry == MenuEntry::NautilusScript
        ? (target.empty() ? "The program's path is not known." : "")
        : keyFileProblem(target);
    if (why.empty() && entry == MenuEntry::NemoAction && hasNemoFieldCode(target))
        why = "The program's path holds \"%\" before a letter or another \"%\", which Nemo would take for a "
              "field code.";
    if (!why.empty())
        return Error {why};
    switch (entry) {
    case MenuEntry::DolphinServiceMenu:
        return serviceMenuText(target, ownMarker);
    case MenuEntry::NautilusScript:
        return nautilusScriptText(target, ownMarker);
    case MenuEntry::ThunarSendTo:
        return thunarSendToText(target, ownMarker);
    case MenuEntry::NemoAction:
        return nemoActionText(target, ownMarker);
    }
    return std::string();
}

std::string getDataHome()
{
    return xdgBaseDir("XDG_DATA_HOME", ".local/share");
}

Result<std::vector<std::string>> placeInSendTo(const std::string& target, const std::string& dataHome)
{
    auto fail = [](const std::string& file, const std::string& reason) {
        return Error {sendToFailureMessage(file, reason)};
    };
    if (dataHome.empty())
        return fail(kSendToFileName, "No home folder is known, so there is no folder for it.");

    // 1. Every text first: a program path that one of the files cannot hold writes none.
    std::vector<PlannedFile> files;
    PlannedFile desktop;
    desktop.path = dataHome + "applications/" + kSendToFileName;
    desktop.text = desktopEntryText(target, kSendToDescription);
    desktop.replaceAny = true;
    if (desktop.text.empty())
        return fail(desktop.path, keyFileProblem(target));
    files.push_back(std::move(desktop));
    for (const MenuEntry entry : kMenuEntries) {
        PlannedFile file;
        file.path = dataHome + menuEntryPath(entry);
        file.executable = menuEntryExecutable(entry);
        Result<std::string> text = menuEntryText(entry, target, true);
        if (!text.ok())
            return fail(file.path, text.error().message);
        file.text = std::move(text).value();
        files.push_back(std::move(file));
    }

    // 2. The folders, and what has each name now.
    for (PlannedFile& file : files) {
        std::string part;
        if (const SysError e = makeFoldersNaming(folderOf(file.path), part))
            return fail(file.path, part + ": " + e.text());
        struct stat st {
        };
        if (::lstat(file.path.c_str(), &st) != 0) {
            if (errno != ENOENT)
                return fail(file.path, SysError::last().text());
            continue;
        }
        file.exists = true;
        if (file.replaceAny ? !(S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) : !holdsOwnMarker(file.path))
            return fail(file.path,
                file.replaceAny
                    ? "Something that is not a file has this name; it is left as it is."
                    : "A file of this name exists that Brindlewick did not write; it is left as it is.");
    }

    // 3. Every file whole beside its name; any failure takes them all back.
    auto removeTemporaries = [&](std::size_t from) {
        for (std::size_t i = from; i < files.size(); ++i)
            if (!files[i].temp.empty())
                ::unlink(files[i].temp.c_str());
    };
    for (PlannedFile& file : files) {
        if (const SysError e = writeTemporary(file)) {
            removeTemporaries(0);
            return fail(file.path, e.text());
        }
    }

    // 4. Each takes its name in one step.
    std::vector<std::string> written;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (const SysError e = putInPlace(files[i])) {
            removeTemporaries(i);
            return fail(files[i].path,
                e == EEXIST ? "A file of this name appeared meanwhile; it is left as it is." : e.text());
        }
        files[i].temp.clear();
        syncFolderOf(files[i].path);
        written.push_back(files[i].path);
    }
    return written;
}

} // namespace brindle
