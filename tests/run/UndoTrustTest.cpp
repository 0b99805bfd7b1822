// Undo reads only an undo file it can trust: one the user running undo owns, with no other name,
// of a size an undo file can have, with lines a run could have written. Anything else is
// refused before a byte of it counts, and in a tree only its folder is left out.

#include <fcntl.h>
#include <malloc.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/TempTree.h"
#include "run/RecorderHost.h"
#include "core/run/UndoFile.h"

namespace brindle
{
namespace
{

using test::RecorderHost;
using test::TempTree;

constexpr uid_t kNobody = 65534;

std::string nameOf(uid_t uid)
{
    const passwd* pw = ::getpwuid(uid);
    return pw ? pw->pw_name : std::to_string(uid);
}

std::string undoPath(const std::string& folder)
{
    return folder + "/_brindlewick_undo.txt";
}

/// A folder with an entry renamed by a run (b was a) and its undo file.
void renamedFolder(TempTree& tree, const std::string& rel)
{
    tree.file(rel + "/b", "content");
    tree.file(rel + "/_brindlewick_undo.txt", "b\r\na\r\n");
}

TEST(UndoTrust, AnUndoFileOfAnotherUserIsNotRead)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a file of another user can be made only as root";
    TempTree tree;
    renamedFolder(tree, "shared");
    ASSERT_EQ(::lchown(undoPath(tree.at("shared")).c_str(), kNobody, kNobody), 0);
    RecorderHost host;
    const UndoResult r = undoFolder(tree.at("shared"), host);
    EXPECT_TRUE(r.failed);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {"Undo file " + undoPath(tree.at("shared")) + " belongs to "
            + nameOf(kNobody) + ", not to you. Operation will not continue!"}));
    EXPECT_EQ(tree.list("shared"), (std::vector<std::string> {"_brindlewick_undo.txt", "b"}));
}

TEST(UndoTrust, TheTreeUndoLeavesOutTheFolderOfAnotherUsersFileAndGoesOn)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a file of another user can be made only as root";
    TempTree tree;
    renamedFolder(tree, "mine");
    renamedFolder(tree, "planted");
    renamedFolder(tree, "planted/deeper");
    ASSERT_EQ(::lchown(undoPath(tree.at("planted")).c_str(), kNobody, kNobody), 0);
    RecorderHost host;
    host.answers = {true, false};
    const UndoResult r = undoTree(tree.path(), host);
    EXPECT_EQ(r.renamed, 2);
    EXPECT_EQ(r.errors, 1);
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {"Undo file " + undoPath(tree.at("planted")) + " belongs to "
            + nameOf(kNobody) + ", not to you. Operation will continue"}));
    EXPECT_EQ(tree.list("mine"), (std::vector<std::string> {"a"}));
    EXPECT_EQ(tree.list("planted/deeper"), (std::vector<std::string> {"a"}));
    EXPECT_EQ(tree.list("planted"), (std::vector<std::string> {"_brindlewick_undo.txt", "b", "deeper"}));
}

TEST(UndoTrust, AnUndoFileWithAnotherNameIsNotRead)
{
    TempTree tree;
    renamedFolder(tree, "f");
    tree.dir("elsewhere");
    ASSERT_EQ(::link(undoPath(tree.at("f")).c_str(), tree.at("elsewhere/copy").c_str()), 0);
    RecorderHost host;
    EXPECT_TRUE(undoFolder(tree.at("f"), host).failed);
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {"Undo file " + undoPath(tree.at("f"))
            + " has other names (hard links) as well, so it is not read. Operation will not continue!"}));
    EXPECT_EQ(tree.list("f"), (std::vector<std::string> {"_brindlewick_undo.txt", "b"}));
}

/// Files undo refuses for their size or their lines, with the words of the refusal.
struct RefusedCase {
    const char* label;
    off_t sparseSize; // made as a sparse file of this size when not 0
    std::string content;
    const char* why;
    friend void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.label; }
};

