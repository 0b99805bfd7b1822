#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct pcre2_real_code_8;

namespace brindle
{

/// A regular-expression replace, compiled once: a PCRE2 pattern in UTF mode that also matches
/// in names holding invalid UTF-8 (a match never covers such a byte), Unicode letter classes
/// (\w matches 'é' and, as in perl, combining marks; \W and \b agree), letter case ignored unless
/// matchCase, and a replacement in PCRE2's extended syntax ($1, ${1}, ${name}, $$) whose case
/// escapes \U, \L, \u, \l, \E work as perl's do, with Unicode's full case mapping (the mapping of
/// the case jobs: ß upper-cased is SS), \u\L$1 and \L\u$1 title-casing the group. The object
/// never changes after it is made, so copies of a job and other threads share it.
class RegexReplace
{
public:
    /// Compiles pattern and checks replacement against the pattern's groups. A pattern that does
    /// not compile or a replacement that cannot be used gives an object whose Error() says why.
    RegexReplace(std::string_view pattern, std::string_view replacement, bool matchCase);
    ~RegexReplace();
    RegexReplace(const RegexReplace&) = delete;
    RegexReplace& operator=(const RegexReplace&) = delete;

    /// Whether this object was made from these values.
    bool isFor(std::string_view pattern, std::string_view replacement, bool matchCase) const;

    /// Empty when the pattern and the replacement are usable; otherwise the compiler's message
    /// with the character offset ("missing closing parenthesis at offset 4").
    const std::string& error() const { return m_error; }

    /// Replaces every match in name, left to right, matches not overlapping. Returns whether
    /// anything was replaced. An unusable pattern, or a match that fails on one of the library's
    /// limits, leaves name as it is.
    bool apply(std::string& name) const;

    /// One piece of a replacement with case escapes.
    struct Piece {
        enum class Kind : std::uint8_t { Text, Group, Upper, Lower, End, UpperFirst, LowerFirst };
        Kind kind = Kind::Text;
        std::string text;
        std::uint32_t group = 0;
    };

    /// Apply, with the reason when the replace could not be made for this name: the matching
    /// of the whole name, every match of it together, has one budget of work (kStepBudget steps
    /// of the pattern), so no name takes long whatever the pattern and the name.
    bool apply(std::string& name, std::string& failure) const;

    /// The steps of the pattern (items tried, backtracking included) one name may take.
    static constexpr std::uint32_t kStepBudget = 2'000'000;

private:
    bool applyWithCase(std::string& name, std::string& failure) const;

    std::string m_pattern;
    std::string m_replacement;
    bool m_matchCase;
    std::string m_error;
    pcre2_real_code_8* m_code = nullptr;
    /// The replacement in pieces when it holds case escapes (which PCRE2 maps one character to
    /// one, and not as perl combines them); empty otherwise.
    std::vector<Piece> m_pieces;
};

/// The pattern as compiled: \w, \W, \b and \B outside \Q...\E written as Unicode property classes
/// that take in combining marks (Mn) and connector punctuation (Pc) as perl's \w does; \w inside a
/// class likewise. Every other part of the pattern is left as it is.
std::string widenWordEscapes(std::string_view pattern);

/// The compiled replace of one job, made at its first use and kept for every later name. Copies
/// of a job share it; a job whose strings or case option change makes it anew. Safe to use from
/// several threads at once.
class RegexSlot
{
public:
    RegexSlot() = default;
    // Copying shares the compiled replace; noexcept, so that lists of jobs move their jobs.
    RegexSlot(const RegexSlot& other) noexcept;
    RegexSlot& operator=(const RegexSlot& other) noexcept;
    ~RegexSlot();

    /// The compiled replace for these values, compiled now when the slot holds none for them.
    std::shared_ptr<const RegexReplace> get(
        std::string_view pattern, std::string_view replacement, bool matchCase) const;

    /// A cache is no part of a job's value.
    bool operator==(const RegexSlot&) const { return true; }

private:
    mutable std::atomic<std::shared_ptr<const RegexReplace>> m_compiled;
};

} // namespace brindle
