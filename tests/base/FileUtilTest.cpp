#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "core/base/FileIo.h"
#include "common/TestName.h"

using namespace brindle;

namespace
{

struct AbsoluteCase {
    const char* path;
    const char* expected;
    friend void PrintTo(const AbsoluteCase& c, std::ostream* os) { *os << brindle::test::quoted(c.path); }
};

using AbsolutePaths = ::testing::TestWithParam<AbsoluteCase>;

TEST_P(AbsolutePaths, AreCleanedLexically)
{
    EXPECT_EQ(absolutePath(GetParam().path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Paths, AbsolutePaths,
    ::testing::Values(AbsoluteCase {"/", "/"}, AbsoluteCase {"/a/b/", "/a/b"},
        AbsoluteCase {"//a//b", "/a/b"}, AbsoluteCase {"/a/./b/../c", "/a/c"}, AbsoluteCase {"/..", "/"},
        AbsoluteCase {"/a/\xE9/.", "/a/\xE9"}, AbsoluteCase {"", ""}));

TEST(absolutePath, RelativeIsTakenFromTheCurrentFolder)
{
    char* cwd = ::getcwd(nullptr, 0);
    const std::string here = cwd;
    std::free(cwd);
    EXPECT_EQ(absolutePath("x/y"), absolutePath(here + "/x/y"));
}

} // namespace
