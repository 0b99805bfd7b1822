#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/TempTree.h"
#include "run/FailingFolderRead.h"
#include "core/run/FileOps.h"
#include "core/run/FolderListing.h"
#include "core/run/FolderReader.h"

namespace brindle
{
namespace
{

using test::localTime;
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
    FolderReader reader;
    reader.start(fd);
    FolderEntries out;
    int n = 0;
    while (reader.readMore(out, max, withHidden)) {
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

// Every reader sees a read that fails part-way as an error, never as the end of the folder; the
// run's listings then give no part of the folder at all.
TEST(FolderReader, AReadThatFailsPartWayIsAnErrorNotTheEnd)
{
    TempTree t;
    for (int i = 0; i < 30; ++i)
        t.file("file" + std::to_string(i));
    t.dir("sub");
    const Fd fd = openFolder(AT_FDCWD, t.path(), true);
    test::FailingFolderRead failing(t.path());
    FolderReader reader;
    reader.start(fd.get());
    FolderEntries entries;
    while (reader.readMore(entries, 1000, true)) { }
    EXPECT_EQ(reader.error(), EIO);
    EXPECT_LT(entries.size(), 31u);

    FileEntryList dirs {FileEntry("from before", 0)};
    FileEntryList files;
    NameList others;
    FolderLister lister;
    EXPECT_EQ(lister.listFolder(fd.get(), FileMask(), {}, dirs, files, &others), EIO);
    EXPECT_TRUE(dirs.empty() && files.empty() && others.empty());
    EXPECT_EQ(lister.listSubfolders(fd.get(), dirs), EIO);
    EXPECT_EQ(lister.listFiles(fd.get(), FileMask(), files), EIO);
    EXPECT_TRUE(dirs.empty() && files.empty());
}

// ---- the run's listings ----

std::vector<std::string> namesOf(const FileEntryList& list)
{
    std::vector<std::string> names;
    for (const FileEntry& e : list)
        names.push_back(e.name);
    return names;
}

std::vector<std::string> sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

/// The run's listings of a folder that reads without an error.
FileEntryList subfolders(int fd, ListingNeeds needs = {})
{
    FileEntryList out;
    EXPECT_EQ(FolderLister().listSubfolders(fd, out, needs), 0);
    return out;
}

FileEntryList files(int fd, const FileMask& mask, ListingNeeds needs = {}, FolderLister* lister = nullptr)
{
    FolderLister own;
    FileEntryList out;
    EXPECT_EQ((lister ? *lister : own).listFiles(fd, mask, out, needs), 0);
    return out;
}

class ListingTest : public ::testing::Test
{
protected:
    Fd open(const std::string& rel = {}) { return openFolder(AT_FDCWD, tree.at(rel), true); }
    TempTree tree;
};

TEST_F(ListingTest, EmptyFolderGivesTwoEmptyLists)
{
    Fd fd = open();
    ASSERT_TRUE(fd.valid());
    EXPECT_TRUE(subfolders(fd.get()).empty());
    EXPECT_TRUE(files(fd.get(), FileMask("*.*")).empty());
}

TEST_F(ListingTest, SplitsFoldersFromFilesAndLeavesOutHiddenFilesAndTheUndoFile)
{
    tree.file("a.txt");
    tree.file("B.TXT");
    tree.file(".hidden");
    tree.file("_brindlewick_undo.txt");
    tree.file("_Brindlewick_Undo.txt");
    tree.dir("Sub");
    tree.dir(".git");
    tree.symlink("Sub", "LinkToSub");
    tree.symlink("nowhere", "Dangling");
    ::mkfifo(tree.at("pipe").c_str(), 0644);
    Fd fd = open();
    EXPECT_EQ(sorted(namesOf(subfolders(fd.get()))), (std::vector<std::string> {".git", "Sub"}));
    EXPECT_EQ(sorted(namesOf(files(fd.get(), FileMask("*.*")))),
        (std::vector<std::string> {
            "B.TXT", "Dangling", "LinkToSub", "_Brindlewick_Undo.txt", "a.txt", "pipe"}));
    EXPECT_EQ(sorted(namesOf(files(fd.get(), FileMask("*.txt")))),
        (std::vector<std::string> {"B.TXT", "_Brindlewick_Undo.txt", "a.txt"}));
}

TEST_F(ListingTest, ReadsDatesOnlyWhenAsked)
{
    tree.file("f", "", localTime(2004, 3, 5, 9, 1));
    tree.dir("d", localTime(2004, 3, 1, 18, 20));
    Fd fd = open();
    EXPECT_EQ(files(fd.get(), FileMask(), {true}).at(0).displayText(), "05/03/2004 09:01 f");
    EXPECT_EQ(subfolders(fd.get(), {true}).at(0).displayText(), "01/03/2004 18:20 d");
    EXPECT_EQ(files(fd.get(), FileMask(), {false}).at(0).date, 0.0);
}

TEST_F(ListingTest, ListsLargeFoldersWhole)
{
    for (int i = 0; i < 5000; ++i)
        tree.file("file_with_a_rather_long_name_" + std::to_string(i));
    Fd fd = open();
    FolderLister lister;
    EXPECT_EQ(files(fd.get(), FileMask(), {}, &lister).size(), 5000u);
    // A second listing through the same descriptor starts again from the top.
    EXPECT_EQ(files(fd.get(), FileMask("*_4999"), {}, &lister).size(), 1u);
}

} // namespace
} // namespace brindle
