#include "core/joblist/XmlText.h"

#include <iconv.h>

#include <array>
#include <cstdio>

#include "core/jobs/Utf8Chars.h"
#include "core/jobs/CaseMapping.h"

namespace brindle
{

namespace
{

/// One byte as xmlEscape writes it.
void appendEscaped(char c, std::string& out)
{
    switch (c) {
    case '&':
        out += "&amp;";
        break;
    case '<':
        out += "&lt;";
        break;
    case '>':
        out += "&gt;";
        break;
    case '\'':
        out += "&apos;";
        break;
    case '"':
        out += "&quot;";
        break;
    default:
        if (static_cast<unsigned char>(c) >= 0x20)
            out += c;
        break;
    }
}

} // namespace

std::string xmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        appendEscaped(c, out);
    return out;
}

namespace
{

/// Replaces every occurrence of entity by ch, left to right. The replacement character never
/// forms part of a later entity, so one pass gives the same text as restarting from the start.
std::string replaceEntity(std::string_view text, std::string_view entity, char ch)
{
    std::string out;
    out.reserve(text.size());
    std::size_t done = 0;
    for (std::size_t p = text.find(entity); p != std::string_view::npos; p = text.find(entity, done)) {
        out.append(text, done, p - done);
        out += ch;
        done = p + entity.size();
    }
    out.append(text, done);
    return out;
}

/// "&amp;" is the one entity whose replacement can start a new occurrence: the new "&"
/// followed by "amp;" is "&amp;" again, so each "&amp;" swallows the "amp;" runs after it.
std::string replaceAmp(std::string_view text)
{
    static constexpr std::string_view kTail = "amp;";
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '&' && text.substr(i + 1, kTail.size()) == kTail) {
            i += 1 + kTail.size();
            while (text.substr(i, kTail.size()) == kTail)
                i += kTail.size();
            out += '&';
        } else {
            out += text[i++];
        }
    }
    return out;
}

} // namespace

std::string xmlUnescape(std::string_view text)
{
    std::string out = replaceAmp(text);
    out = replaceEntity(out, "&lt;", '<');
    out = replaceEntity(out, "&gt;", '>');
    out = replaceEntity(out, "&apos;", '\'');
    out = replaceEntity(out, "&quot;", '"');
    return out;
}

std::string attributeText(std::string_view name, std::string_view value)
{
    std::string out;
    out.reserve(name.size() + value.size() + 4);
    out += name;
    out += "=\"";
    out += value;
    out += "\" ";
    return out;
}

std::string intAttributeText(std::string_view name, std::int32_t value)
{
    return attributeText(name, std::to_string(value));
}

std::string firstWord(std::string_view text)
{
    return std::string(text.substr(0, text.find(' ')));
}

namespace
{

/// The character of the well-formed UTF-8 sequence of len bytes at s[i].
char32_t decodeUtf8(std::string_view s, std::size_t i, std::size_t len)
{
    const auto byte
        = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[i + k])); };
    switch (len) {
    case 1:
        return byte(0);
    case 2:
        return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    case 3:
        return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    default:
        return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6)
            | (byte(3) & 0x3F);
    }
}

void appendReference(char32_t ch, std::string& out)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "&#x%X;", static_cast<unsigned>(ch));
    out += buf;
}

} // namespace

XmlTextEncoder::XmlTextEncoder(std::string_view encoding)
{
    const std::string name = upperCase(encoding);
    if (name.empty() || name == "UTF-8" || name == "UTF8") {
        m_utf8 = true;
        return;
    }
    iconv_t cd = iconv_open(std::string(encoding).c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return;
    m_cd = cd;
    // The markup around the strings is ASCII: an encoding that does not write ASCII as itself
    // (UTF-16, EBCDIC, ...) cannot be used for the strings either.
    std::string ascii;
    for (char c = 0x20; c < 0x7F; ++c)
        ascii += c;
    std::string written;
    appendEncoded(ascii, written);
    if (written != ascii) {
        iconv_close(cd);
        m_cd = nullptr;
    }
}

XmlTextEncoder::~XmlTextEncoder()
{
    if (m_cd)
        iconv_close(static_cast<iconv_t>(m_cd));
}

std::string XmlTextEncoder::escape(std::string_view text) const
{
    // 1. Escape the markup characters, drop the control bytes and turn every stray byte into its
    //    character, giving well-formed UTF-8.
    std::string utf8;
    utf8.reserve(text.size());
    bool ascii = true;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = charLen(text, i);
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            appendEscaped(text[i], utf8);
        } else if (len == 1) {
            ascii = false;
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            ascii = false;
            const char32_t ch = decodeUtf8(text, i, len);
            if (ch != 0xFFFE && ch != 0xFFFF)
                utf8.append(text, i, len);
        }
        i += len;
    }
    if (ascii || m_utf8)
        return utf8;
    // 2. Into the file's encoding.
    std::string out;
    out.reserve(utf8.size());
    appendEncoded(utf8, out);
    return out;
}

void XmlTextEncoder::appendEncoded(std::string_view utf8, std::string& out) const
{
    if (!m_cd) {
        for (std::size_t i = 0; i < utf8.size();) {
            const std::size_t len = charLen(utf8, i);
            if (len == 1)
                out += utf8[i];
            else
                appendReference(decodeUtf8(utf8, i, len), out);
            i += len;
        }
        return;
    }
    const auto cd = static_cast<iconv_t>(m_cd);
    std::array<char, 32> buf;
    // Back to the initial shift state (ISO-2022-JP), so that ASCII or a reference may follow.
    const auto toInitialState = [&] {
        char* o = buf.data();
        std::size_t left = buf.size();
        iconv(cd, nullptr, nullptr, &o, &left);
        out.append(buf.data(), static_cast<std::size_t>(o - buf.data()));
    };
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    // One character at a time, so that one the encoding cannot hold, or holds only
    // approximately, is known and written as a reference instead.
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t len = charLen(utf8, i);
        char* in = const_cast<char*>(utf8.data() + i);
        std::size_t inLeft = len;
        char* o = buf.data();
        std::size_t outLeft = buf.size();
        const std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        if (r == 0 && inLeft == 0) {
            out.append(buf.data(), static_cast<std::size_t>(o - buf.data()));
        } else {
            toInitialState();
            appendReference(decodeUtf8(utf8, i, len), out);
        }
        i += len;
    }
    toInitialState();
}

} // namespace brindle