class RefusedUndoFile : public ::testing::TestWithParam<RefusedCase>
{
protected:
    void plant(TempTree& tree, const std::string& rel)
    {
        renamedFolder(tree, rel);
        const std::string path = undoPath(tree.at(rel));
        if (GetParam().sparseSize != 0)
            ASSERT_EQ(::truncate(path.c_str(), GetParam().sparseSize), 0);
        else
            tree.file(rel + "/_brindlewick_undo.txt", GetParam().content);
    }
};

TEST_P(RefusedUndoFile, OneFolderIsRefused)
{
    TempTree tree(test::memoryTempBase());
    plant(tree, "f");
    RecorderHost host;
    EXPECT_TRUE(undoFolder(tree.at("f"), host).failed);
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {"Undo file " + undoPath(tree.at("f")) + " " + GetParam().why
            + ". Operation will not continue!"}));
    EXPECT_TRUE(tree.exists("f/b"));
}

TEST_P(RefusedUndoFile, TheTreeUndoSkipsItsFolderAndGoesOn)
{
    TempTree tree(test::memoryTempBase());
    renamedFolder(tree, "a");
    plant(tree, "a/huge");
    renamedFolder(tree, "z");
    RecorderHost host;
    host.answers = {true, false};
    const UndoResult r = undoTree(tree.path(), host);
    EXPECT_EQ(r.renamed, 2);
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {"Undo file " + undoPath(tree.at("a/huge")) + " " + GetParam().why
            + ". Operation will continue"}));
    EXPECT_EQ(tree.list("z"), (std::vector<std::string> {"a"}));
    EXPECT_TRUE(tree.exists("a/a"));
}

INSTANTIATE_TEST_SUITE_P(Table, RefusedUndoFile,
    ::testing::Values(
        RefusedCase {"OneByteOver64MiB", (off_t {64} << 20) + 1, {}, "is too large to be an undo file"},
        RefusedCase {"Sparse64GiB", off_t {64} << 30, {}, "is too large to be an undo file"},
        RefusedCase {"LineLongerThanANameCanBe", 0, std::string(4097, 'n') + "\r\ninside\r\n",
            "holds a line longer than 4096 bytes, so it is not an undo file"},
        RefusedCase {"LastLineWithoutItsEnd", 0, "b\r\n" + std::string(100000, 'o'),
            "holds a line longer than 4096 bytes, so it is not an undo file"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return info.param.label; });

/// Samples the heap in use at every message and failure.
class HeapPeakHost : public RecorderHost
{
public:
    static std::size_t inUse()
    {
        const struct mallinfo2 m = ::mallinfo2();
        return m.uordblks + m.hblkhd;
    }
    void showMessage(std::string_view text) override
    {
        peak = std::max(peak, inUse());
        RecorderHost::showMessage(text.substr(0, 200));
    }
    void showFailure(std::string_view message, std::string_view) override { showMessage(message); }
    std::size_t peak = 0;
};

TEST(UndoTrust, AnUndoFileOfOneLongLineTakesNoMoreThanItsSize)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps books of its own";
#endif
    // One name of 16 MiB without a line end; the names of every pair of a file this size that
    // could be undone are short, so a message never copies much.
    constexpr std::size_t kSize = std::size_t {16} << 20;
    for (const std::string& content :
        {std::string(kSize, 'x'), std::string(kSize / 2, 'x') + "\r\n" + std::string(kSize / 2, 'y')}) {
        TempTree tree(test::memoryTempBase());
        tree.file("_brindlewick_undo.txt", content);
        HeapPeakHost host;
        const std::size_t before = HeapPeakHost::inUse();
        const UndoResult r = undoFolder(tree.path(), host);
        EXPECT_TRUE(r.failed);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_LT(host.peak - before, kSize * 3 / 2);
        EXPECT_TRUE(tree.exists("_brindlewick_undo.txt"));
    }
}

} // namespace
} // namespace brindle
