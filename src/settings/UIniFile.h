#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle
{

/// An INI file held in memory, line by line, so that writing a value changes only its own line
/// and every other line (comments, foreign sections, blank lines) stays as it was.
///
/// Sections and keys are found without regard to ASCII case; the first match counts. Reading
/// drops the blanks around keys and values and one pair of matching quotes around a value, and
/// cuts a value at 2047 characters. Files with LF or CR LF line ends are read; LF is written.
class TIniFile
{
public:
    /// The longest value a read gives back, in bytes; a longer one is cut (never inside a
    /// UTF-8 character).
    static constexpr std::size_t kMaxValueLength = 2047;

    /// An empty file object for path; nothing is read yet.
    explicit TIniFile(std::string path);

    /// Reads the file; a missing or unreadable file gives an empty one.
    void Load();
    /// Takes the lines of text instead of reading the file.
    void SetText(std::string_view text);

    const std::string& Path() const { return m_path; }

    /// The value of key in section; none when the section or the key is absent.
    std::optional<std::string> ReadValue(std::string_view section, std::string_view key) const;
    /// The value, or def when absent. A key that is present with an empty value gives "".
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;

    /// Writes key=value: in place of the key's line, else at the end of its section, else in a
    /// new section at the end of the file. Line breaks in the value are dropped, so a value can
    /// never add lines of its own to the file.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

    /// The whole file as it would be written.
    std::string Text() const;

    /// Replaces the file on disk with Text(), atomically. Throws EBrindleError
    /// "Unable to write to <path>" when it cannot.
    void Save() const;

private:
    /// Index of the header line of a section, or npos.
    std::size_t findSection(std::string_view section) const;
    /// Index just past the last line of the section whose header is at index header.
    std::size_t sectionEnd(std::size_t header) const;

    std::string m_path;
    std::vector<std::string> m_lines;
};

} // namespace brindle
