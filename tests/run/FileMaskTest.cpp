#include <gtest/gtest.h>

#include "common/TestName.h"
#include "core/run/FileMask.h"

namespace brindle
{
namespace
{

struct MaskCase {
    const char* mask;
    const char* name;
    bool matches;
    friend void PrintTo(const MaskCase& c, std::ostream* os)
    {
        *os << brindle::test::quoted(c.mask) << " on " << brindle::test::quoted(c.name);
    }
};

using MaskTest = ::testing::TestWithParam<MaskCase>;

TEST_P(MaskTest, matches)
{
    const MaskCase& c = GetParam();
    EXPECT_EQ(FileMask(c.mask).matches(c.name), c.matches) << c.mask << " / " << c.name;
}

INSTANTIATE_TEST_SUITE_P(Table, MaskTest,
    ::testing::Values(MaskCase {"*.*", "README", true}, MaskCase {"*.*", "a.b.c", true},
        MaskCase {"*.*", "", true}, MaskCase {"*", "anything", true}, MaskCase {"*.txt", "a.TXT", true},
        MaskCase {"*.txt", "A.txt", true}, MaskCase {"*.txt", "a.txt.bak", false},
        MaskCase {"*.txt", "atxt", false}, MaskCase {"*.txt", ".txt", true},
        MaskCase {"?.txt", "a.txt", true}, MaskCase {"?.txt", "é.txt", true},
        MaskCase {"?.txt", "ab.txt", false}, MaskCase {"?.txt", ".txt", false},
        MaskCase {"IMG_*.JPG", "img_0001.jpg", true}, MaskCase {"IMG_*.JPG", "IMG_0001.JPEG", false},
        MaskCase {"*a*b", "xxaxxb", true}, MaskCase {"*a*b", "xxbxxa", false},
        MaskCase {"a*a*a", "aaa", true}, MaskCase {"a*a*a", "aa", false}, MaskCase {"*.*.*", "a.b", false},
        MaskCase {"**x", "x", true},
        // Letters outside ASCII fold by their simple case folding.
        MaskCase {"ÉTÉ*", "été.txt", true}, MaskCase {"Σ*", "ςx", true}, MaskCase {"K*", "kilo", true},
        MaskCase {"straße", "STRASSE", false},
        // A byte outside any UTF-8 sequence is a character that matches only itself.
        MaskCase {"\xff*",
            "\xff"
            "abc",
            true},
        MaskCase {"\xff*",
            "\xfe"
            "abc",
            false},
        MaskCase {"?abc",
            "\xff"
            "abc",
            true},
        MaskCase {"", "a", false},
        // Classes: one character of a set or a range, or not of it; letters fold here too.
        MaskCase {"IMG_[0-9]*", "img_1.jpg", true}, MaskCase {"IMG_[0-9]*", "IMG_x.jpg", false},
        MaskCase {"[abc].txt", "B.TXT", true}, MaskCase {"[abc].txt", "d.txt", false},
        MaskCase {"[!abc]*", "d", true}, MaskCase {"[!abc]*", "a", false}, MaskCase {"[^a]", "b", true},
        MaskCase {"[]]x", "]x", true}, MaskCase {"[a-]x", "-x", true}, MaskCase {"[é]", "É", true},
        MaskCase {"[α-ω]*", "Δelta", true},
        // A '[' without its ']' is itself.
        MaskCase {"a[b", "a[b", true}, MaskCase {"a[b", "ab", false},
        // A class is one character, whatever its bytes.
        MaskCase {"[é]x", "éx", true},
        MaskCase {"*[0-9]",
            "a\xff"
            "9",
            true}));

struct SeveralCase {
    std::vector<std::string> masks;
    const char* name;
    bool matches;
};

TEST(MaskTest, SeveralMasksMatchWhenAnyMatches)
{
    const SeveralCase cases[] = {
        {{"*.jpg", "*.png"}, "a.PNG", true},
        {{"*.jpg", "*.png"}, "a.gif", false},
        {{"*.jpg", "*.*"}, "README", true},
        {{}, "anything", true},
        {{"a?", "[xy]*"}, "yes", true},
        {{"a?", "[xy]*"}, "abc", false},
    };
    for (const SeveralCase& c : cases)
        EXPECT_EQ(FileMask(c.masks).matches(c.name), c.matches) << c.name;
}

} // namespace
} // namespace brindle
