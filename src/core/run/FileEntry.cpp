#include "core/run/FileEntry.h"

#include "core/run/FileDates.h"

namespace brindle
{

std::string FileEntry::displayText() const
{
    std::string out = formatDate(date);
    out += ' ';
    out += name;
    return out;
}

void NameList::clear()
{
    m_bytes.clear();
    m_ends.clear();
}

void NameList::push_back(std::string_view name)
{
    m_bytes.append(name);
    m_ends.push_back(static_cast<std::uint32_t>(m_bytes.size()));
}

std::string_view NameList::operator[](std::size_t i) const
{
    const std::uint32_t start = i == 0 ? 0 : m_ends[i - 1];
    return std::string_view(m_bytes).substr(start, m_ends[i] - start);
}

} // namespace brindle
