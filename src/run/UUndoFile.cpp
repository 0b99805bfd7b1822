#include "run/UUndoFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "run/UGlobals.h"

namespace brindle
{

namespace
{

constexpr std::string_view kUndoQuestion = "Operation will undo renaming in current directory.\r\n"
                                           "Then it will remove _brindlewick_undo.txt from this directory. "
                                           "Continue?";
constexpr std::string_view kNoUndoFile
    = "Undo file _brindlewick_undo.txt does not exist in current directory. Operation will not continue!";
constexpr std::string_view kRemoveAfterErrors
    = "Errors detected! Remove _brindlewick_undo.txt from this Dir?";

/// Writes all of bytes, going on after a partial write or an interruption.
int writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

/// Opens the undo file of the folder dirFd for reading and reads it whole. Only a plain file
/// is read: a link is not followed and a pipe does not block.
int readUndoFile(int dirFd, std::string& content, struct stat& st)
{
    TFd fd(
        ::openat(dirFd, std::string(kUndoFileName).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return errno;
    if (::fstat(fd.get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    content.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    return 0;
}

std::string withSeparator(const std::string& folder)
{
    return folder.ends_with('/') ? folder : folder + "/";
}

} // namespace

TUndoFileWriter::~TUndoFileWriter() = default;

int TUndoFileWriter::Create(int dirFd)
{
    m_fd.close();
    // Not following a link keeps the run from emptying a file elsewhere; O_NONBLOCK keeps a
    // pipe of that name from blocking the run.
    TFd fd(::openat(dirFd, std::string(kUndoFileName).c_str(),
        O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644));
    if (!fd.valid())
        return errno;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    m_fd = std::move(fd);
    m_size = 0;
    m_sizeBeforeLast = 0;
    return 0;
}

int TUndoFileWriter::Add(std::string_view newName, std::string_view oldName)
{
    if (!m_fd.valid())
        return EBADF;
    m_buffer.clear();
    m_buffer.append(newName).append("\r\n").append(oldName).append("\r\n");
    const int e = writeAll(m_fd.get(), m_buffer);
    if (e != 0) {
        // Take back a half-written pair, so the file still holds whole pairs only.
        if (::ftruncate(m_fd.get(), m_size) == 0)
            ::lseek(m_fd.get(), m_size, SEEK_SET);
        return e;
    }
    m_sizeBeforeLast = m_size;
    m_size += static_cast<off_t>(m_buffer.size());
    return 0;
}

int TUndoFileWriter::TakeBack()
{
    if (!m_fd.valid())
        return EBADF;
    if (::ftruncate(m_fd.get(), m_sizeBeforeLast) != 0 || ::lseek(m_fd.get(), m_sizeBeforeLast, SEEK_SET) < 0)
        return errno;
    m_size = m_sizeBeforeLast;
    return 0;
}

int TUndoFileWriter::Close()
{
    if (!m_fd.valid())
        return 0;
    const int syncError = ::fsync(m_fd.get()) == 0 ? 0 : errno;
    const int closeError = m_fd.close();
    return syncError != 0 ? syncError : closeError;
}

std::vector<std::pair<std::string, std::string>> ParseUndoPairs(std::string_view content)
{
    std::vector<std::string> lines;
    while (!content.empty()) {
        const std::size_t lf = content.find('\n');
        std::string_view line = content.substr(0, lf);
        content.remove_prefix(lf == std::string_view::npos ? content.size() : lf + 1);
        if (lf != std::string_view::npos && line.ends_with('\r'))
            line.remove_suffix(1);
        lines.emplace_back(line);
    }
    std::vector<std::pair<std::string, std::string>> pairs;
    pairs.reserve((lines.size() + 1) / 2);
    for (std::size_t i = 0; i < lines.size(); i += 2)
        pairs.emplace_back(
            std::move(lines[i]), i + 1 < lines.size() ? std::move(lines[i + 1]) : std::string());
    return pairs;
}

TUndoResult UndoFolder(const std::string& folder, IRunHost& host)
{
    TUndoResult result;
    // 1. Work in the folder.
    TFd dir = OpenFolder(AT_FDCWD, folder, true);
    if (!dir.valid()) {
        host.showMessage("Cannot change current directory to " + folder);
        result.failed = true;
        return result;
    }
    // 2. The undo file must be there; it is read whole before anything is renamed, and an
    //    undo file that cannot be read is reported with the system's text.
    struct stat st;
    if (::fstatat(dir.get(), std::string(kUndoFileName).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0
        && errno == ENOENT) {
        host.showMessage(kNoUndoFile);
        result.failed = true;
        return result;
    }
    std::string content;
    struct stat readStat;
    if (const int e = readUndoFile(dir.get(), content, readStat); e != 0) {
        host.showMessage(
            "Cannot read " + withSeparator(folder) + std::string(kUndoFileName) + ": " + ErrorText(e));
        result.failed = true;
        return result;
    }
    // 3. Ask.
    if (!host.askYesNo(kUndoQuestion, TQuestion::ConfirmUndo))
        return result;
    host.undoStarted();
    result.started = true;

    // 4. Rename each pair back, the last-written first: a later rename may have taken a name
    //    that an earlier one freed, and only the reverse order gives every name back.
    const auto pairs = ParseUndoPairs(content);
    // A run writes each pair just before its rename, so a run killed in between leaves a last
    // pair whose rename never happened, possibly cut short (no line end, or no second line).
    const bool lastCutShort = !content.empty()
        && (content.back() != '\n' || std::count(content.begin(), content.end(), '\n') % 2 != 0);
    for (auto it = pairs.rbegin(); it != pairs.rend(); ++it) {
        const std::string& a = it->first;
        const std::string& b = it->second;
        int e = EINVAL;
        // Names that would reach outside the folder, or the undo file itself, are refused.
        if (IsUsableName(a) && IsUsableName(b) && a != kUndoFileName && b != kUndoFileName) {
            struct stat entry;
            const bool found = ::fstatat(dir.get(), a.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0;
            e = RenameNoReplace(dir.get(), a, b, found && S_ISDIR(entry.st_mode));
        }
        if (e != 0 && it == pairs.rbegin() && IsUsableName(a)) {
            // The last pair with nothing to give back: its rename was never made.
            struct stat entry;
            const bool aMissing
                = ::fstatat(dir.get(), a.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT;
            const bool bPresent
                = IsUsableName(b) && ::fstatat(dir.get(), b.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0;
            if (aMissing && (bPresent || lastCutShort)) {
                ++result.skipped;
                continue;
            }
        }
        if (e == 0) {
            ++result.renamed;
        } else {
            host.showMessage("Cannot rename " + a + " to " + b + ". Operation will continue");
            ++result.errors;
        }
    }

    // 5. Remove the undo file when all went back, or when the user agrees after errors; only
    //    the file that was read, not another one that took its name meanwhile.
    if (result.errors == 0 || host.askYesNo(kRemoveAfterErrors, TQuestion::RemoveUndoFileAfterErrors)) {
        struct stat now;
        if (::fstatat(dir.get(), std::string(kUndoFileName).c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0
            && now.st_dev == readStat.st_dev && now.st_ino == readStat.st_ino) {
            if (::unlinkat(dir.get(), std::string(kUndoFileName).c_str(), 0) == 0)
                result.undoFileRemoved = true;
        }
        if (!result.undoFileRemoved)
            host.showMessage("Cannot remove " + withSeparator(folder) + std::string(kUndoFileName));
    }

    // 6. Report.
    result.report = std::to_string(result.renamed) + " files and/or directories have been renamed.";
    if (result.errors != 0)
        result.report += " " + std::to_string(result.errors) + " errors detected!";
    host.undoFinished(result);
    return result;
}

} // namespace brindle
