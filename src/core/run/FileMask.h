#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brindle
{

/// A file mask: '*' stands for any run of characters, '?' for one character, letters match
/// whatever their case (simple case folding), and "*.*" matches every name.
class FileMask
{
public:
    explicit FileMask(std::string_view mask = "*.*");
    bool matches(std::string_view name) const;
    const std::string& text() const { return m_text; }

private:
    std::string m_text;
    bool m_all = false;
    std::vector<char32_t> m_pattern; // folded characters; kAnyRun and kAnyOne for the wildcards
};

} // namespace brindle
