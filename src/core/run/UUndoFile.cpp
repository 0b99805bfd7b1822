#include "run/UUndoFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/UFileUtil.h"
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
// The reasons the log gives for a pair that is not even tried.
constexpr std::string_view kCutShort = "the record is cut short";
constexpr std::string_view kNameNotAllowed = "a name not allowed in the folder";

/// Opens the undo file of the folder dirFd for reading and reads it whole into content, which
/// takes about the file's size. Only a plain file is read: a link is not followed and a pipe
/// does not block.
TSysError readUndoFile(int dirFd, std::string& content, struct stat& st)
{
    const TFd fd(
        ::openat(dirFd, std::string(kUndoFileName).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return fd.error();
    if (::fstat(fd.get(), &st) != 0)
        return TSysError::last();
    if (!S_ISREG(st.st_mode))
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return ReadAll(fd.get(), content, static_cast<std::size_t>(st.st_size));
}

std::string withSeparator(const std::string& folder)
{
    return folder.ends_with('/') ? folder : folder + "/";
}

} // namespace

TUndoFileWriter::~TUndoFileWriter() = default;

TSysError TUndoFileWriter::Create(int dirFd)
{
    m_fd.close();
    const std::string name(kUndoFileName);
    // 1. An earlier undo file goes, but only a plain file: a link, a folder or a pipe of that
    //    name is not the run's to remove. Its inode is never opened for writing, so another
    //    name of it (a hard link, a copy made with cp -al) keeps its bytes.
    struct stat st;
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode))
            return ELOOP;
        if (S_ISDIR(st.st_mode))
            return EISDIR;
        if (!S_ISREG(st.st_mode))
            return EINVAL;
        if (::unlinkat(dirFd, name.c_str(), 0) != 0 && errno != ENOENT)
            return TSysError::last();
    } else if (errno != ENOENT) {
        return TSysError::last();
    }
    // 2. The new file is one the run makes itself: O_EXCL fails on anything that took the name
    //    in the meantime, a link included, instead of writing into it.
    TFd fd(::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!fd.valid())
        return fd.error();
    m_fd = std::move(fd);
    m_size = 0;
    m_sizeBeforeLast = 0;
    return {};
}

TSysError TUndoFileWriter::Add(std::string_view newName, std::string_view oldName)
{
    if (!m_fd.valid())
        return EBADF;
    m_buffer.clear();
    m_buffer.append(newName).append("\r\n").append(oldName).append("\r\n");
    if (const TSysError e = WriteAll(m_fd.get(), m_buffer)) {
        // Take back a half-written pair, so the file still holds whole pairs only.
        if (::ftruncate(m_fd.get(), m_size) == 0)
            ::lseek(m_fd.get(), m_size, SEEK_SET);
        return e;
    }
    m_sizeBeforeLast = m_size;
    m_size += static_cast<off_t>(m_buffer.size());
    return {};
}

TSysError TUndoFileWriter::TakeBack()
{
    if (!m_fd.valid())
        return EBADF;
    if (::ftruncate(m_fd.get(), m_sizeBeforeLast) != 0 || ::lseek(m_fd.get(), m_sizeBeforeLast, SEEK_SET) < 0)
        return TSysError::last();
    m_size = m_sizeBeforeLast;
    return {};
}

TSysError TUndoFileWriter::Close()
{
    if (!m_fd.valid())
        return {};
    const TSysError syncError = ::fsync(m_fd.get()) == 0 ? TSysError() : TSysError::last();
    const TSysError closeError = m_fd.close();
    return syncError ? syncError : closeError;
}

namespace
{

/// Takes the last line off rest; terminated tells whether it had its line end. A CR before
/// the LF belongs to the line end.
std::string_view popLastLine(std::string_view& rest, bool& terminated)
{
    terminated = rest.ends_with('\n');
    const std::string_view body = terminated ? rest.substr(0, rest.size() - 1) : rest;
    const std::size_t lf = body.rfind('\n');
    std::string_view line = lf == std::string_view::npos ? body : body.substr(lf + 1);
    rest = rest.substr(0, lf == std::string_view::npos ? 0 : lf + 1);
    if (terminated && line.ends_with('\r'))
        line.remove_suffix(1);
    return line;
}

} // namespace

TUndoPairReader::TUndoPairReader(std::string_view content)
    : m_rest(content)
{
    m_lineCount = static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n'));
    if (!content.empty() && !content.ends_with('\n'))
        ++m_lineCount;
    m_linesLeft = m_lineCount;
}

bool TUndoPairReader::Previous(TUndoPair& pair)
{
    if (m_linesLeft == 0)
        return false;
    bool terminated = false;
    if (m_linesLeft % 2 != 0) {
        // An odd count: the last line has no partner (only the first call comes here).
        pair.newName = popLastLine(m_rest, terminated);
        pair.oldName = {};
        pair.complete = false;
        m_linesLeft -= 1;
    } else {
        pair.oldName = popLastLine(m_rest, terminated);
        pair.complete = terminated;
        bool first = false;
        pair.newName = popLastLine(m_rest, first);
        m_linesLeft -= 2;
    }
    return true;
}

std::vector<std::pair<std::string, std::string>> ParseUndoPairs(std::string_view content)
{
    TUndoPairReader reader(content);
    std::vector<std::pair<std::string, std::string>> pairs(reader.Count());
    TUndoPair pair;
    for (auto it = pairs.rbegin(); reader.Previous(pair); ++it)
        *it = {std::string(pair.newName), std::string(pair.oldName)};
    return pairs;
}

