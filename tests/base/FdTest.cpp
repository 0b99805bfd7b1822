#include <gtest/gtest.h>

#include <fcntl.h>

#include <cerrno>
#include <utility>

#include "core/base/Fd.h"
#include "common/TempTree.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

TEST(Fd, AFailedOpenKeepsItsReasonThroughMoves)
{
    TempTree tree;
    tree.file("file");
    Fd missing(::open(tree.at("missing").c_str(), O_RDONLY | O_CLOEXEC));
    Fd notAFolder(::open(tree.at("file/inside").c_str(), O_RDONLY | O_CLOEXEC));
    errno = 0; // the reason is the one of the open, not what errno says later
    EXPECT_FALSE(missing.valid());
    EXPECT_EQ(missing.error(), ENOENT);
    EXPECT_EQ(missing.error().text(), "No such file or directory");
    Fd moved = std::move(notAFolder);
    EXPECT_EQ(moved.error(), ENOTDIR);

    Fd open(::open(tree.at("file").c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_TRUE(open.valid());
    EXPECT_FALSE(open.error().failed());
    moved = std::move(open);
    EXPECT_TRUE(moved.valid());
    EXPECT_FALSE(moved.error().failed());
    EXPECT_EQ(moved.close(), 0);
    EXPECT_FALSE(moved.valid());
}

} // namespace
