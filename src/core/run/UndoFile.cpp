#include "core/run/UndoFile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>

#include "core/base/FileIo.h"
#include "core/run/FolderListing.h"
#include "core/run/FolderWalk.h"
#include "core/run/RenamePlan.h"

namespace brindle
{

namespace
{

constexpr std::string_view kUndoQuestion = "Operation will undo renaming in current directory.\r\n"
                                           "Then it will remove _brindlewick_undo.txt from this directory. "
                                           "Continue?";
constexpr std::string_view kRemoveAfterErrors
    = "Errors detected! Remove _brindlewick_undo.txt from this Dir?";
// The reasons the log gives for a pair that is not even tried.
constexpr std::string_view kCutShort = "the record is cut short";
constexpr std::string_view kNameNotAllowed = "a name not allowed in the folder";

/// The largest undo file undo reads. A run writes two names of at most 255 bytes for each entry it
/// renames, so this holds the renames of over a hundred thousand entries in one folder; and undo
/// needs about the file's size in memory.
constexpr std::size_t kMaxUndoFileBytes = std::size_t {64} << 20;
/// The longest line of an undo file: the run writes names of at most 255 bytes, and a longer line
/// would be copied into every message about its pair.
constexpr std::size_t kMaxUndoLineBytes = 4096;

/// Why an undo file was not read.
struct UndoFileProblem {
    /// The sentence that says why ("Undo file /x/_brindlewick_undo.txt belongs to eve, not to
    /// you"), without the words on how undo goes on; empty when the file was read.
    std::string sentence;
    /// Undo refuses the file (its owner, its other names, its size), as opposed to a file that
    /// could not be read.
    bool refused = false;

