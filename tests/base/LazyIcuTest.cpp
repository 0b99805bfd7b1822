// The ICU functions loaded on first call are ICU's own: each gives what the linked library
// gives (the tests link ICU; the programs do not).

#include <unicode/ucasemap.h>
#include <unicode/uchar.h>
#include <unicode/ucol.h>

#include <gtest/gtest.h>

#include "core/base/LazyIcu.h"

using namespace brindle;

namespace
{

TEST(LazyIcu, CharacterFunctionsAgreeWithIcuOnEveryCodePoint)
{
    for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
        ASSERT_EQ(lazy::u_foldCase(c, U_FOLD_CASE_DEFAULT), ::u_foldCase(c, U_FOLD_CASE_DEFAULT)) << c;
        ASSERT_EQ(lazy::u_toupper(c), ::u_toupper(c)) << c;
        ASSERT_EQ(lazy::u_charType(c), ::u_charType(c)) << c;
        ASSERT_EQ(lazy::u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK),
            ::u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK))
            << c;
    }
}

TEST(LazyIcu, CaseMappingAndCollationAgreeWithIcu)
{
    UErrorCode status = U_ZERO_ERROR;
    UCaseMap* map = lazy::ucasemap_open("", 0, &status);
    UCollator* collator = lazy::ucol_open("", &status);
    ASSERT_TRUE(U_SUCCESS(status));
    const char* names[] = {"straße", "ǅemal", "ﬁle", "ΟΔΟΣ", "Äpfel", "apfel", "a10", "a9", "İstanbul"};
    // A case mapping's output for text.
    const auto mapped = [map](auto* function, const char* text) {
        char out[64];
        UErrorCode s = U_ZERO_ERROR;
        return std::string(out, function(map, out, sizeof out, text, -1, &s));
    };
    for (const char* a : names) {
        EXPECT_EQ(mapped(lazy::ucasemap_utf8ToUpper, a), mapped(::ucasemap_utf8ToUpper, a)) << a;
        EXPECT_EQ(mapped(lazy::ucasemap_utf8ToLower, a), mapped(::ucasemap_utf8ToLower, a)) << a;
        for (const char* b : names) {
            UErrorCode s1 = U_ZERO_ERROR;
            UErrorCode s2 = U_ZERO_ERROR;
            EXPECT_EQ(lazy::ucol_strcollUTF8(collator, a, -1, b, -1, &s1),
                ::ucol_strcollUTF8(collator, a, -1, b, -1, &s2))
                << a << " " << b;
        }
    }
    lazy::ucol_close(collator);
    lazy::ucasemap_close(map);
}

} // namespace
