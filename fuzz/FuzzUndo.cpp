// The undo of a folder on arbitrary undo files. The input is the folder's undo file; the folder
// is a fixed scratch tree (files, a subfolder, links inside and out, names with accents and an
// invalid byte) rebuilt for every input, beside a second tree that stands for everything else.
// Whatever the file says, the undo may only rename entries of its own folder among themselves:
// nothing outside changes, no entry is lost or replaced, every pair is counted once, and the
// undo file goes only when it should.
//
// With BRINDLE_UNDO_SEED_TREE=<folder> set, the target only lays out the scratch tree there and
// exits; fuzz/make_undo_seeds.sh runs real renames on it to make the seed corpus.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <set>
#include <string>

#include "common/TreeSnapshot.h"
#include "core/run/RenamePlan.h"
#include "core/run/UndoFile.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

struct SeedEntry {
    char type; // 'f' file, 'd' folder, 'l' link
    const char* path;
    const char* target; // link target
};

// Names a run would meet: case twins, Greek with and without accents, UTF-8, an invalid byte,
// a blank, a hidden file; a subfolder with a file; links to a file outside, to a folder inside
// and to nothing.
constexpr SeedEntry kTree[] = {
    {'f', "a.txt", nullptr},
    {'f', "A.TXT", nullptr},
    {'f', "b.txt", nullptr},
    {'f', "IMG_0001.JPG", nullptr},
    {'f', "img_0002.jpg", nullptr},
    {'f', "\xce\xa9\xce\xbc\xce\xad\xce\xb3\xce\xb1.txt", nullptr}, // Ωμέγα.txt
    {'f', "\xce\xbf\xce\xbc\xce\xb5\xce\xb3\xce\xb1.TXT", nullptr}, // ομεγα.TXT
    {'f', "caf\xc3\xa9.txt", nullptr},
    {'f', "bad\xff.txt", nullptr},
    {'f', "file 1", nullptr},
    {'f', ".hidden", nullptr},
    {'d', "Sub", nullptr},
    {'f', "Sub/inner.txt", nullptr},
    {'d', "sub2", nullptr},
    {'l', "link-out", "../outside/secret"},
    {'l', "link-dir", "Sub"},
    {'l', "dangling", "nowhere"},
};

void writeFile(const std::string& path, const std::string& content)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        std::abort();
    if (::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()))
        std::abort();
    ::close(fd);
}

void removeAll(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return;
    if (S_ISDIR(st.st_mode)) {
        for (const auto& [rel, entry] : snapshotTree(path)) {
            (void)entry;
            if (rel.find('/') == std::string::npos)
                removeAll(path + "/" + rel);
        }
        ::rmdir(path.c_str());
    } else {
        ::unlink(path.c_str());
    }
}

/// Lays out the scratch tree in folder (which must exist); each file holds its own index so
/// that every file's bytes are unique.
void layOut(const std::string& folder)
{
    int index = 0;
    for (const SeedEntry& e : kTree) {
        const std::string path = folder + "/" + e.path;
        if (e.type == 'd')
            ::mkdir(path.c_str(), 0755);
        else if (e.type == 'l')
            ::symlink(e.target, path.c_str());
        else
            writeFile(path, "file " + std::to_string(index));
        ++index;
    }
}

// A plain buffer rather than a std::string: the clean-up at exit runs after static objects
// are gone.
char g_root[96];

void removeRoot()
{
    removeAll(g_root);
}

