#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include <gtest/gtest.h>

#include "common/TempTree.h"
#include "core/run/FolderReader.h"

namespace brindle
{
namespace
{

using test::TempTree;

struct Seen {
    EntryType type;
    std::int64_t size;
    std::int64_t mtime;
};

/// Everything a reader gives, read max entries at a time.
std::map<std::string, Seen> readAll(
    const std::string& path, std::size_t max, bool withHidden, int* calls = nullptr)
{
    const int fd = openFolderForListing(path);
    EXPECT_GE(fd, 0);
    FolderReader reader(fd, withHidden);
    FolderEntries out;
    int n = 0;
    while (reader.readMore(out, max)) {
        ++n;
        EXPECT_LE(out.size(), n * max);
    }
    EXPECT_EQ(reader.error(), 0);
    ::close(fd);
    if (calls)
        *calls = n;
    std::map<std::string, Seen> seen;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const FolderEntry& e = out.entries[i];
        EXPECT_TRUE(seen.emplace(std::string(out.name(i)), Seen {e.type, e.size, e.mtime}).second);
    }
    return seen;
}

TEST(FolderReader, GivesEveryEntryOnceWithTypeSizeAndDateLinksNotFollowed)
{
    TempTree t;
    t.file("f.txt", "12345", 1'600'000'000);
    t.file(".hidden", "x");
    t.file("caf\xE9\n.txt", "");
    t.dir("sub", 1'500'000'000);
    t.symlink("sub", "link-to-sub");
    t.symlink("missing", "dangling");
    ASSERT_EQ(::mkfifo(t.at("pipe").c_str(), 0600), 0);
    for (int i = 0; i < 40; ++i)
        t.file("n" + std::to_string(i));

    int calls = 0;
    const auto seen = readAll(t.path(), 7, false, &calls);
    EXPECT_EQ(seen.size(), 46u);
    EXPECT_GE(calls, 6); // in steps of 7
    EXPECT_EQ(seen.count(".hidden"), 0u);
    EXPECT_EQ(seen.count("."), 0u);
    EXPECT_EQ(seen.at("f.txt").type, EntryType::File);
    EXPECT_EQ(seen.at("f.txt").size, 5);
    EXPECT_EQ(seen.at("f.txt").mtime, 1'600'000'000);
    EXPECT_EQ(seen.at("sub").type, EntryType::Folder);
    EXPECT_EQ(seen.at("sub").mtime, 1'500'000'000);
    EXPECT_EQ(seen.at("link-to-sub").type, EntryType::Link);
    EXPECT_EQ(seen.at("dangling").type, EntryType::Link);
    EXPECT_EQ(seen.at("pipe").type, EntryType::Other);
    EXPECT_EQ(seen.count("caf\xE9\n.txt"), 1u);

    const auto withHidden = readAll(t.path(), 1000, true);
    EXPECT_EQ(withHidden.size(), 47u);
    EXPECT_EQ(withHidden.count(".hidden"), 1u);
}

TEST(FolderReader, AFolderThatCannotBeOpenedSaysWhy)
{
    TempTree t;
    t.file("plain");
    EXPECT_LT(openFolderForListing(t.at("plain")), 0);
    EXPECT_LT(openFolderForListing(t.at("none")), 0);
}

} // namespace
} // namespace brindle
