#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct pcre2_real_code_8;

namespace brindle
{

/// A regular-expression replace, compiled once: a PCRE2 pattern in UTF mode that also matches
/// in names holding invalid UTF-8 (a match never covers such a byte), Unicode letter classes
/// (\w matches 'é'), letter case ignored unless matchCase, and a replacement in PCRE2's extended
/// syntax ($1, ${1}, ${name}, $$, \U, \L, \u, \l, \E). The object never changes after it is made,
/// so copies of a job and other threads share it.
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

    /// Apply, with the reason when the replace could not be made for this name: the matching
    /// of the whole name, every match of it together, has one budget of work (kStepBudget steps
    /// of the pattern), so no name takes long whatever the pattern and the name.
    bool apply(std::string& name, std::string& failure) const;

    /// The steps of the pattern (items tried, backtracking included) one name may take.
    static constexpr std::uint32_t kStepBudget = 2'000'000;

private:
    std::string m_pattern;
    std::string m_replacement;
    bool m_matchCase;
    std::string m_error;
    pcre2_real_code_8* m_code = nullptr;
};

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
