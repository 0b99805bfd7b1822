#include "core/settings/IniFile.h"

#include <cerrno>

#include "core/base/FileIo.h"
#include "core/jobs/Utf8Chars.h"

namespace brindle
{

namespace
{

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Plain loops rather than find_first_not_of: these run over every line of the file for each
// lookup, and a large hand-grown file should not make start-up slow.
std::string_view trim(std::string_view s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

/// The section named by a header line ("[name]"), or none when the line is no header. A header
/// without its closing bracket names the rest of the line.
std::optional<std::string_view> headerName(std::string_view line)
{
    std::size_t b = 0;
    while (b < line.size() && isBlank(line[b]))
        ++b;
    if (b == line.size() || line[b] != '[')
        return std::nullopt;
    line.remove_prefix(b + 1);
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

bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

/// Whether reading would change the value: blanks at either end, or a pair of matching quotes
/// around it.
bool needsQuotes(std::string_view value)
{
    if (value.empty())
        return false;
    if (isBlank(value.front()) || isBlank(value.back()))
        return true;
    return value.size() >= 2 && isQuote(value.front()) && value.back() == value.front();
}

std::string unquote(std::string_view value)
{
    value = trim(value);
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() > IniFile::kMaxValueLength) {
        std::size_t cut = IniFile::kMaxValueLength;
        while (cut > 0 && !isCharBoundary(value, cut))
            --cut;
        value = value.substr(0, cut);
    }
    return std::string(value);
}

} // namespace

bool sameIniName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

IniFile::IniFile(std::string path)
    : m_path(std::move(path))
{
}

void IniFile::load()
{
    std::string text;
    // A missing file is a fresh start. One that exists but cannot be read (a folder, no
    // permission, a loop of links) must not be replaced by a file holding only our values.
    const SysError e = readWholeFile(m_path, text);
    m_unreadable = e && e != ENOENT;
    if (e)
        text.clear();
    setText(text);
}

void IniFile::setText(std::string_view text)
{
    m_lines.clear();
    // A byte order mark that an editor put in front is kept for writing but is no part of the
    // first line, which may be a section header.
    m_bom = text.starts_with(kUtf8Bom);
    if (m_bom)
        text.remove_prefix(kUtf8Bom.size());
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        // CR LF ends a line like LF. Every CR before the LF goes, so that a file of stray
        // "CR CR LF" ends reads the same once it has been written with LF ends.
        while (line.ends_with('\r'))
            line.remove_suffix(1);
        m_lines.emplace_back(line);
        if (nl == std::string_view::npos)
            break;
        text.remove_prefix(nl + 1);
    }
}

std::size_t IniFile::findSection(std::string_view section) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const auto name = headerName(m_lines[i]);
        if (name && sameIniName(*name, section))
            return i;
    }
    return std::string::npos;
}

std::size_t IniFile::findKey(std::size_t header, std::string_view key, std::size_t& end) const
{
    std::size_t found = std::string::npos;
    std::size_t i = header + 1;
    for (; i < m_lines.size(); ++i) {
        if (headerName(m_lines[i]))
            break;
        if (found == std::string::npos) {
            const auto k = keyOf(m_lines[i]);
            if (k && sameIniName(*k, key))
                found = i;
        }
    }
    end = i;
    return found;
}

std::optional<std::string> IniFile::readValue(std::string_view section, std::string_view key) const
{
    const std::size_t header = findSection(section);
    if (header == std::string::npos)
        return std::nullopt;
    std::size_t end = 0;
    const std::size_t at = findKey(header, key, end);
    if (at == std::string::npos)
        return std::nullopt;
    return unquote(std::string_view(m_lines[at]).substr(m_lines[at].find('=') + 1));
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view def) const
{
    auto value = readValue(section, key);
    return value ? std::move(*value) : std::string(def);
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    std::string clean;
    clean.reserve(value.size() + 2);
    for (const char c : value) {
        if (c != '\n' && c != '\r')
            clean += c;
    }
    std::string line(key);
    line += '=';
    if (needsQuotes(clean)) {
        // Reading drops one pair of quotes, so the value comes back exactly as written.
        line += '"';
        line += clean;
        line += '"';
    } else {
        line += clean;
    }

    const std::size_t header = findSection(section);
    if (header == std::string::npos) {
        std::string head(1, '[');
        head += section;
        head += ']';
        m_lines.push_back(std::move(head));
        m_lines.push_back(std::move(line));
        return;
    }
    std::size_t end = 0;
    const std::size_t at = findKey(header, key, end);
    if (at != std::string::npos) {
        m_lines[at] = std::move(line);
        return;
    }
    // After the section's last non-blank line, so the blank line before the next section stays.
    std::size_t pos = end;
    while (pos > header + 1 && trim(m_lines[pos - 1]).empty())
        --pos;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(pos), std::move(line));
}

std::string IniFile::text() const
{
    std::size_t size = m_bom ? kUtf8Bom.size() : 0;
    for (const std::string& line : m_lines)
        size += line.size() + 1;
    std::string text;
    text.reserve(size);
    if (m_bom)
        text += kUtf8Bom;
    for (const std::string& line : m_lines) {
        text += line;
        text += '\n';
    }
    return text;
}

Result<void> IniFile::save() const
{
    if (m_unreadable || writeFileAtomically(m_path, text()))
        return Error {"Unable to write to " + m_path};
    return {};
}

} // namespace brindle
