#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/Result.h"

namespace brindle
{

/// An INI file held in memory, line by line, so that writing a value changes only its own line
/// and every other line (comments, foreign sections, blank lines) stays as it was.
///
/// Sections and keys are found without regard to ASCII case. With duplicates the first section
/// of a name and the first key of a name in it count, for reading and for writing alike (the
/// later ones are kept as they are, never read). Reading drops the blanks around keys and
/// values and one pair of matching quotes around a value, and cuts a value at 2047 characters.
/// A line that starts with "[" is a section header, even without its "]". Files with LF or
/// CR LF line ends are read (a UTF-8 byte order mark in front is kept); LF is written.
class IniFile
{
public:
    /// The longest value a read gives back, in bytes; a longer one is cut (never inside a
    /// UTF-8 character).
    static constexpr std::size_t kMaxValueLength = 2047;

    /// An empty file object for path; nothing is read yet.
    explicit IniFile(std::string path);

    /// Reads the file; a missing or unreadable file gives an empty one. An existing file that
    /// cannot be read is never replaced: save() then fails.
    void load();
    /// Takes the lines of text instead of reading the file.
    void setText(std::string_view text);

    const std::string& path() const { return m_path; }

    /// The value of key in section; none when the section or the key is absent.
    std::optional<std::string> readValue(std::string_view section, std::string_view key) const;
    /// The value, or def when absent. A key that is present with an empty value gives "".
    std::string readString(std::string_view section, std::string_view key, std::string_view def) const;

    /// Writes key=value: in place of the key's line, else at the end of its section, else in a
    /// new section at the end of the file. Line breaks in the value are dropped, so a value can
    /// never add lines of its own to the file. A value with blanks at either end or with
    /// matching quotes around it is written inside double quotes, so it reads back unchanged.
    void writeString(std::string_view section, std::string_view key, std::string_view value);

    /// The whole file as it would be written.
    std::string text() const;

    /// Replaces the file on disk with text(), atomically. Fails with "Unable to write to <path>"
    /// when it cannot (the old file then stays as it was).
    Result<void> save() const;

private:
    /// Index of the header line of a section, or npos.
    std::size_t findSection(std::string_view section) const;
    /// Index of the first line of key in the section whose header is at index header, or npos;
    /// end receives the index just past the section's last line.
    std::size_t findKey(std::size_t header, std::string_view key, std::size_t& end) const;

    std::string m_path;
    std::vector<std::string> m_lines;
    bool m_bom = false;
    bool m_unreadable = false;
};

/// Whether two section or key names are the same, ASCII letters compared without case.
bool sameIniName(std::string_view a, std::string_view b);

} // namespace brindle
