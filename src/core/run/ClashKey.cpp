#include "core/run/ClashKey.h"

#include <array>

namespace brindle
{

namespace
{

// The folding table, position by position: each character of the lower set becomes the
// character at the same position of the upper set. The Greek letters are the characters of
// the Greek code page (1253) that the table was first drawn up for.
constexpr std::u32string_view kLowerSet = U"abcdefghijklmnopqrstuvwxyz"
                                          U"αβγδεζηθικλμνξοπρ"
                                          U"σς"
                                          U"τυφχψω"
                                          U"άέήίόύώ"
                                          U"ϊϋ"
                                          U"ΆΈΉΊΌΎΏ";
constexpr std::u32string_view kUpperSet = U"ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                          U"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡ"
                                          U"ΣΣ"
                                          U"ΤΥΦΧΨΩ"
                                          U"ΑΕΗΙΟΥΩ"
                                          U"ΙΥ"
                                          U"ΑΕΗΙΟΥΩ";
static_assert(kLowerSet.size() == 67 && kUpperSet.size() == 67);

// Every Greek character of the table lies in U+0380..U+03CF, which UTF-8 writes as two bytes
// with the lead byte 0xCE or 0xCF. The map is indexed by code point - kGreekFirst and holds
// the folded code point (0 for "unchanged").
constexpr char32_t kGreekFirst = 0x0380;
constexpr char32_t kGreekLast = 0x03CF;

constexpr std::array<char32_t, kGreekLast - kGreekFirst + 1> makeGreekMap()
{
    std::array<char32_t, kGreekLast - kGreekFirst + 1> map {};
    for (std::size_t i = 0; i < kLowerSet.size(); ++i) {
        const char32_t c = kLowerSet[i];
        if (c >= kGreekFirst && c <= kGreekLast)
            map[c - kGreekFirst] = kUpperSet[i];
    }
    return map;
}

constexpr auto kGreekMap = makeGreekMap();

static_assert(kGreekMap[U'ς' - kGreekFirst] == U'Σ' && kGreekMap[U'Ώ' - kGreekFirst] == U'Ω');
static_assert(kGreekMap[U'ΐ' - kGreekFirst] == 0 && kGreekMap[U'Ϊ' - kGreekFirst] == 0);

} // namespace

void upCaseGreekInto(std::string_view text, std::string& out)
{
    out.assign(text);
    const std::size_t n = out.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - ('a' - 'A'));
        } else if ((c == 0xCE || c == 0xCF) && i + 1 < n) {
            const auto c1 = static_cast<unsigned char>(out[i + 1]);
            if ((c1 & 0xC0) != 0x80)
                continue;
            const char32_t cp = (static_cast<char32_t>(c & 0x1F) << 6) | (c1 & 0x3F);
            if (cp < kGreekFirst || cp > kGreekLast)
                continue;
            const char32_t folded = kGreekMap[cp - kGreekFirst];
            if (folded != 0) {
                // Every folded letter is again a two-byte character, so the length holds.
                out[i] = static_cast<char>(0xC0 | (folded >> 6));
                out[i + 1] = static_cast<char>(0x80 | (folded & 0x3F));
            }
            ++i;
        }
    }
}

std::string upCaseGreek(std::string_view text)
{
    std::string out;
    upCaseGreekInto(text, out);
    return out;
}

} // namespace brindle
