// brindlewick-cli on a full file system: a small tmpfs mounted for the test and filled up. The
// renames themselves need no space there; the undo file does. When it cannot grow, the run
// stops at once with the system's message (going on would make renames that no undo file
// knows), keeps every file, and its undo file holds whole pairs for exactly the renames made.
// When it cannot even be made, its folder is left unrenamed.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include <gtest/gtest.h>

#include "cli/CliTestUtil.h"
#include "common/RunProcess.h"
#include "common/ScratchMount.h"
#include "common/TempTree.h"
#include "common/TreeSnapshot.h"
#include "core/run/UndoFile.h"

namespace brindle
{
namespace
{

using test::cli;
using test::contentMultiset;
using test::ProcessResult;
using test::sameTree;
using test::ScratchMount;
using test::snapshotTree;
using test::TempTree;
using test::treeDifference;
using test::TreeSnapshot;

const std::string kLowerJobs = BRINDLE_TEST_DATA "/cli/lower.xml";
const std::string kUndo = "_brindlewick_undo.txt";
constexpr off_t kPage = 4096;

/// Writes a file as large as the file system lets it grow; returns its size.
off_t fillUp(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return -1;
    const std::string block(kPage, 'x');
    off_t size = 0;
    while (::write(fd, block.data(), block.size()) == static_cast<ssize_t>(block.size()))
        size += kPage;
    ::close(fd);
    return size;
}

class CliFullDiskTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string why;
        mount = ScratchMount::tmpfs(disk.path(), "size=512k,nr_inodes=2000", why);
        if (!mount)
            GTEST_SKIP() << why;
        // 300 files, every fifth with contents (a page each), the rest empty.
        ::mkdir(work().c_str(), 0755);
        for (int i = 1; i <= 300; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/IMG_%04d.JPG", i);
            const int fd = ::open((work() + name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            ASSERT_GE(fd, 0);
            if (i % 5 == 0) {
                ASSERT_EQ(::write(fd, name, std::strlen(name)), static_cast<ssize_t>(std::strlen(name)));
            }
            ::close(fd);
        }
        original = snapshotTree(work());
    }

    std::string work() const { return disk.path() + "/photos"; }
    std::string readUndo() const { return disk.read("photos/" + kUndo); }
    std::string filler() const { return disk.path() + "/filler"; }

    TempTree disk;
    std::unique_ptr<ScratchMount> mount;
    TreeSnapshot original;
};

TEST_F(CliFullDiskTest, NoRoomForTheUndoFileStopsTheRunBeforeAnyRename)
{
    ASSERT_GT(fillUp(filler()), 0);
    const ProcessResult r = cli({"-j", kLowerJobs, "-u", "-q", work()});
    EXPECT_EQ(r.err, "brindlewick-cli: " + work() + "/" + kUndo + ": No space left on device\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(snapshotTree(work(), kUndo).size(), original.size());
    EXPECT_TRUE(sameTree(snapshotTree(work(), kUndo), original));
    EXPECT_EQ(readUndo(), "");

    // Without undo files nothing needs room: every rename goes through.
    ::unlink((work() + "/" + kUndo).c_str());
    const ProcessResult plain = cli({"-j", kLowerJobs, "-q", "--no-undo-file", work()});
    EXPECT_EQ(plain.err, "");
    EXPECT_EQ(plain.exitCode, 0);
    const TreeSnapshot renamed = snapshotTree(work());
    EXPECT_TRUE(renamed.contains("img_0300.jpg"));
    EXPECT_EQ(contentMultiset(renamed), contentMultiset(original));
}

TEST_F(CliFullDiskTest, TheDiskFillingUpMidRunStopsItWithWholePairsThatUndoRestores)
{
    // One page left: the undo file fills it after 146 pairs of 28 bytes.
    const off_t size = fillUp(filler());
    ASSERT_GT(size, kPage);
    ASSERT_EQ(::truncate(filler().c_str(), size - kPage), 0);
    const ProcessResult r = cli({"-j", kLowerJobs, "-u", "-q", work()});
    EXPECT_EQ(r.err, "brindlewick-cli: " + work() + "/" + kUndo + ": No space left on device\n");
    EXPECT_EQ(r.exitCode, 1);

    const TreeSnapshot after = snapshotTree(work(), kUndo);
    EXPECT_EQ(contentMultiset(after), contentMultiset(original));
    std::size_t renamed = 0;
    for (const auto& [path, entry] : after)
        renamed += path.starts_with("img_") ? 1 : 0;
    const std::string undo = readUndo();
    EXPECT_EQ(renamed, 4096u / 28u);
    EXPECT_EQ(undo.size(), renamed * 28);
    EXPECT_EQ(parseUndoPairs(undo).size(), renamed);
    EXPECT_TRUE(undo.ends_with("img_0146.jpg\r\nIMG_0146.JPG\r\n"));

    ASSERT_EQ(::unlink(filler().c_str()), 0);
    const ProcessResult u = cli({"--undo", "-q", work()});
    EXPECT_EQ(u.err, "");
    EXPECT_EQ(u.exitCode, 0);
    const TreeSnapshot restored = snapshotTree(work());
    EXPECT_TRUE(sameTree(restored, original)) << treeDifference(original, restored);
}

TEST_F(CliFullDiskTest, NoInodeForTheUndoFileLeavesTheFolderUnrenamed)
{
    // Every inode taken: the undo file cannot even be created.
    for (int i = 0;; ++i) {
        const int fd = ::open((disk.path() + "/inode" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT, 0644);
        if (fd < 0)
            break;
        ::close(fd);
    }
    const ProcessResult r = cli({"-j", kLowerJobs, "-u", "-q", work()});
    EXPECT_EQ(r.err,
        "brindlewick-cli: Cannot create " + work() + "/" + kUndo
            + ": No space left on device; nothing in this directory is renamed\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(sameTree(snapshotTree(work()), original));
}

} // namespace
} // namespace brindle
