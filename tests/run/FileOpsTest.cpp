#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <gtest/gtest.h>

#include "common/TestName.h"
#include "common/TempTree.h"
#include "run/UFileOps.h"

namespace brindle
{
namespace
{

using test::TempTree;

struct NameCase {
    std::string name;
    bool usable;
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << brindle::test::Quoted(c.name); }
};

class UsableNameTest : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(UsableNameTest, Decides)
{
    EXPECT_EQ(IsUsableName(GetParam().name), GetParam().usable);
}

INSTANTIATE_TEST_SUITE_P(Table, UsableNameTest,
    ::testing::Values(NameCase {"a.txt", true}, NameCase {".hidden", true}, NameCase {"...", true},
        NameCase {"a\nb", true}, NameCase {"\xff\xfe", true}, NameCase {std::string(255, 'x'), true},
        NameCase {"", false}, NameCase {".", false}, NameCase {"..", false}, NameCase {"a/b", false},
        NameCase {"/", false}, NameCase {"../x", false}, NameCase {std::string("a\0b", 3), false},
        NameCase {std::string(256, 'x'), false}));

/// Both renames, the kernel's no-replace one and the fallback, must keep every rule.
class RenameTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override { dir = OpenFolder(AT_FDCWD, tree.path(), true); }
    int rename(const std::string& from, const std::string& to, bool isFolder = false)
    {
        return GetParam() ? RenameNoReplaceFallback(dir.get(), from, to, isFolder)
                          : RenameNoReplace(dir.get(), from, to, isFolder);
    }
    TempTree tree;
    TFd dir;
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

TEST(OpenFolder, RefusesLinksUnlessTold)
{
    TempTree tree;
    tree.dir("real");
    tree.symlink("real", "link");
    tree.file("file");
    EXPECT_FALSE(OpenFolder(AT_FDCWD, tree.at("link"), false).valid());
    EXPECT_TRUE(OpenFolder(AT_FDCWD, tree.at("link"), true).valid());
    EXPECT_FALSE(OpenFolder(AT_FDCWD, tree.at("file"), true).valid());
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_FALSE(OpenFolder(AT_FDCWD, tree.at("missing"), true).valid());
}

TEST(ErrorText, IsTheSystemsText)
{
    EXPECT_EQ(ErrorText(ENOSPC), "No space left on device");
    EXPECT_EQ(ErrorText(EISDIR), "Is a directory");
}

} // namespace
} // namespace brindle
