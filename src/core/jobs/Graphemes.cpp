#include "core/jobs/Graphemes.h"

#include <unicode/utf8.h>

#include <memory>

#include "core/base/LazyIcu.h"
#include "core/jobs/Utf8Chars.h"

namespace brindle
{

namespace
{

struct BreakIteratorClose {
    void operator()(UBreakIterator* it) const { lazy::ubrk_close(it); }
};

/// One character break iterator per thread: the plan names entries on several threads.
UBreakIterator* characterBreaks()
{
    static thread_local std::unique_ptr<UBreakIterator, BreakIteratorClose> it = [] {
        UErrorCode status = U_ZERO_ERROR;
        UBreakIterator* made = lazy::ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
        return std::unique_ptr<UBreakIterator, BreakIteratorClose>(U_SUCCESS(status) ? made : nullptr);
    }();
    return it.get();
}

/// Whether the code point may join the one before it in a grapheme cluster, or needs the
/// break rules (Hangul jamo, regional indicators, prepended marks, CR, emoji sequences); for
/// every other code point a cluster is the code point itself.
bool needsBreakRules(UChar32 c)
{
    // Below the combining diacritical marks every code point stands alone (CR aside, which the
    // caller looks out for); above, the property says.
    if (c < 0x300)
        return false;
    const auto gcb = lazy::u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK);
    return gcb != U_GCB_OTHER && gcb != U_GCB_CONTROL && gcb != U_GCB_LF;
}

/// Whether byte i of s is a byte outside any valid UTF-8 sequence.
bool strayByte(std::string_view s, std::size_t i, std::size_t len)
{
    return len == 1 && static_cast<unsigned char>(s[i]) >= 0x80;
}

/// Walks s one user-perceived character at a time, calling step(end) with the byte offset just
/// after each; stops when step returns false.
template <typename Step> void forEachGrapheme(std::string_view s, Step step)
{
    std::size_t i = 0;
    while (i < s.size()) {
        // The run of valid UTF-8 from i: when each of its code points stands alone it counts code
        // points, else it goes through ICU's character breaks; a stray byte is a character of its
        // own.
        std::size_t end = i;
        bool simple = true;
        while (end < s.size()) {
            const std::size_t len = charLen(s, end);
            if (strayByte(s, end, len))
                break;
            if (simple && s[end] == '\r') {
                simple = false; // CR LF is one cluster
            } else if (simple && len > 1) {
                UChar32 c;
                auto at = static_cast<std::int32_t>(end);
                U8_NEXT_UNSAFE(reinterpret_cast<const std::uint8_t*>(s.data()), at, c);
                simple = !needsBreakRules(c);
            }
            end += len;
        }
        if (end == i) {
            if (!step(i + 1))
                return;
            ++i;
            continue;
        }
        // A run where every code point is a cluster of its own counts code points, as ICU would.
        UBreakIterator* breaks = simple ? nullptr : characterBreaks();
        if (!breaks) {
            for (std::size_t k = i; k < end; k += charLen(s, k)) {
                if (!step(k + charLen(s, k)))
                    return;
            }
            i = end;
            continue;
        }
        UErrorCode status = U_ZERO_ERROR;
        static thread_local UText storage = UTEXT_INITIALIZER;
        UText* text
            = lazy::utext_openUTF8(&storage, s.data() + i, static_cast<std::int64_t>(end - i), &status);
        lazy::ubrk_setUText(breaks, text, &status);
        bool more = true;
        if (U_SUCCESS(status)) {
            for (std::int32_t b = lazy::ubrk_next(breaks); more && b != UBRK_DONE;
                 b = lazy::ubrk_next(breaks))
                more = step(i + static_cast<std::size_t>(b));
        }
        lazy::utext_close(text);
        if (!more)
            return;
        i = end;
    }
}

} // namespace

std::size_t graphemeCount(std::string_view s)
{
    if (isAscii(s))
        return s.size();
    std::size_t count = 0;
    forEachGrapheme(s, [&](std::size_t) {
        ++count;
        return true;
    });
    return count;
}

std::size_t byteOffsetOfGrapheme(std::string_view s, std::int64_t n)
{
    if (n <= 0)
        return 0;
    if (isAscii(s))
        return n >= static_cast<std::int64_t>(s.size()) ? s.size() : static_cast<std::size_t>(n);
    std::size_t offset = 0;
    forEachGrapheme(s, [&](std::size_t end) {
        offset = end;
        return --n > 0;
    });
    return offset;
}

} // namespace brindle
