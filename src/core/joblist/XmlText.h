#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brindle
{

/// The five markup characters as entities; bytes 0x00 to 0x1F dropped; every other byte,
/// 0x80 and above included, written unchanged.
std::string xmlEscape(std::string_view text);

/// Undoes the five entities, one after the other in the order &amp; &lt; &gt; &apos; &quot;,
/// each one repeated from the start of the text until none is left ("&amp;lt;" gives "<").
std::string xmlUnescape(std::string_view text);

/// name="value" followed by one blank; the value is used as it is.
std::string attributeText(std::string_view name, std::string_view value);

/// name="decimal" followed by one blank.
std::string intAttributeText(std::string_view name, std::int32_t value);

/// The text before its first blank; all of it when it holds no blank.
std::string firstWord(std::string_view text);

/// Writes job strings into the encoding a job list file declares. Each character of a string is
/// one UTF-8 sequence, or a byte that is not part of one, taken as the character of the same
/// number (U+0080 to U+00FF). The five markup characters become entities and bytes 0x00 to 0x1F
/// are dropped, as xmlEscape does; a character the encoding cannot hold is written as a
/// character reference ("&#x20AC;"); U+FFFE and U+FFFF, which XML cannot carry, are dropped. An
/// ASCII string comes out byte for byte as xmlEscape gives it.
class XmlTextEncoder
{
public:
    /// An empty name stands for UTF-8. A name the system cannot convert to, or one whose
    /// encoding does not write ASCII as itself, gets every non-ASCII character as a reference.
    explicit XmlTextEncoder(std::string_view encoding);
    ~XmlTextEncoder();
    XmlTextEncoder(const XmlTextEncoder&) = delete;
    XmlTextEncoder& operator=(const XmlTextEncoder&) = delete;

    /// The escaped and encoded string, ready to stand between the quotes of an attribute.
    std::string escape(std::string_view text) const;

    /// Whether the system converts into the encoding (UTF-8 included) with ASCII as itself.
    bool converts() const { return m_utf8 || m_cd != nullptr; }

private:
    void appendEncoded(std::string_view utf8, std::string& out) const;

    void* m_cd = nullptr; // iconv_t
    bool m_utf8 = false;
};

} // namespace brindle
