#include <gtest/gtest.h>

#include "core/base/JsonText.h"

namespace brindle
{
namespace
{

struct JsonNameCase {
    const char* label;
    std::string name;
    std::string json;
    friend void PrintTo(const JsonNameCase& c, std::ostream* os) { *os << c.label; }
};

using JsonName = ::testing::TestWithParam<JsonNameCase>;

TEST_P(JsonName, IsAStringWhenUtf8AndBytesOtherwise)
{
    std::string out = "x";
    appendJsonName(out, GetParam().name);
    EXPECT_EQ(out, "x" + GetParam().json);
}

INSTANTIATE_TEST_SUITE_P(Table, JsonName,
    ::testing::Values(JsonNameCase {"Plain", "a.txt", R"("a.txt")"}, JsonNameCase {"Empty", "", R"("")"},
        JsonNameCase {"QuoteAndBackslash", "a\"b\\c", R"("a\"b\\c")"},
        JsonNameCase {"Controls", "a\nb\tc\x1b\x7f", R"("a\nb\tc\u001b\u007f")"},
        JsonNameCase {"Utf8", "été 😀", "\"été 😀\""},
        JsonNameCase {"LargestCodePoint", "\xf4\x8f\xbf\xbf", "\"\xf4\x8f\xbf\xbf\""},
        JsonNameCase {"Latin1Byte", "caf\xe9", "[99,97,102,233]"},
        JsonNameCase {"Overlong", "\xc0\xaf", "[192,175]"},
        JsonNameCase {"Surrogate", "\xed\xa0\x80", "[237,160,128]"},
        JsonNameCase {"AboveUnicode", "\xf4\x90\x80\x80", "[244,144,128,128]"},
        JsonNameCase {"CutShort", "a\xe2\x82", "[97,226,130]"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(JsonText, StringsEscapeEveryControlCharacter)
{
    for (int c = 0; c < 0x20; ++c) {
        std::string out;
        appendJsonString(out, std::string(1, static_cast<char>(c)));
        // A quote, a backslash escape of 2 or 6 characters, a quote: never the raw byte.
        EXPECT_TRUE(out.size() == 4 || out.size() == 8) << c;
        EXPECT_EQ(out.find(static_cast<char>(c)), std::string::npos) << c;
    }
}

} // namespace
} // namespace brindle
