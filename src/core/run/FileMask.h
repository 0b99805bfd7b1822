#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brindle
{

/// A file mask: '*' stands for any run of characters, '?' for one character, "[...]" for one
/// character of a class ("[abc]", "[0-9]", "[!0-9]" or "[^0-9]" for one that is not; a ']' first
/// in the class is itself; a '[' without its ']' is itself), letters match whatever their case
/// (simple case folding), and "*.*" matches every name. Several masks match a name when any of
/// them matches it.
class FileMask
{
public:
    explicit FileMask(std::string_view mask = "*.*");
    /// Any of masks (none: "*.*").
    explicit FileMask(const std::vector<std::string>& masks);
    bool matches(std::string_view name) const;
    /// The first mask, as given.
    const std::string& text() const { return m_text; }

private:
    struct Range {
        char32_t first;
        char32_t last;
    };
    struct CharClass {
        std::vector<Range> ranges;
        bool negated = false;
    };
    void add(std::string_view mask);
    bool matchesOne(const std::vector<char32_t>& pattern, std::string_view name) const;
    bool inClass(char32_t tag, char32_t c) const;

    std::string m_text;
    bool m_all = false;
    // Folded characters; kAnyRun, kAnyOne and class tags (kClassBase + index) for the wildcards.
    std::vector<std::vector<char32_t>> m_patterns;
    std::vector<CharClass> m_classes;
};

} // namespace brindle
