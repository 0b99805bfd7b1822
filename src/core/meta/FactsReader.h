#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/meta/FactsNeed.h"
#include "core/meta/FileFacts.h"

namespace brindle
{

/// What the facts of a file were read from: the same key means the same file unchanged.
struct FactsKey {
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeSeconds = 0;
    std::int64_t mtimeNanoseconds = 0;

    bool operator==(const FactsKey&) const = default;
};

/// Facts already read, by file and state of the file, so that a window that plans the same
/// folder again after every edit reads each file once per change. Safe to use from several
/// threads at once; it forgets everything when it grows past its bound.
class FactsCache
{
public:
    explicit FactsCache(std::size_t maxEntries = 200000);

    /// The facts of the file at key read to at least need, or null.
    std::shared_ptr<const FileFacts> find(const FactsKey& key, FactsNeed need) const;
    void store(const FactsKey& key, FactsNeed need, std::shared_ptr<const FileFacts> facts);
    std::size_t size() const;

private:
    struct Hash {
        std::size_t operator()(const FactsKey& k) const;
    };
    struct Slot {
        FactsNeed need;
        std::shared_ptr<const FileFacts> facts;
    };
    mutable std::mutex m_lock;
    std::unordered_map<FactsKey, Slot, Hash> m_map;
    std::size_t m_max;
};

/// The facts of the entry name of the folder open as dirFd, read as far as need says: its
/// dates from statx, and with FactsNeed::Contents the metadata of its contents, read by the
/// library for what its first bytes say it is. A symbolic link is never followed, and only a
/// regular file's contents are read. Nothing fails: what cannot be read is left out, and
/// facts.problem says why. With a cache, an unchanged file is read once.
std::shared_ptr<const FileFacts> readFileFacts(
    int dirFd, const std::string& name, FactsNeed need, FactsCache* cache = nullptr);

/// readFileFacts of every name, on every core of the machine; out[i] is the facts of names[i].
void readFactsInParallel(int dirFd, const std::vector<std::string_view>& names, FactsNeed need,
    FactsCache* cache, std::vector<std::shared_ptr<const FileFacts>>& out);

class FactsModule;

/// The metadata of the contents of the regular file open as fd, added to facts, read by the
/// file facts module installed with the program.
void readContentFacts(int fd, FileFacts& facts);
/// The same, read by module.
void readContentFacts(int fd, FileFacts& facts, const FactsModule& module);

} // namespace brindle
