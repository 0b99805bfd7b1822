#include "common/TreeSnapshot.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace brindle::test
{

namespace
{

std::string readAt(int dirFd, const char* name)
{
    std::string out;
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return "<unreadable>";
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return out;
}

void walk(int dirFd, const std::string& prefix, const std::string& skipName, TreeSnapshot& out)
{
    const int listFd = ::dup(dirFd);
    DIR* d = ::fdopendir(listFd);
    if (!d) {
        ::close(listFd);
        return;
    }
    std::vector<std::string> names;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != ".." && name != skipName)
            names.push_back(name);
    }
    ::closedir(d);
    for (const std::string& name : names) {
        struct stat st {
        };
        if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        EntrySnapshot entry;
        entry.mode = st.st_mode & 07777;
        entry.inode = st.st_ino;
        const std::string path = prefix.empty() ? name : prefix + "/" + name;
        if (S_ISREG(st.st_mode)) {
            entry.type = 'f';
            entry.data = readAt(dirFd, name.c_str());
        } else if (S_ISLNK(st.st_mode)) {
            entry.type = 'l';
            entry.data.resize(static_cast<std::size_t>(st.st_size) + 1);
            const ssize_t n = ::readlinkat(dirFd, name.c_str(), entry.data.data(), entry.data.size());
            entry.data.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
        } else if (S_ISDIR(st.st_mode)) {
            entry.type = 'd';
        } else {
            entry.type = 'o';
        }
        out[path] = entry;
        if (entry.type == 'd') {
            const int sub = ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0) {
                walk(sub, path, skipName, out);
                ::close(sub);
            }
        }
    }
}

/// A name as readable text: bytes outside printable ASCII as \xNN.
std::string printable(const std::string& s, std::size_t max = 60)
{
    static const char* hex = "0123456789abcdef";
    std::string out;
    for (const char c : s.substr(0, max)) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7f) {
            out += c;
        } else {
            out += "\\x";
            out += hex[u >> 4];
            out += hex[u & 15];
        }
    }
    return s.size() > max ? out + "..." : out;
}

} // namespace

TreeSnapshot snapshotTree(const std::string& root, const std::string& skipName)
{
    TreeSnapshot out;
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        walk(fd, {}, skipName, out);
        ::close(fd);
    }
    return out;
}

bool sameTree(const TreeSnapshot& a, const TreeSnapshot& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
        [](const auto& x, const auto& y) { return x.first == y.first && x.second.sameAs(y.second); });
}

std::string treeDifference(const TreeSnapshot& before, const TreeSnapshot& after, std::size_t limit)
{
    std::string out;
    std::size_t count = 0;
    auto note = [&](const std::string& line) {
        if (count++ < limit)
            out += line + "\n";
    };
    for (const auto& [path, entry] : before) {
        const auto it = after.find(path);
        if (it == after.end())
            note("gone: " + printable(path));
        else if (!entry.sameAs(it->second))
            note("changed: " + printable(path) + " (" + entry.type + " -> " + it->second.type + ")");
    }
    for (const auto& [path, entry] : after) {
        if (!before.contains(path))
            note("new: " + printable(path) + " (" + entry.type + ")");
    }
    if (count > limit)
        out += "... " + std::to_string(count - limit) + " more\n";
    return out;
}

std::vector<std::string> contentMultiset(const TreeSnapshot& tree)
{
    std::vector<std::string> out;
    out.reserve(tree.size());
    for (const auto& [path, entry] : tree) {
        if (entry.type == 'd')
            out.emplace_back("d");
        else
            out.push_back(std::string(1, entry.type) + ":" + entry.data);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> foldersDeepestFirst(const TreeSnapshot& tree)
{
    std::vector<std::string> folders {""};
    for (const auto& [path, entry] : tree) {
        if (entry.type == 'd')
            folders.push_back(path);
    }
    auto depth = [](const std::string& p) { return p.empty() ? 0 : 1 + std::count(p.begin(), p.end(), '/'); };
    std::stable_sort(folders.begin(), folders.end(),
        [&](const std::string& a, const std::string& b) { return depth(a) > depth(b); });
    return folders;
}

} // namespace brindle::test
