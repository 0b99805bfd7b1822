// Names as the command line shows them: whatever the bytes, the text shown holds no control
// character, and the shell reads it back as the very name (the quoting of ls).

#include <random>

#include <gtest/gtest.h>

#include "cli/CliOutput.h"
#include "common/RunProcess.h"

namespace brindle
{
namespace
{

using test::ProcessResult;
using test::runProcess;

/// Random names: bytes of every kind, with a bias to the hard ones (controls, quotes,
/// backslashes, blanks, bidirectional controls, bytes that are not UTF-8).
std::vector<std::string> randomNames(unsigned seed, std::size_t count)
{
    static const std::vector<std::string> pieces = {"a", "Z", " ", "'", "\\", "\"", "$", "!", "*", "~", "\n",
        "\t", "\x1b", "\x7f", "\x01", "\xc2\x85", "\xe2\x80\xae", "\xe2\x81\xa6", "\xd8\x9c", "\xff", "\xc3",
        "\xe9", "é", "ß", "日本", "😀", "-", ".", "%", "`", "(", ")"};
    std::mt19937 rng(seed);
    std::vector<std::string> names;
    for (std::size_t n = 0; n < count; ++n) {
        std::string name;
        const std::size_t length = 1 + rng() % 8;
        for (std::size_t k = 0; k < length; ++k)
            name += pieces[rng() % pieces.size()];
        names.push_back(name);
    }
    return names;
}

bool hasControlByte(std::string_view s)
{
    for (const char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7f)
            return true;
    }
    return false;
}

using NameStyleProperty = ::testing::TestWithParam<unsigned>;

TEST_P(NameStyleProperty, ShownNamesAreSafeAndTheShellReadsThemBack)
{
    const std::vector<std::string> names = randomNames(GetParam(), 200);
    // One bash script prints every shown name as the shell reads it, each ended by NUL.
    std::string script;
    for (const std::string& name : names) {
        for (const NameStyle style : {NameStyle::Terminal, NameStyle::Plain}) {
            const std::string shown = shownName(name, style);
            EXPECT_FALSE(hasControlByte(shown)) << shown;
            // No bidirectional control reaches the terminal either.
            EXPECT_EQ(shown.find("\xe2\x80\xae"), std::string::npos) << shown;
        }
        script += "printf '%s\\0' " + shownName(name, NameStyle::Terminal) + "\n";
        EXPECT_EQ(shownName(name, NameStyle::Raw), name);
    }
    const ProcessResult r = runProcess({"/bin/bash", "--norc", "-c", script}, {}, {"LC_ALL=C.UTF-8"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> readBack;
    for (std::size_t at = 0, end; (end = r.out.find('\0', at)) != std::string::npos; at = end + 1)
        readBack.push_back(r.out.substr(at, end - at));
    ASSERT_EQ(readBack.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(readBack[i], names[i]) << shownName(names[i], NameStyle::Terminal);
}

INSTANTIATE_TEST_SUITE_P(Seeds, NameStyleProperty, ::testing::Values(1u, 2u, 3u, 4u, 5u));

TEST(NameStyle, PlainNamesStayAsTheyAre)
{
    for (const char* name : {"a.txt", "IMG_0042.JPG", "été.jpg", "a-b+c,d@e"})
        EXPECT_EQ(shownName(name, NameStyle::Terminal), name);
    // Through a pipe a blank needs no quotes; on a terminal it does.
    EXPECT_EQ(shownName("my file", NameStyle::Plain), "my file");
    EXPECT_EQ(shownName("my file", NameStyle::Terminal), "'my file'");
    EXPECT_EQ(shownName("a\nb", NameStyle::Plain), "$'a\\nb'");
}

} // namespace
} // namespace brindle
