#include "settings/UIniFile.h"

#include "app/UErrors.h"
#include "app/UFileUtil.h"
#include "jobs/zmStringUtil.h"

namespace brindle
{

namespace
{

constexpr std::string_view kBlanks = " \t";

std::string_view trim(std::string_view s)
{
    const std::size_t b = s.find_first_not_of(kBlanks);
    if (b == std::string_view::npos)
        return {};
    const std::size_t e = s.find_last_not_of(kBlanks);
    return s.substr(b, e - b + 1);
}

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && LowerCase(a) == LowerCase(b);
}

/// The section named by a header line ("[name]"), or none when the line is no header. A header
/// without its closing bracket names the rest of the line.
std::optional<std::string_view> headerName(std::string_view line)
{
    line = trim(line);
    if (!line.starts_with('['))
        return std::nullopt;
    line.remove_prefix(1);
    const std::size_t close = line.find(']');
    return trim(close == std::string_view::npos ? line : line.substr(0, close));
}

/// The key of a key=value line, or none when the line has no equals sign.
std::optional<std::string_view> keyOf(std::string_view line)
{
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return trim(line.substr(0, eq));
}

std::string unquote(std::string_view value)
{
    value = trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() > TIniFile::kMaxValueLength) {
        std::size_t cut = TIniFile::kMaxValueLength;
        while (cut > 0 && !IsCharBoundary(value, cut))
            --cut;
        value = value.substr(0, cut);
    }
    return std::string(value);
}

} // namespace

TIniFile::TIniFile(std::string path)
    : m_path(std::move(path))
{
}

void TIniFile::Load()
{
    std::string text;
    if (!ReadWholeFile(m_path, text))
        text.clear();
    SetText(text);
}

void TIniFile::SetText(std::string_view text)
{
    m_lines.clear();
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        m_lines.emplace_back(line);
        if (nl == std::string_view::npos)
            break;
        text.remove_prefix(nl + 1);
    }
}

std::size_t TIniFile::findSection(std::string_view section) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const auto name = headerName(m_lines[i]);
        if (name && sameName(*name, section))
            return i;
    }
    return std::string::npos;
}

std::size_t TIniFile::sectionEnd(std::size_t header) const
{
    std::size_t i = header + 1;
    while (i < m_lines.size() && !headerName(m_lines[i]))
        ++i;
    return i;
}

std::optional<std::string> TIniFile::ReadValue(std::string_view section, std::string_view key) const
{
    const std::size_t header = findSection(section);
    if (header == std::string::npos)
        return std::nullopt;
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const auto k = keyOf(m_lines[i]);
        if (k && sameName(*k, key))
            return unquote(std::string_view(m_lines[i]).substr(m_lines[i].find('=') + 1));
    }
    return std::nullopt;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const
{
    auto value = ReadValue(section, key);
    return value ? std::move(*value) : std::string(def);
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    std::string line(key);
    line += '=';
    for (const char c : value) {
        if (c != '\n' && c != '\r')
            line += c;
    }
    const std::size_t header = findSection(section);
    if (header == std::string::npos) {
        m_lines.push_back("[" + std::string(section) + "]");
        m_lines.push_back(std::move(line));
        return;
    }
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const auto k = keyOf(m_lines[i]);
        if (k && sameName(*k, key)) {
            m_lines[i] = std::move(line);
            return;
        }
    }
    // After the section's last non-blank line, so the blank line before the next section stays.
    std::size_t at = end;
    while (at > header + 1 && trim(m_lines[at - 1]).empty())
        --at;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

std::string TIniFile::Text() const
{
    std::string text;
    for (const std::string& line : m_lines) {
        text += line;
        text += '\n';
    }
    return text;
}

void TIniFile::Save() const
{
    if (!WriteFileAtomically(m_path, Text()))
        throw EBrindleError("Unable to write to " + m_path);
}

} // namespace brindle
