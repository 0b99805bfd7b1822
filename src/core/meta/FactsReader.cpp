#include "core/meta/FactsReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include "core/meta/ContentKind.h"
#include "core/meta/FactsModule.h"

namespace brindle
{

// ---- the cache ----

FactsCache::FactsCache(std::size_t maxEntries)
    : m_max(maxEntries)
{
}

std::size_t FactsCache::Hash::operator()(const FactsKey& k) const
{
    std::size_t h = std::hash<std::uint64_t> {}(static_cast<std::uint64_t>(k.inode));
    for (const std::uint64_t v : {static_cast<std::uint64_t>(k.device), static_cast<std::uint64_t>(k.size),
             static_cast<std::uint64_t>(k.mtimeSeconds), static_cast<std::uint64_t>(k.mtimeNanoseconds)})
        h = (h ^ std::hash<std::uint64_t> {}(v)) * 0x100000001B3ull;
    return h;
}

std::shared_ptr<const FileFacts> FactsCache::find(const FactsKey& key, FactsNeed need) const
{
    const std::lock_guard guard(m_lock);
    const auto it = m_map.find(key);
    if (it == m_map.end() || it->second.need < need)
        return nullptr;
    return it->second.facts;
}

void FactsCache::store(const FactsKey& key, FactsNeed need, std::shared_ptr<const FileFacts> facts)
{
    const std::lock_guard guard(m_lock);
    if (m_map.size() >= m_max)
        m_map.clear();
    m_map[key] = Slot {need, std::move(facts)};
}

std::size_t FactsCache::size() const
{
    const std::lock_guard guard(m_lock);
    return m_map.size();
}

// ---- reading ----

namespace
{

std::string errorText(int code)
{
    return std::strerror(code);
}

/// A descriptor closed when it goes.
struct OwnedFd {
    int fd;
    ~OwnedFd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

void readContentFacts(int fd, FileFacts& facts, const FactsModule& module)
{
    facts.contentsRead = true;
    char head[kSniffBytes];
    const ssize_t got = ::pread(fd, head, sizeof head, 0);
    if (got < 0) {
        facts.problem = "cannot read the file: " + errorText(errno);
        return;
    }
    const ContentKind kind = contentKind(std::string_view(head, static_cast<std::size_t>(got)));
    // A file of no kind the readers know never loads them.
    if (kind == ContentKind::Unknown) {
        facts.problem = "not a photo, video, audio file or PDF";
        return;
    }
    module.readContent(fd, kind, facts);
}

void readContentFacts(int fd, FileFacts& facts)
{
    readContentFacts(fd, facts, FactsModule::installed());
}

std::shared_ptr<const FileFacts> readFileFacts(
    int dirFd, const std::string& name, FactsNeed need, FactsCache* cache)
{
    auto facts = std::make_shared<FileFacts>();
    if (need == FactsNeed::None)
        return facts;
    struct statx sx {
    };
    if (::statx(dirFd, name.c_str(), AT_SYMLINK_NOFOLLOW | AT_STATX_SYNC_AS_STAT,
            STATX_BASIC_STATS | STATX_BTIME, &sx)
        != 0) {
        facts->problem = "cannot look at the file: " + errorText(errno);
        return facts;
    }
    const FactsKey key {makedev(sx.stx_dev_major, sx.stx_dev_minor), sx.stx_ino,
        static_cast<std::int64_t>(sx.stx_size), sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec};
    if (cache) {
        if (auto known = cache->find(key, need))
            return known;
    }
    facts->modified = TimeValue {
        CivilTime::fromUnix(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec), "file modification time"};
    if ((sx.stx_mask & STATX_BTIME) != 0)
        facts->created
            = TimeValue {CivilTime::fromUnix(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec), "file birth time"};
    if (need == FactsNeed::Contents) {
        if (!S_ISREG(sx.stx_mode)) {
            facts->contentsRead = true;
            facts->problem
                = S_ISLNK(sx.stx_mode) ? "a symbolic link, which is not followed" : "not a regular file";
        } else {
            // No blocking open (a file swapped for a FIFO), no link followed, and the file
            // read is the one looked at.
            const OwnedFd fd {
                ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
            struct stat st {
            };
            if (fd.fd < 0) {
                facts->contentsRead = true;
                facts->problem = "cannot open the file: " + errorText(errno);
            } else if (::fstat(fd.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_ino != sx.stx_ino) {
                facts->contentsRead = true;
                facts->problem = "the file changed while it was read";
            } else {
                readContentFacts(fd.fd, *facts);
            }
        }
    }
    if (cache)
        cache->store(key, need, facts);
    return facts;
}

void readFactsInParallel(int dirFd, const std::vector<std::string_view>& names, FactsNeed need,
    FactsCache* cache, std::vector<std::shared_ptr<const FileFacts>>& out)
{
    out.assign(names.size(), nullptr);
    if (names.empty())
        return;
    const std::size_t threads
        = std::min<std::size_t>(names.size(), std::max(1u, std::thread::hardware_concurrency()));
    std::atomic<std::size_t> next {0};
    const auto work = [&] {
        std::string name;
        for (std::size_t i; (i = next.fetch_add(1)) < names.size();) {
            name.assign(names[i]);
            out[i] = readFileFacts(dirFd, name, need, cache);
        }
    };
    // Dates alone cost one statx each: threads do not pay for a few of them.
    if (threads == 1 || (need == FactsNeed::Dates && names.size() < 2000)) {
        work();
        return;
    }
    std::vector<std::jthread> pool;
    for (std::size_t t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
}

} // namespace brindle