    explicit operator bool() const { return !sentence.empty(); }
};

/// The user the file system sees this thread as: the effective user, unless the thread took
/// another file-system identity (setfsuid). Given an invalid identity, setfsuid changes nothing
/// and returns the current one.
uid_t fileSystemUser()
{
    return static_cast<uid_t>(::setfsuid(static_cast<uid_t>(-1)));
}

/// The login name of uid, or its number when it has none.
std::string userName(uid_t uid)
{
    std::string buffer(4096, '\0');
    struct passwd entry;
    struct passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return found->pw_name;
    return std::to_string(uid);
}

bool hasLongLine(std::string_view content)
{
    for (std::size_t start = 0; start < content.size();) {
        const std::size_t lf = content.find('\n', start);
        const std::size_t end = lf == std::string_view::npos ? content.size() : lf;
        if (end - start > kMaxUndoLineBytes)
            return true;
        start = end + 1;
    }
    return false;
}

/// Opens the undo file of the folder dirFd (file: its path, for messages) and reads it whole into
/// content, in about the file's size of memory. Only a file undo can trust is read: a plain file
/// (a link is not followed, a pipe does not block) with no other name, owned by the user who
/// runs undo, of at most 64 MiB. Another user could plant an undo file in a folder both may
/// write, naming the victim's entries: undo would then give them names the planter chose.
UndoFileProblem readTrustedUndoFile(int dirFd, const std::string& file, std::string& content, struct stat& st)
{
    content.clear();
    const auto cannotRead
        = [&](SysError e) { return UndoFileProblem {"Cannot read " + file + ": " + e.text()}; };
    const auto refused = [&](std::string why) {
        return UndoFileProblem {"Undo file " + file + " " + why, true};
    };
    // 1. Open what is there, never through a link and never waiting on a pipe.
    const Fd fd(
        ::openat(dirFd, std::string(kUndoFileName).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return cannotRead(fd.error());
    if (::fstat(fd.get(), &st) != 0)
        return cannotRead(SysError::last());
    if (!S_ISREG(st.st_mode))
        return cannotRead(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    // 2. Its owner, its names and its size, before a byte is read.
    if (st.st_uid != fileSystemUser())
        return refused("belongs to " + userName(st.st_uid) + ", not to you");
    if (st.st_nlink != 1)
        return refused("has other names (hard links) as well, so it is not read");
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxUndoFileBytes)
        return refused("is too large to be an undo file");
    // 3. The bytes, no more than the limit even when the file grows meanwhile.
    bool tooLarge = false;
    if (const SysError e
        = readAtMost(fd.get(), content, kMaxUndoFileBytes, static_cast<std::size_t>(st.st_size), tooLarge))
        return cannotRead(e);
    if (tooLarge) {
        std::string().swap(content);
        return refused("is too large to be an undo file");
    }
    if (hasLongLine(content)) {
        std::string().swap(content);
        return refused("holds a line longer than " + std::to_string(kMaxUndoLineBytes)
            + " bytes, so it is not an undo file");
    }
    return {};
}

std::string withSeparator(const std::string& folder)
{
    return folder.ends_with('/') ? folder : folder + "/";
}

/// The message of a folder without an undo file, naming the folder, with the host's hint on how
/// undo files come about on a line of its own.
std::string noUndoFileMessage(const std::string& folder, const IRunHost& host)
{
    std::string message
        = "Undo file _brindlewick_undo.txt does not exist in " + folder + ". Operation will not continue!";
    if (const std::string_view hint = host.undoFileHint(); !hint.empty())
        message.append("\r\n").append(hint);
    return message;
}

/// The message of a folder that cannot be opened, with the system's reason.
std::string cannotEnterMessage(const std::string& folder, SysError e)
{
    return "Cannot change current directory to " + folder + ": " + e.text();
}

std::atomic<UndoStepHook> g_stepHook {nullptr};

void stepDone(UndoStep step)
{
    if (const UndoStepHook hook = g_stepHook.load(std::memory_order_relaxed))
        hook(step);
}

} // namespace

void setUndoStepHook(UndoStepHook hook)
{
    g_stepHook.store(hook, std::memory_order_relaxed);
}

UndoFileWriter::~UndoFileWriter() = default;

SysError UndoFileWriter::create(int dirFd)
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
            return SysError::last();
    } else if (errno != ENOENT) {
        return SysError::last();
    }
    // 2. The new file is one the run makes itself: O_EXCL fails on anything that took the name
    //    in the meantime, a link included, instead of writing into it.
    Fd fd(::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!fd.valid())
        return fd.error();
    m_fd = std::move(fd);
    m_size = 0;
    m_sizeBeforeLast = 0;
    return {};
}

SysError UndoFileWriter::add(std::string_view newName, std::string_view oldName)
{
    if (!m_fd.valid())
        return EBADF;
    m_buffer.clear();
    m_buffer.append(newName).append("\r\n").append(oldName).append("\r\n");
    if (const SysError e = writeAll(m_fd.get(), m_buffer)) {
        // Take back a half-written pair, so the file still holds whole pairs only.
        if (::ftruncate(m_fd.get(), m_size) == 0)
            ::lseek(m_fd.get(), m_size, SEEK_SET);
        return e;
    }
    m_sizeBeforeLast = m_size;
    m_size += static_cast<off_t>(m_buffer.size());
    return {};
}

SysError UndoFileWriter::takeBack()
{
    if (!m_fd.valid())
        return EBADF;
    if (::ftruncate(m_fd.get(), m_sizeBeforeLast) != 0 || ::lseek(m_fd.get(), m_sizeBeforeLast, SEEK_SET) < 0)
        return SysError::last();
    m_size = m_sizeBeforeLast;
    return {};
}

SysError UndoFileWriter::close()
{
    if (!m_fd.valid())
        return {};
    const SysError syncError = ::fsync(m_fd.get()) == 0 ? SysError() : SysError::last();
    const SysError closeError = m_fd.close();
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

UndoPairReader::UndoPairReader(std::string_view content)
    : m_rest(content)
{
    m_lineCount = static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n'));
    if (!content.empty() && !content.ends_with('\n'))
        ++m_lineCount;
    m_linesLeft = m_lineCount;
}

bool UndoPairReader::previous(UndoPair& pair)
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

std::vector<std::pair<std::string, std::string>> parseUndoPairs(std::string_view content)
{
    UndoPairReader reader(content);
    std::vector<std::pair<std::string, std::string>> pairs(reader.count());
    UndoPair pair;
    for (auto it = pairs.rbegin(); reader.previous(pair); ++it)
        *it = {std::string(pair.newName), std::string(pair.oldName)};
    return pairs;
}

namespace
{

/// 1-2. Opens folder and reads its undo file whole into content (readStat: the file read);
/// false, with the message shown, when either cannot be used.
bool readFolderUndoFile(
    const std::string& folder, IRunHost& host, Fd& dir, std::string& content, struct stat& readStat)
{
    // 1. Work in the folder.
    dir = openFolder(AT_FDCWD, folder, true);
    if (!dir.valid()) {
        host.showMessage(cannotEnterMessage(folder, dir.error()));
        return false;
    }
    // 2. The undo file must be there; it is read whole before anything is renamed, and an
    //    undo file that cannot be read is reported with the system's text.
    struct stat st;
    if (::fstatat(dir.get(), std::string(kUndoFileName).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0
        && errno == ENOENT) {
        host.showMessage(noUndoFileMessage(folder, host));
        return false;
    }
    const std::string file = withSeparator(folder) + std::string(kUndoFileName);
    if (const UndoFileProblem problem = readTrustedUndoFile(dir.get(), file, content, readStat)) {
        host.showMessage(
            problem.refused ? problem.sentence + ". Operation will not continue!" : problem.sentence);
        return false;
    }
    return true;
}

enum class PairOutcome : std::uint8_t { Renamed, PassedOver, Failed };

/// 4. One recorded pair renamed back in the folder dirFd: the new name a to the old name b (the
/// names copied into a and b, buffers reused from pair to pair).
PairOutcome undoPair(int dirFd, const UndoPair& pair, std::string& a, std::string& b, IRunHost& host)
{
    a.assign(pair.newName);
    b.assign(pair.oldName);
    SysError e = EINVAL;
    // A record cut short is not renamed at all; names that would reach outside the folder, or
    // the undo file itself, are refused.
    const bool usable = isUsableName(a) && isUsableName(b) && a != kUndoFileName && b != kUndoFileName;
    if (pair.complete && usable) {
        struct stat entry;
        const bool found = ::fstatat(dirFd, a.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0;
        // A change of letter case goes back as the run made it, also where a file system that
        // folds case gives the entry another inode number under the other case.
        e = found ? renameCaseOnly(dirFd, a, b, S_ISDIR(entry.st_mode), false) : SysError::last();
    }
    if (!e) {
        stepDone(UndoStep::Renamed);
        return PairOutcome::Renamed;
    }
    if (pair.complete && usable) {
        // A run writes each pair just before its rename, and an undo cuts a pair off the file
        // just after renaming it back, so a kill in between leaves a whole pair with nothing
        // to do: the new name is not there and the old one is. It is passed over, never
        // replayed, and the report says so.
        struct stat entry;
        const bool aMissing
            = ::fstatat(dirFd, a.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT;
        const bool bPresent = ::fstatat(dirFd, b.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0;
        if (aMissing && bPresent)
            return PairOutcome::PassedOver;
    }
    // The message names the pair and the reason, as the run's failures do.
    const std::string reason = !pair.complete ? std::string(kCutShort)
        : !usable                             ? std::string(kNameNotAllowed)
                                              : e.text();
    std::string what = "Cannot rename ";
    what.append(a).append(" to ").append(b).append(": ").append(reason);
    host.showFailure(what + ". Operation will continue", "! " + what);
    return PairOutcome::Failed;
}

/// 5. Removes the undo file of the folder dirFd, but only the one that was read (readStat),
/// not another one that took its name meanwhile; says so when it cannot.
bool removeUndoFile(int dirFd, const struct stat& readStat, const std::string& folder, IRunHost& host)
{
    struct stat now;
    if (::fstatat(dirFd, std::string(kUndoFileName).c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0
        && now.st_dev == readStat.st_dev && now.st_ino == readStat.st_ino
        && ::unlinkat(dirFd, std::string(kUndoFileName).c_str(), 0) == 0) {
        stepDone(UndoStep::Removed);
        return true;
    }
    host.showMessage("Cannot remove " + withSeparator(folder) + std::string(kUndoFileName));
    return false;
}

/// 6. "R files and/or directories have been renamed." with the errors and the pairs passed over.
std::string undoReport(const UndoResult& result)
{
    std::string report = std::to_string(result.renamed) + " files and/or directories have been renamed.";
    if (result.errors != 0)
        report.append(" ").append(std::to_string(result.errors)).append(" errors detected!");
    if (result.skipped == 1)
        report += kPassedOverReport;
    else if (result.skipped > 1)
        report.append(" ")
            .append(std::to_string(result.skipped))
            .append(" pairs passed over: nothing to rename back");
    return report;
}

/// The undo file of one folder while its pairs are undone: after each pair the file holds the
/// pairs still to undo, then those that failed, so that an undo stopped anywhere and run again
/// starts where this one stopped. A pair that went back is cut off the end of the file (the
/// pairs are undone from the end); one that failed stays where it is, at the head of the failed
/// ones. Only a cut behind failed pairs writes them again.
class UndoProgress
{
public:
    /// Opens the undo file that was read (readStat) for writing; without it (a file the user
    /// may read but not write) the undo goes on as before, without recording its progress.
    UndoProgress(int dirFd, const struct stat& readStat, std::string_view content)
        : m_content(content)
    {
        Fd fd(::openat(
            dirFd, std::string(kUndoFileName).c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st;
        if (fd.valid() && ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_dev == readStat.st_dev
            && st.st_ino == readStat.st_ino)
            m_fd = std::move(fd);
    }

    /// The pair starting at start went back, or was passed over: it leaves the file.
    SysError drop(std::size_t start)
    {
        if (!m_fd.valid())
            return {};
        m_written = true;
        if (::ftruncate(m_fd.get(), static_cast<off_t>(start)) != 0)
            return fail();
        if (!m_failed.empty()) {
            // The failed pairs follow the pairs still to undo. Between the cut and these writes
            // a kill would lose them; with no failed pair there is no such moment.
            if (::lseek(m_fd.get(), static_cast<off_t>(start), SEEK_SET) < 0)
                return fail();
            for (auto it = m_failed.rbegin(); it != m_failed.rend(); ++it) {
                if (const SysError e
                    = writeAll(m_fd.get(), m_content.substr(it->first, it->second - it->first))) {
                    m_fd.close();
                    return e;
                }
            }
        }
        stepDone(UndoStep::Recorded);
        return {};
    }

    /// The pair content[start, end) failed: it stays in the file.
    void keep(std::size_t start, std::size_t end)
    {
        // Failed pairs next to one another are one stretch of the file: an undo file whose
        // pairs all fail costs no memory here.
        if (!m_failed.empty() && m_failed.back().first == end)
            m_failed.back().first = start;
        else
            m_failed.emplace_back(start, end);
    }

    /// Syncs what was written; the folder's last step before its undo file may go.
    SysError sync()
    {
        if (!m_fd.valid() || !m_written)
            return {};
        if (::fsync(m_fd.get()) != 0)
            return fail();
        stepDone(UndoStep::Synced);
        return {};
    }

private:
    SysError fail()
    {
        const SysError e = SysError::last();
        m_fd.close();
        return e;
    }

    Fd m_fd;
    std::string_view m_content;
    // The stretches [first, second) of the content with failed pairs, the last in the file first.
    std::vector<std::pair<std::size_t, std::size_t>> m_failed;
    bool m_written = false;
};

/// 4. Every recorded pair of content renamed back in the folder dirFd, the last-written first:
///    a later rename may have taken a name that an earlier one freed, and only the reverse
///    order gives every name back. The undo file that was read (readStat, at file) records the
///    progress. Counts into result; returns the errors of this folder.
std::int32_t undoPairs(int dirFd, std::string_view content, const struct stat& readStat,
    const std::string& file, IRunHost& host, UndoResult& result)
{
    UndoPairReader reader(content);
    UndoProgress progress(dirFd, readStat, content);
    UndoPair pair;
    std::string a;
    std::string b;
    std::int32_t errors = 0;
    std::size_t end = content.size();
    SysError progressError;
    while (reader.previous(pair)) {
        const auto start = static_cast<std::size_t>(pair.newName.data() - content.data());
        const PairOutcome outcome = undoPair(dirFd, pair, a, b, host);
        switch (outcome) {
        case PairOutcome::Renamed:
            // A step onto a cycle's temporary name is half of one entry's way back: the entry
            // is counted once, when it gets its own name.
            if (!isTemporaryName(b))
                ++result.renamed;
            break;
        case PairOutcome::PassedOver:
            ++result.skipped;
            break;
        case PairOutcome::Failed:
            ++errors;
            break;
        }
        if (outcome == PairOutcome::Failed)
            progress.keep(start, end);
        else if (!progressError)
            progressError = progress.drop(start);
        end = start;
    }
    if (!progressError)
        progressError = progress.sync();
    if (progressError) {
        // The file may still name pairs that went back: it must not be undone again as it is.
        ++errors;
        host.showFailure("Cannot write " + file + ": " + progressError.text() + ". Operation will continue",
            "! Cannot write " + file + ": " + progressError.text());
    }
    result.errors += errors;
    return errors;
}

/// Why a folder of an undo's walk is left out.
enum class LeftOut : std::uint8_t { NotEntered, NotRead };

/// The undo walk keeps nothing besides the folders themselves.
struct NoWalkData {
};
using UndoWalk = FolderWalk<NoWalkData>;

/// The folders of the tree at root (open as rootFd), each once, its subfolders before itself,
/// links never followed. visit(dirFd, walk) is called for each folder when its subfolders are
/// done; returning false ends the walk. leftOut(why, path, error) for a subfolder that cannot
/// be opened, or a folder whose subfolders cannot be listed (its own undo file is still
/// visited). Returns false when the walk could not climb back to a folder (it was moved
/// meanwhile).
template <typename Visit, typename LeftOutFn>
bool walkDeepestFirst(const std::string& root, int rootFd, Visit visit, LeftOutFn leftOut)
{
    UndoWalk walk;
    FolderLister lister;
    FileEntryList subfolders;
    const auto enter = [&](Fd fd, std::string name) {
        if (const SysError e = lister.listSubfolders(fd.get(), subfolders))
            leftOut(LeftOut::NotRead, walk.path(name), e);
        walk.push(std::move(fd), std::move(name), std::move(subfolders));
    };
    Fd rootCopy(::fcntl(rootFd, F_DUPFD_CLOEXEC, 0));
    if (!rootCopy.valid())
        return false;
    enter(std::move(rootCopy), root);
    while (!walk.empty()) {
        auto& top = walk.top();
        if (top.next < top.subfolders.size()) {
            std::string name = top.subfolders[top.next++].name;
            Fd child = openFolder(top.fd.get(), name, false);
            if (!child.valid())
                leftOut(LeftOut::NotEntered, walk.path(name), child.error());
            else
                enter(std::move(child), std::move(name));
            continue;
        }
        if (!visit(top.fd.get(), static_cast<const UndoWalk&>(walk)))
            return true;
        if (walk.pop())
            return false;
    }
    return true;
}

/// Opens the folder at relativePath below rootFd one name at a time, never through a link.
Fd openBelow(int rootFd, std::string_view relativePath)
{
    Fd dir(::fcntl(rootFd, F_DUPFD_CLOEXEC, 0));
    while (dir.valid() && !relativePath.empty()) {
        const std::size_t slash = relativePath.find('/');
        const std::string name(relativePath.substr(0, slash));
        relativePath = slash == std::string_view::npos ? std::string_view() : relativePath.substr(slash + 1);
        dir = openFolder(dir.get(), name, false);
    }
    return dir;
}

bool hasUndoFile(int dirFd)
{
    struct stat st;
    return ::fstatat(dirFd, std::string(kUndoFileName).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

/// 2. Whether some folder of the tree at folder (open as rootFd) holds an undo file.
bool treeHasUndoFile(const std::string& folder, int rootFd)
{
    bool found = false;
    walkDeepestFirst(
        folder, rootFd,
        [&](int dirFd, const UndoWalk&) {
            found = hasUndoFile(dirFd);
            return !found;
        },
        [](LeftOut, const std::string&, SysError) {});
    return found;
}

/// A folder whose pairs did not all go back, with the undo file that was read there.
struct FolderWithErrors {
    std::string relativePath;
    std::string path;
    struct stat readStat;
};

/// The undo of the folders of one tree, deepest first, the counts summed into one result.
class TreeUndo
{
public:
    TreeUndo(IRunHost& host, UndoResult& result)
        : m_host(host)
        , m_result(result)
    {
    }

    /// 4. Each folder's pairs, deepest folders first: a folder's undo renames its subfolders
    ///    back, so their own undo files are done while they still have the names the walk
    ///    found them under.
    void undoEachFolder(const std::string& folder, int rootFd)
    {
        const bool walked = walkDeepestFirst(
            folder, rootFd, [this](int dirFd, const UndoWalk& at) { return undoOneFolder(dirFd, at); },
            [this](LeftOut why, const std::string& path, SysError e) { reportLeftOut(why, path, e); });
        if (!walked) {
            m_host.showFailure(
                "Cannot change current directory to " + folder + ": it was moved during the undo",
                "! Cannot change current directory to " + folder + ": it was moved during the undo");
            ++m_result.errors;
            m_allRemoved = false;
        }
        std::string().swap(m_content);
    }

    /// 5. One question for every folder whose pairs did not all go back.
    void removeAfterErrors(int rootFd)
    {
        if (m_withErrors.empty())
            return;
        if (!m_host.askYesNo(kRemoveAfterErrors, Question::RemoveUndoFileAfterErrors)) {
            m_allRemoved = false;
            return;
        }
        for (const FolderWithErrors& f : m_withErrors) {
            const Fd dir = openBelow(rootFd, f.relativePath);
            if (!dir.valid()) {
                m_host.showMessage("Cannot remove " + withSeparator(f.path) + std::string(kUndoFileName));
                m_allRemoved = false;
            } else if (!removeUndoFile(dir.get(), f.readStat, f.path, m_host)) {
                m_allRemoved = false;
            }
        }
    }

    bool allRemoved() const { return m_allRemoved; }

private:
    bool undoOneFolder(int dirFd, const UndoWalk& at)
    {
        if (!hasUndoFile(dirFd))
            return true;
        struct stat readStat;
        const std::string file = withSeparator(at.path()) + std::string(kUndoFileName);
        if (const UndoFileProblem problem = readTrustedUndoFile(dirFd, file, m_content, readStat)) {
            // The folder is left out and the others go on.
            m_host.showFailure(problem.sentence + ". Operation will continue", "! " + problem.sentence);
            ++m_result.errors;
            m_allRemoved = false;
            return true;
        }
        ++m_result.folders;
        if (undoPairs(dirFd, m_content, readStat, file, m_host, m_result) != 0)
            m_withErrors.push_back({at.relativePath(), at.path(), readStat});
        else if (!removeUndoFile(dirFd, readStat, at.path(), m_host))
            m_allRemoved = false;
        return true;
    }

    void reportLeftOut(LeftOut why, const std::string& path, SysError e)
    {
        const std::string what = why == LeftOut::NotEntered ? "Cannot change current directory to " + path
                                                            : "Cannot read directory " + path;
        m_host.showFailure(what + ". Operation will continue", "! " + what + ": " + e.text());
        ++m_result.errors;
        m_allRemoved = false;
    }

    IRunHost& m_host;
    UndoResult& m_result;
    std::vector<FolderWithErrors> m_withErrors;
    bool m_allRemoved = true;
    std::string m_content;
};

} // namespace

UndoResult undoFolder(const std::string& folder, IRunHost& host)
{
    UndoResult result;
    Fd dir;
    std::string content;
    struct stat readStat;
    if (!readFolderUndoFile(folder, host, dir, content, readStat)) {
        result.failed = true;
        return result;
    }
    // 3. Ask.
    if (!host.askYesNo(kUndoQuestion, Question::ConfirmUndo))
        return result;
    host.undoStarted();
    result.started = true;

    // 4. Rename each pair back, the last-written first.
    undoPairs(dir.get(), content, readStat, withSeparator(folder) + std::string(kUndoFileName), host, result);
    result.folders = 1;

    // 5. Remove the undo file when all went back, or when the user agrees after errors.
    if (result.errors == 0 || host.askYesNo(kRemoveAfterErrors, Question::RemoveUndoFileAfterErrors))
        result.undoFileRemoved = removeUndoFile(dir.get(), readStat, folder, host);

    // 6. Report.
    result.report = undoReport(result);
    host.undoFinished(result);
    return result;
}

UndoResult undoTree(const std::string& folder, IRunHost& host)
{
    UndoResult result;
    // 1. Work in the folder.
    const Fd root = openFolder(AT_FDCWD, folder, true);
    if (!root.valid()) {
        host.showMessage(cannotEnterMessage(folder, root.error()));
        result.failed = true;
        return result;
    }
    // 2. Some folder of the tree must hold an undo file.
    if (!treeHasUndoFile(folder, root.get())) {
        host.showMessage(noUndoFileMessage(folder, host));
        result.failed = true;
        return result;
    }
    // 3. Ask once for the whole tree.
    if (!host.askYesNo(kUndoQuestion, Question::ConfirmUndo))
        return result;
    host.undoStarted();
    result.started = true;

    // 4-5. Each folder's pairs, then the undo files of folders with errors if the user agrees.
    TreeUndo undo(host, result);
    undo.undoEachFolder(folder, root.get());
    undo.removeAfterErrors(root.get());
    result.undoFileRemoved = undo.allRemoved();

    // 6. One report, the counts summed.
    result.report = undoReport(result);
    host.undoFinished(result);
    return result;
}

} // namespace brindle
