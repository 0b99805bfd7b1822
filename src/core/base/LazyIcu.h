#pragma once

#include <unicode/ubrk.h>
#include <unicode/ucasemap.h>
#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>
#include <unicode/utext.h>

#include <cstdint>

// The ICU functions the program calls, each loaded from ICU's libraries on the first call of
// any of them, so that a run that compares, folds or breaks no text never loads ICU (about two
// milliseconds of every start). They take ICU's names and arguments: call lazy::u_foldCase
// where ICU's own would be u_foldCase. The programs do not link ICU; a call of ICU's own
// function fails to link. When ICU cannot be loaded (a broken installation), the program stops
// with a message that names the library and the loader's reason.
namespace brindle::lazy
{

UChar32 u_foldCase(UChar32 c, std::uint32_t options);
UChar32 u_toupper(UChar32 c);
std::int8_t u_charType(UChar32 c);
std::int32_t u_getIntPropertyValue(UChar32 c, UProperty which);
UChar* u_strFromUTF8WithSub(UChar* dest, std::int32_t destCapacity, std::int32_t* destLength, const char* src,
    std::int32_t srcLength, UChar32 subchar, std::int32_t* numSubstitutions, UErrorCode* status);

UCaseMap* ucasemap_open(const char* locale, std::uint32_t options, UErrorCode* status);
void ucasemap_close(UCaseMap* map);
std::int32_t ucasemap_utf8ToLower(const UCaseMap* map, char* dest, std::int32_t destCapacity, const char* src,
    std::int32_t srcLength, UErrorCode* status);
std::int32_t ucasemap_utf8ToUpper(const UCaseMap* map, char* dest, std::int32_t destCapacity, const char* src,
    std::int32_t srcLength, UErrorCode* status);
std::int32_t ucasemap_utf8ToTitle(UCaseMap* map, char* dest, std::int32_t destCapacity, const char* src,
    std::int32_t srcLength, UErrorCode* status);

UBreakIterator* ubrk_open(UBreakIteratorType type, const char* locale, const UChar* text,
    std::int32_t textLength, UErrorCode* status);
void ubrk_close(UBreakIterator* iterator);
void ubrk_setUText(UBreakIterator* iterator, UText* text, UErrorCode* status);
std::int32_t ubrk_next(UBreakIterator* iterator);
UText* utext_openUTF8(UText* ut, const char* s, std::int64_t length, UErrorCode* status);
UText* utext_close(UText* ut);

UCollator* ucol_open(const char* locale, UErrorCode* status);
void ucol_close(UCollator* collator);
void ucol_setStrength(UCollator* collator, UCollationStrength strength);
void ucol_setAttribute(
    UCollator* collator, UColAttribute attribute, UColAttributeValue value, UErrorCode* status);
UCollationResult ucol_strcollUTF8(const UCollator* collator, const char* source, std::int32_t sourceLength,
    const char* target, std::int32_t targetLength, UErrorCode* status);
std::int32_t ucol_getSortKey(const UCollator* collator, const UChar* source, std::int32_t sourceLength,
    std::uint8_t* result, std::int32_t resultLength);

} // namespace brindle::lazy
