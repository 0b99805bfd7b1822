#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brindle
{

/// The five markup characters as entities; bytes 0x00 to 0x1F dropped; every other byte,
/// 0x80 and above included, written unchanged.
std::string XmlEscape(std::string_view text);

/// Undoes the five entities, one after the other in the order &amp; &lt; &gt; &apos; &quot;,
/// each one repeated from the start of the text until none is left ("&amp;lt;" gives "<").
std::string XmlUnescape(std::string_view text);

/// name="value" followed by one blank; the value is used as it is.
std::string XmlAttr(std::string_view name, std::string_view value);

/// name="decimal" followed by one blank.
std::string XmlIntAttr(std::string_view name, std::int32_t value);

/// The text before its first blank; all of it when it holds no blank.
std::string FirstWord(std::string_view text);

/// Turns the parser's UTF-8 text back into the bytes of a file's declared encoding, so that a
/// job string comes back byte for byte whatever label the file carries. An empty name, UTF-8,
/// an encoding that is not a superset of ASCII and a name unknown to the system all keep the
/// text as UTF-8.
class TXmlTextCodec
{
public:
    explicit TXmlTextCodec(std::string_view encoding);
    ~TXmlTextCodec();
    TXmlTextCodec(const TXmlTextCodec&) = delete;
    TXmlTextCodec& operator=(const TXmlTextCodec&) = delete;

    std::string FromUtf8(std::string_view utf8) const;

    /// Whether the text is converted at all (false: UTF-8 is kept).
    bool Converts() const { return m_cd != nullptr; }

private:
    void* m_cd = nullptr; // iconv_t
};

} // namespace brindle
