#include "joblist/zmXMLUtil.h"

#include <iconv.h>

#include <array>
#include <cerrno>

#include "jobs/zmStringUtil.h"

namespace brindle
{

std::string XmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
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

std::string XmlUnescape(std::string_view text)
{
    std::string out = replaceAmp(text);
    out = replaceEntity(out, "&lt;", '<');
    out = replaceEntity(out, "&gt;", '>');
    out = replaceEntity(out, "&apos;", '\'');
    out = replaceEntity(out, "&quot;", '"');
    return out;
}

std::string XmlAttr(std::string_view name, std::string_view value)
{
    std::string out;
    out.reserve(name.size() + value.size() + 4);
    out += name;
    out += "=\"";
    out += value;
    out += "\" ";
    return out;
}

std::string XmlIntAttr(std::string_view name, std::int32_t value)
{
    return XmlAttr(name, std::to_string(value));
}

std::string FirstWord(std::string_view text)
{
    return std::string(text.substr(0, text.find(' ')));
}

TXmlTextCodec::TXmlTextCodec(std::string_view encoding)
{
    const std::string name = UpperCase(encoding);
    if (name.empty() || name == "UTF-8" || name == "UTF8")
        return;
    iconv_t cd = iconv_open(name.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return;
    m_cd = cd;
    // An encoding that does not write ASCII as itself (UTF-16, UCS-4, ...) would turn names
    // into bytes no file system takes; such files keep their text as UTF-8.
    if (FromUtf8("Az09._-") != "Az09._-") {
        iconv_close(cd);
        m_cd = nullptr;
    }
}

TXmlTextCodec::~TXmlTextCodec()
{
    if (m_cd)
        iconv_close(static_cast<iconv_t>(m_cd));
}

std::string TXmlTextCodec::FromUtf8(std::string_view utf8) const
{
    if (!m_cd)
        return std::string(utf8);
    auto cd = static_cast<iconv_t>(m_cd);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    std::array<char, 256> buf;
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    while (true) {
        char* outPtr = buf.data();
        std::size_t outLeft = buf.size();
        const bool flushing = inLeft == 0;
        const std::size_t r = flushing ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                                       : iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buf.data(), static_cast<std::size_t>(outPtr - buf.data()));
        if (r != static_cast<std::size_t>(-1)) {
            if (flushing)
                break;
            continue;
        }
        if (errno == E2BIG)
            continue;
        // A character the encoding cannot hold (a reference to it in a hand-made file): keep
        // its UTF-8 bytes rather than lose it.
        const std::size_t len = CharLen(std::string_view(in, inLeft), 0);
        out.append(in, len);
        in += len;
        inLeft -= len;
    }
    return out;
}

} // namespace brindle
