#include "common/TempTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace brindle::test
{

namespace
{

void setTime(const std::string& path, std::time_t t)
{
    struct timespec times[2];
    times[0].tv_sec = t;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

void makeParents(const std::string& path)
{
    for (std::size_t p = path.find('/', 1); p != std::string::npos; p = path.find('/', p + 1))
        ::mkdir(path.substr(0, p).c_str(), 0755);
}

/// The subfolders still to be removed in one folder of the removal walk.
struct Level {
    std::vector<std::string> dirs;
    std::size_t next = 0;
};

/// Makes the folder fd writable, removes its files and lists its subfolders into level.
void clearFolder(int fd, Level& level)
{
    ::fchmod(fd, 0700);
    const int listFd = ::dup(fd);
    DIR* d = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!d) {
        if (listFd >= 0)
            ::close(listFd);
        return;
    }
    ::rewinddir(d);
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st {
        };
        if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
            level.dirs.push_back(name);
        else
            ::unlinkat(fd, name.c_str(), 0);
    }
    ::closedir(d);
}

/// Removes path and everything below it, read-only folders included. The walk holds one
/// folder open at a time and climbs back through "..", so a tree of any depth goes (paths
/// longer than the system's limit and 50,000 levels included).
void removeAll(const std::string& path)
{
    struct stat st {
    };
    if (::lstat(path.c_str(), &st) != 0)
        return;
    if (!S_ISDIR(st.st_mode)) {
        ::unlink(path.c_str());
        return;
    }
    ::chmod(path.c_str(), 0700);
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    std::vector<Level> levels(1);
    if (fd >= 0)
        clearFolder(fd, levels.back());
    while (fd >= 0) {
        Level& top = levels.back();
        if (top.next < top.dirs.size()) {
            const std::string& name = top.dirs[top.next++];
            if (::unlinkat(fd, name.c_str(), AT_REMOVEDIR) == 0)
                continue;
            ::fchmodat(fd, name.c_str(), 0700, 0);
            const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0)
                continue;
            ::close(fd);
            fd = child;
            levels.emplace_back();
            clearFolder(fd, levels.back());
            continue;
        }
        levels.pop_back();
        if (levels.empty())
            break;
        const int up = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = up;
        if (fd >= 0) {
            const Level& parent = levels.back();
            ::unlinkat(fd, parent.dirs[parent.next - 1].c_str(), AT_REMOVEDIR);
        }
    }
    if (fd >= 0)
        ::close(fd);
    ::rmdir(path.c_str());
}

} // namespace

TempTree::TempTree(const std::string& base)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern
        = (base.empty() ? std::string(tmp && *tmp ? tmp : "/tmp") : base) + "/brindle-test-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    ::chmod(pattern.c_str(), 0755);
    m_root = pattern;
}

TempTree::~TempTree()
{
    removeAll(m_root);
}

std::string TempTree::at(const std::string& rel) const
{
    return rel.empty() ? m_root : m_root + "/" + rel;
}

void TempTree::file(const std::string& rel, const std::string& content, std::optional<std::time_t> mtime)
{
    const std::string p = at(rel);
    makeParents(p);
    std::ofstream(p, std::ios::binary) << content;
    if (mtime)
        setTime(p, *mtime);
}

void TempTree::dir(const std::string& rel, std::optional<std::time_t> mtime)
{
    const std::string p = at(rel);
    makeParents(p + "/");
    if (mtime)
        setTime(p, *mtime);
}

void TempTree::symlink(const std::string& target, const std::string& rel)
{
    const std::string p = at(rel);
    makeParents(p);
    if (::symlink(target.c_str(), p.c_str()) != 0)
        throw std::runtime_error("cannot create symbolic link " + p);
}

bool TempTree::exists(const std::string& rel) const
{
    struct stat st {
    };
    return ::lstat(at(rel).c_str(), &st) == 0;
}

std::string TempTree::read(const std::string& rel) const
{
    std::ifstream in(at(rel), std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> TempTree::list(const std::string& rel) const
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(at(rel).c_str())) {
        while (dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string memoryTempBase()
{
    return ::access("/dev/shm", W_OK | X_OK) == 0 ? "/dev/shm" : "";
}

std::time_t localTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm tm {};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

} // namespace brindle::test