namespace
{

/// 1-2. Opens folder and reads its undo file whole into content (readStat: the file read);
/// false, with the message shown, when either cannot be used.
bool readFolderUndoFile(
    const std::string& folder, IRunHost& host, TFd& dir, std::string& content, struct stat& readStat)
{
    // 1. Work in the folder.
    dir = OpenFolder(AT_FDCWD, folder, true);
    if (!dir.valid()) {
        host.showMessage("Cannot change current directory to " + folder);
        return false;
    }
    // 2. The undo file must be there; it is read whole before anything is renamed, and an
    //    undo file that cannot be read is reported with the system's text.
    struct stat st;
    if (::fstatat(dir.get(), std::string(kUndoFileName).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0
        && errno == ENOENT) {
        host.showMessage(kNoUndoFile);
        return false;
    }
    if (const TSysError e = readUndoFile(dir.get(), content, readStat)) {
        host.showMessage(
            "Cannot read " + withSeparator(folder) + std::string(kUndoFileName) + ": " + e.text());
        return false;
    }
    return true;
}

enum class TPairOutcome : std::uint8_t { Renamed, PassedOver, Failed };

/// 4. One recorded pair renamed back in the folder dirFd: the new name a to the old name b (the
/// names copied into a and b, buffers reused from pair to pair). last: the last pair written.
TPairOutcome undoPair(
    int dirFd, const TUndoPair& pair, bool last, std::string& a, std::string& b, IRunHost& host)
{
    a.assign(pair.newName);
    b.assign(pair.oldName);
    TSysError e = EINVAL;
    // A record cut short is not renamed at all; names that would reach outside the folder, or
    // the undo file itself, are refused.
    const bool usable = IsUsableName(a) && IsUsableName(b) && a != kUndoFileName && b != kUndoFileName;
    if (pair.complete && usable) {
        struct stat entry;
        const bool found = ::fstatat(dirFd, a.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0;
        e = found ? RenameNoReplace(dirFd, a, b, S_ISDIR(entry.st_mode)) : TSysError::last();
    }
    if (!e)
        return TPairOutcome::Renamed;
    if (last && pair.complete && usable) {
        // A run writes each pair just before its rename, so a run killed in between leaves a
        // whole last pair whose rename never happened: the new name is not there and the old
        // one is. Only that pair is passed over, and the report says so.
        struct stat entry;
        const bool aMissing
            = ::fstatat(dirFd, a.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT;
        const bool bPresent = ::fstatat(dirFd, b.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0;
        if (aMissing && bPresent)
            return TPairOutcome::PassedOver;
    }
    std::string message = "Cannot rename ";
    message.append(a).append(" to ").append(b);
    const std::size_t nameEnd = message.size();
    message.append(". Operation will continue");
    const std::string reason = !pair.complete ? std::string(kCutShort)
        : !usable                             ? std::string(kNameNotAllowed)
                                              : e.text();
    host.showFailure(message, "! " + message.substr(0, nameEnd) + ": " + reason);
    return TPairOutcome::Failed;
}

/// 5. Removes the undo file of the folder dirFd, but only the one that was read (readStat),
/// not another one that took its name meanwhile; says so when it cannot.
bool removeUndoFile(int dirFd, const struct stat& readStat, const std::string& folder, IRunHost& host)
{
    struct stat now;
    if (::fstatat(dirFd, std::string(kUndoFileName).c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0
        && now.st_dev == readStat.st_dev && now.st_ino == readStat.st_ino
        && ::unlinkat(dirFd, std::string(kUndoFileName).c_str(), 0) == 0)
        return true;
    host.showMessage("Cannot remove " + withSeparator(folder) + std::string(kUndoFileName));
    return false;
}

/// 6. "R files and/or directories have been renamed." with the errors and a pair passed over.
std::string undoReport(const TUndoResult& result)
{
    std::string report = std::to_string(result.renamed) + " files and/or directories have been renamed.";
    if (result.errors != 0)
        report += " " + std::to_string(result.errors) + " errors detected!";
    if (result.skipped != 0)
        report += kPassedOverReport;
    return report;
}

} // namespace

TUndoResult UndoFolder(const std::string& folder, IRunHost& host)
{
    TUndoResult result;
    TFd dir;
    std::string content;
    struct stat readStat;
    if (!readFolderUndoFile(folder, host, dir, content, readStat)) {
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
    TUndoPairReader reader(content);
    TUndoPair pair;
    std::string a;
    std::string b;
    for (bool last = true; reader.Previous(pair); last = false) {
        switch (undoPair(dir.get(), pair, last, a, b, host)) {
        case TPairOutcome::Renamed:
            ++result.renamed;
            break;
        case TPairOutcome::PassedOver:
            ++result.skipped;
            break;
        case TPairOutcome::Failed:
            ++result.errors;
            break;
        }
    }

    // 5. Remove the undo file when all went back, or when the user agrees after errors.
    if (result.errors == 0 || host.askYesNo(kRemoveAfterErrors, TQuestion::RemoveUndoFileAfterErrors))
        result.undoFileRemoved = removeUndoFile(dir.get(), readStat, folder, host);

    // 6. Report.
    result.report = undoReport(result);
    host.undoFinished(result);
    return result;
}

} // namespace brindle
