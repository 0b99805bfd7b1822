#include <gtest/gtest.h>

#include "common/TempTree.h"
#include "core/run/FileOps.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

TEST(renameInFolder, RenamesWithoutReplacing)
{
    TempTree tree;
    tree.file("a.txt", "a");
    tree.file("b.txt", "b");
    const Result<void> taken = renameInFolder(tree.path(), "a.txt", "b.txt");
    ASSERT_FALSE(taken.ok());
    EXPECT_FALSE(taken.error().message.empty());
    EXPECT_EQ(tree.read("a.txt"), "a");
    EXPECT_EQ(tree.read("b.txt"), "b");
    const Result<void> renamed = renameInFolder(tree.path(), "a.txt", "c\xE9.txt");
    EXPECT_TRUE(renamed.ok()) << renamed.error().message;
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"b.txt", "c\xE9.txt"}));
}

using RefusedNames = ::testing::TestWithParam<std::string>;

TEST_P(RefusedNames, LeaveTheEntryAlone)
{
    TempTree tree;
    tree.dir("sub");
    tree.file("a.txt", "a");
    EXPECT_FALSE(renameInFolder(tree.path(), "a.txt", GetParam()).ok());
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"a.txt", "sub"}));
}

std::string refusedLabel(const ::testing::TestParamInfo<std::string>& info)
{
    static const char* const kLabels[] = {"Empty", "Dot", "DotDot", "Slash", "TooLong", "Nul"};
    return kLabels[info.index];
}

INSTANTIATE_TEST_SUITE_P(Names, RefusedNames,
    ::testing::Values("", ".", "..", "sub/a.txt", std::string(256, 'n'), std::string("a\0b", 3)),
    refusedLabel);

} // namespace
