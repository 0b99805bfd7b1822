#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <gtest/gtest.h>

#include "common/TestName.h"
#include "common/TempTree.h"
#include "core/run/FileOps.h"

namespace brindle
{
namespace
{

using test::TempTree;

struct NameCaseRow {
    std::string name;
    bool usable;
    friend void PrintTo(const NameCaseRow& c, std::ostream* os) { *os << brindle::test::quoted(c.name); }
};

using UsableNameTest = ::testing::TestWithParam<NameCaseRow>;

TEST_P(UsableNameTest, Decides)
{
    EXPECT_EQ(isUsableName(GetParam().name), GetParam().usable);
}

INSTANTIATE_TEST_SUITE_P(Table, UsableNameTest,
    ::testing::Values(NameCaseRow {"a.txt", true}, NameCaseRow {".hidden", true}, NameCaseRow {"...", true},
        NameCaseRow {"a\nb", true}, NameCaseRow {"\xff\xfe", true}, NameCaseRow {std::string(255, 'x'), true},
        NameCaseRow {"", false}, NameCaseRow {".", false}, NameCaseRow {"..", false},
        NameCaseRow {"a/b", false}, NameCaseRow {"/", false}, NameCaseRow {"../x", false},
        NameCaseRow {std::string("a\0b", 3), false}, NameCaseRow {std::string(256, 'x'), false}));

/// Both renames, the kernel's no-replace one and the fallback, must keep every rule.
class RenameTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override { dir = openFolder(AT_FDCWD, tree.path(), true); }
    int rename(const std::string& from, const std::string& to, bool isFolder = false)
    {
        return GetParam() ? renameNoReplaceFallback(dir.get(), from, to, isFolder)
                          : renameNoReplace(dir.get(), from, to, isFolder);
    }
    TempTree tree;
    Fd dir;
};

TEST_P(RenameTest, RenamesToAFreeName)
{
    tree.file("old", "content");
    EXPECT_EQ(rename("old", "new"), 0);
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"new"}));
    EXPECT_EQ(tree.read("new"), "content");
}

TEST_P(RenameTest, NeverReplacesAFile)
{
    tree.file("a.txt", "first");
    tree.file("b.txt", "second");
    EXPECT_EQ(rename("a.txt", "b.txt"), EEXIST);
    EXPECT_EQ(tree.read("a.txt"), "first");
    EXPECT_EQ(tree.read("b.txt"), "second");
}

TEST_P(RenameTest, NeverReplacesAnEmptyFolder)
{
    tree.dir("A");
    tree.file("A/inside");
    tree.dir("B");
    EXPECT_EQ(rename("A", "B", true), EEXIST);
    EXPECT_TRUE(tree.exists("A/inside"));
    EXPECT_TRUE(tree.list("B").empty());
}

TEST_P(RenameTest, KeepsTwoHardLinksThatDifferOnlyInCaseApart)
{
    // On a file system that respects case, "a" and "A" linking one file are two entries.
    tree.file("a", "x");
    ASSERT_EQ(::link(tree.at("a").c_str(), tree.at("A").c_str()), 0);
    EXPECT_EQ(rename("a", "A"), EEXIST);
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"A", "a"}));
}

TEST_P(RenameTest, ReportsAMissingSource)
{
    EXPECT_EQ(rename("missing", "new"), ENOENT);
    EXPECT_FALSE(tree.exists("new"));
}

TEST_P(RenameTest, RenamesFoldersAndLinks)
{
    tree.dir("Dir");
    tree.file("Dir/f");
    tree.symlink("Dir", "Link");
    EXPECT_EQ(rename("Dir", "dir", true), 0);
    EXPECT_EQ(rename("Link", "link"), 0);
    EXPECT_TRUE(tree.exists("dir/f"));
    char target[16] = {};
    ASSERT_GT(::readlink(tree.at("link").c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "Dir");
}

INSTANTIATE_TEST_SUITE_P(KernelAndFallback, RenameTest, ::testing::Bool(),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Fallback" : "Kernel"; });

TEST(openFolder, RefusesLinksUnlessTold)
{
    TempTree tree;
    tree.dir("real");
    tree.symlink("real", "link");
    tree.file("file");
    EXPECT_FALSE(openFolder(AT_FDCWD, tree.at("link"), false).valid());
    EXPECT_TRUE(openFolder(AT_FDCWD, tree.at("link"), true).valid());
    EXPECT_FALSE(openFolder(AT_FDCWD, tree.at("file"), true).valid());
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_FALSE(openFolder(AT_FDCWD, tree.at("missing"), true).valid());
}

TEST(errorText, IsTheSystemsText)
{
    EXPECT_EQ(errorText(ENOSPC), "No space left on device");
    EXPECT_EQ(errorText(EISDIR), "Is a directory");
}

} // namespace
} // namespace brindle
