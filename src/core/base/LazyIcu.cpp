#include "core/base/LazyIcu.h"

#include <unicode/uvernum.h>

#include <cstdio>
#include <cstdlib>

#include "core/base/SharedLibrary.h"

// ICU's headers rename every C function after the version (u_foldCase is u_foldCase_72): the
// name is taken after that renaming, which is the name the library exports.
#define BRINDLE_SYMBOL_NAME(name) BRINDLE_SYMBOL_NAME_TEXT(name)
#define BRINDLE_SYMBOL_NAME_TEXT(name) #name

// The functions of each library, named as the headers name them.
#define BRINDLE_ICU_UC_FUNCTIONS(X)                                                                          \
    X(u_foldCase)                                                                                            \
    X(u_toupper)                                                                                             \
    X(u_charType)                                                                                            \
    X(u_getIntPropertyValue)                                                                                 \
    X(u_strFromUTF8WithSub)                                                                                  \
    X(ucasemap_open)                                                                                         \
    X(ucasemap_close)                                                                                        \
    X(ucasemap_utf8ToLower)                                                                                  \
    X(ucasemap_utf8ToUpper)                                                                                  \
    X(ucasemap_utf8ToTitle)                                                                                  \
    X(ubrk_open)                                                                                             \
    X(ubrk_close)                                                                                            \
    X(ubrk_setUText)                                                                                         \
    X(ubrk_next)                                                                                             \
    X(utext_openUTF8)                                                                                        \
    X(utext_close)
#define BRINDLE_ICU_I18N_FUNCTIONS(X)                                                                        \
    X(ucol_open)                                                                                             \
    X(ucol_close)                                                                                            \
    X(ucol_setStrength)                                                                                      \
    X(ucol_setAttribute)                                                                                     \
    X(ucol_strcollUTF8)                                                                                      \
    X(ucol_getSortKey)