/// The scratch root: "outside" (a file and a folder, never to be touched) and "work".
const std::string& root()
{
    static const std::string path = [] {
        std::snprintf(g_root, sizeof g_root, "%s/brindle-fuzz-undo-%d",
            ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp", static_cast<int>(::getpid()));
        removeAll(g_root);
        if (::mkdir(g_root, 0700) != 0)
            std::abort();
        const std::string r = g_root;
        ::mkdir((r + "/outside").c_str(), 0755);
        ::mkdir((r + "/outside/sub").c_str(), 0755);
        writeFile(r + "/outside/secret", "secret");
        writeFile(r + "/outside/sub/a.txt", "outside a.txt");
        std::atexit(removeRoot);
        return r;
    }();
    return path;
}

/// Whether a line of content (ended by LF or by the end) is longer than 4096 bytes.
bool hasLongLine(std::string_view content)
{
    std::size_t run = 0;
    for (const char c : content) {
        run = c == '\n' ? 0 : run + 1;
        if (run > 4096)
            return true;
    }
    return false;
}

/// Answers yes to the undo and, after errors, what the input's length says.
class FuzzHost : public IRunHost
{
public:
    explicit FuzzHost(bool removeAfterErrors)
        : m_removeAfterErrors(removeAfterErrors)
    {
    }
    void showMessage(std::string_view text) override
    {
        if (text.empty())
            std::abort();
        ++messages;
    }
    bool askYesNo(std::string_view, Question kind) override
    {
        if (kind == Question::RemoveUndoFileAfterErrors) {
            ++removeQuestions;
            return m_removeAfterErrors;
        }
        return true;
    }
    void logLine(std::string_view) override { }

    int messages = 0;
    int removeQuestions = 0;

private:
    bool m_removeAfterErrors;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (const char* seedTree = std::getenv("BRINDLE_UNDO_SEED_TREE")) {
        layOut(seedTree);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const std::string& r = root();
    const std::string work = r + "/work";
    const std::string undoName(kUndoFileName);

    removeAll(work);
    if (::mkdir(work.c_str(), 0755) != 0)
        std::abort();
    layOut(work);
    writeFile(work + "/" + undoName, std::string(content));

    const TreeSnapshot before = snapshotTree(r);
    const auto pairs = parseUndoPairs(content);
    const auto pairCount = static_cast<std::int32_t>(pairs.size());
    // A step onto a cycle's temporary name is not counted as a renamed entry.
    const auto temporaryPairs = static_cast<std::int32_t>(std::count_if(
        pairs.begin(), pairs.end(), [](const auto& pair) { return isTemporaryName(pair.second); }));

    FuzzHost host(size % 2 == 0);
    const UndoResult result = undoFolder(work, host);
    const TreeSnapshot after = snapshotTree(r);

    // Nothing outside the folder changed, and the scratch root holds what it held.
    std::set<ino_t> inodesBefore;
    std::set<ino_t> inodesAfter;
    std::multiset<std::string> bytesBefore;
    std::multiset<std::string> bytesAfter;
    const ino_t undoInode = before.at("work/" + undoName).inode;
    for (const auto& [path, entry] : before) {
        if (path.starts_with("outside")) {
            const auto it = after.find(path);
            if (it == after.end() || !it->second.sameAs(entry))
                std::abort();
        } else if (path.starts_with("work/") && entry.inode != undoInode) {
            inodesBefore.insert(entry.inode);
            bytesBefore.insert(
                std::to_string(std::count(path.begin(), path.end(), '/')) + entry.type + entry.data);
        }
    }
    // Every entry of the folder is still there (the undo file aside), none replaced: the same
    // inodes holding the same bytes at the same depth.
    for (const auto& [path, entry] : after) {
        if (path.find('/') == std::string::npos && path != "outside" && path != "work")
            std::abort();
        if (path.starts_with("outside") && !before.contains(path))
            std::abort();
        if (path.starts_with("work/") && entry.inode != undoInode) {
            inodesAfter.insert(entry.inode);
            bytesAfter.insert(
                std::to_string(std::count(path.begin(), path.end(), '/')) + entry.type + entry.data);
        }
    }
    if (inodesBefore != inodesAfter || bytesBefore != bytesAfter)
        std::abort();
    // The undo file records its progress in place: while it stays, it is the same file under
    // its own name, holding the pairs that failed and nothing else.
    const auto undoAfter = after.find("work/" + undoName);
    if (result.undoFileRemoved != (undoAfter == after.end()))
        std::abort();
    if (!result.undoFileRemoved && !result.failed
        && (undoAfter->second.inode != undoInode
            || static_cast<std::int32_t>(parseUndoPairs(undoAfter->second.data).size()) != result.errors))
        std::abort();

    // A file with a line no run writes (longer than 4096 bytes) is refused whole, with one
    // message, before anything is asked or renamed.
    if (result.failed != hasLongLine(content))
        std::abort();
    if (result.failed) {
        if (result.started || result.renamed != 0 || host.messages != 1 || result.undoFileRemoved)
            std::abort();
        return 0;
    }
    // The counts: every pair is renamed, fails or is passed over (nothing to rename back, as
    // an earlier undo of the same file leaves it), steps onto a temporary name uncounted; one
    // message per failure.
    if (!result.started)
        std::abort();
    const std::int32_t counted = result.renamed + result.errors + result.skipped;
    if (result.renamed < 0 || result.errors < 0 || result.skipped < 0 || counted > pairCount
        || counted < pairCount - temporaryPairs || host.messages < result.errors)
        std::abort();
    // The undo file goes after a clean undo, and after errors only on the user's word.
    if (result.errors == 0 && (!result.undoFileRemoved || host.removeQuestions != 0))
        std::abort();
    if (result.errors != 0 && (host.removeQuestions != 1 || result.undoFileRemoved != (size % 2 == 0)))
        std::abort();
    if (result.report.rfind(
            std::to_string(result.renamed) + " files and/or directories have been renamed.", 0)
        != 0)
        std::abort();
    return 0;
}