namespace brindle::lazy
{

namespace
{

/// ICU's two libraries and their functions, loaded once and kept for the life of the process
/// (never closed: a worker thread may still be inside ICU while the program ends).
struct Icu {
    SharedLibrary uc {"libicuuc.so." U_ICU_VERSION_SHORT};
    SharedLibrary i18n {"libicui18n.so." U_ICU_VERSION_SHORT};
#define BRINDLE_MEMBER(name) decltype(&::name) name = nullptr;
    BRINDLE_ICU_UC_FUNCTIONS(BRINDLE_MEMBER)
    BRINDLE_ICU_I18N_FUNCTIONS(BRINDLE_MEMBER)
#undef BRINDLE_MEMBER
};

[[noreturn]] void stop(const char* library, const std::string& reason)
{
    std::fprintf(stderr, "brindlewick: %s cannot be loaded: %s\n", library, reason.c_str());
    std::_Exit(127);
}

const Icu* loadIcu()
{
    auto* icu = new Icu;
    if (!icu->uc.valid())
        stop("ICU", icu->uc.error());
    if (!icu->i18n.valid())
        stop("ICU", icu->i18n.error());
#define BRINDLE_RESOLVE(library, name)                                                                       \
    if (!icu->library.resolve(BRINDLE_SYMBOL_NAME(name), icu->name))                                         \
        stop("ICU", icu->library.error());
#define BRINDLE_RESOLVE_UC(name) BRINDLE_RESOLVE(uc, name)
#define BRINDLE_RESOLVE_I18N(name) BRINDLE_RESOLVE(i18n, name)
    BRINDLE_ICU_UC_FUNCTIONS(BRINDLE_RESOLVE_UC)
    BRINDLE_ICU_I18N_FUNCTIONS(BRINDLE_RESOLVE_I18N)
#undef BRINDLE_RESOLVE_I18N
#undef BRINDLE_RESOLVE_UC
#undef BRINDLE_RESOLVE
    return icu;
}

const Icu& icu()
{
    static const Icu* const functions = loadIcu();
    return *functions;
}

} // namespace

UChar32 u_foldCase(UChar32 c, std::uint32_t options)
{
    return icu().u_foldCase(c, options);
}

UChar32 u_toupper(UChar32 c)
{
    return icu().u_toupper(c);
}

std::int8_t u_charType(UChar32 c)
{
    return icu().u_charType(c);
}

std::int32_t u_getIntPropertyValue(UChar32 c, UProperty which)
{
    return icu().u_getIntPropertyValue(c, which);
}

UChar* u_strFromUTF8WithSub(UChar* dest, std::int32_t destCapacity, std::int32_t* destLength, const char* src,
    std::int32_t srcLength, UChar32 subchar, std::int32_t* numSubstitutions, UErrorCode* status)
{
    return icu().u_strFromUTF8WithSub(
        dest, destCapacity, destLength, src, srcLength, subchar, numSubstitutions, status);
}

UCaseMap* ucasemap_open(const char* locale, std::uint32_t options, UErrorCode* status)
{
    return icu().ucasemap_open(locale, options, status);
}

void ucasemap_close(UCaseMap* map)
{
    icu().ucasemap_close(map);
}

std::int32_t ucasemap_utf8ToLower(const UCaseMap* map, char* dest, std::int32_t destCapacity, const char* src,
    std::int32_t srcLength, UErrorCode* status)
{
    return icu().ucasemap_utf8ToLower(map, dest, destCapacity, src, srcLength, status);
}

std::int32_t ucasemap_utf8ToUpper(const UCaseMap* map, char* dest, std::int32_t destCapacity, const char* src,
    std::int32_t srcLength, UErrorCode* status)
{
    return icu().ucasemap_utf8ToUpper(map, dest, destCapacity, src, srcLength, status);
}

std::int32_t ucasemap_utf8ToTitle(UCaseMap* map, char* dest, std::int32_t destCapacity, const char* src,
    std::int32_t srcLength, UErrorCode* status)
{
    return icu().ucasemap_utf8ToTitle(map, dest, destCapacity, src, srcLength, status);
}

UBreakIterator* ubrk_open(UBreakIteratorType type, const char* locale, const UChar* text,
    std::int32_t textLength, UErrorCode* status)
{
    return icu().ubrk_open(type, locale, text, textLength, status);
}

void ubrk_close(UBreakIterator* iterator)
{
    icu().ubrk_close(iterator);
}

void ubrk_setUText(UBreakIterator* iterator, UText* text, UErrorCode* status)
{
    icu().ubrk_setUText(iterator, text, status);
}

std::int32_t ubrk_next(UBreakIterator* iterator)
{
    return icu().ubrk_next(iterator);
}

UText* utext_openUTF8(UText* ut, const char* s, std::int64_t length, UErrorCode* status)
{
    return icu().utext_openUTF8(ut, s, length, status);
}

UText* utext_close(UText* ut)
{
    return icu().utext_close(ut);
}

UCollator* ucol_open(const char* locale, UErrorCode* status)
{
    return icu().ucol_open(locale, status);
}

void ucol_close(UCollator* collator)
{
    icu().ucol_close(collator);
}

void ucol_setStrength(UCollator* collator, UCollationStrength strength)
{
    icu().ucol_setStrength(collator, strength);
}

void ucol_setAttribute(
    UCollator* collator, UColAttribute attribute, UColAttributeValue value, UErrorCode* status)
{
    icu().ucol_setAttribute(collator, attribute, value, status);
}

UCollationResult ucol_strcollUTF8(const UCollator* collator, const char* source, std::int32_t sourceLength,
    const char* target, std::int32_t targetLength, UErrorCode* status)
{
    return icu().ucol_strcollUTF8(collator, source, sourceLength, target, targetLength, status);
}

std::int32_t ucol_getSortKey(const UCollator* collator, const UChar* source, std::int32_t sourceLength,
    std::uint8_t* result, std::int32_t resultLength)
{
    return icu().ucol_getSortKey(collator, source, sourceLength, result, resultLength);
}

} // namespace brindle::lazy
