#include "cli/CliOutput.h"

#include "cli/CliTerminal.h"
#include "core/base/JsonText.h"

namespace brindle
{

namespace
{

/// The length of the UTF-8 sequence at s[i] and its code point, or 0 for a byte outside one.
std::size_t decode(std::string_view s, std::size_t i, char32_t& cp)
{
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t len = c < 0x80   ? 1
        : c >= 0xC2 && c <= 0xDF ? 2
        : c >= 0xE0 && c <= 0xEF ? 3
        : c >= 0xF0 && c <= 0xF4 ? 4
                                 : 0;
    if (len == 0 || s.size() - i < len || !isUtf8Text(s.substr(i, len)))
        return 0;
    cp = len == 1 ? c : c & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    return len;
}

bool isBidiControl(char32_t cp)
{
    return cp == 0x061C || cp == 0x200E || cp == 0x200F || (cp >= 0x202A && cp <= 0x202E)
        || (cp >= 0x2066 && cp <= 0x2069);
}

/// Whether the character must be escaped: a control character (C0, DEL, C1) or a bidirectional
/// control.
bool mustEscape(char32_t cp)
{
    return cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp <= 0x9F) || isBidiControl(cp);
}

constexpr char kHex[] = "0123456789abcdef";

void appendByteEscape(std::string& out, unsigned char b)
{
    out += "\\x";
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
}

/// Appends the escape of one character or byte: \n, \t, \r, \xHH, \uHHHH.
void appendEscape(std::string& out, char32_t cp)
{
    switch (cp) {
    case '\n':
        out += "\\n";
        return;
    case '\t':
        out += "\\t";
        return;
    case '\r':
        out += "\\r";
        return;
    default:
        break;
    }
    if (cp < 0x80) {
        appendByteEscape(out, static_cast<unsigned char>(cp));
        return;
    }
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(cp >> shift) & 0xF];
}

bool needsEscapes(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp = 0;
        const std::size_t len = decode(s, i, cp);
        if (len == 0 || mustEscape(cp))
            return true;
        i += len;
    }
    return false;
}

/// Whether the shell would read a character of the name as more than itself.
bool needsQuotes(std::string_view s)
{
    constexpr std::string_view kSpecial = " \t!\"#$&'()*;<=>?[\\]^`{|}";
    if (s.empty())
        return true;
    if (s.front() == '~')
        return true;
    return s.find_first_of(kSpecial) != std::string_view::npos;
}

} // namespace

std::string shownName(std::string_view name, NameStyle style)
{
    if (style == NameStyle::Raw)
        return std::string(name);
    if (needsEscapes(name)) {
        std::string out = "$'";
        for (std::size_t i = 0; i < name.size();) {
            char32_t cp = 0;
            const std::size_t len = decode(name, i, cp);
            if (len == 0) {
                appendByteEscape(out, static_cast<unsigned char>(name[i]));
                ++i;
                continue;
            }
            if (mustEscape(cp))
                appendEscape(out, cp);
            else if (cp == '\'' || cp == '\\')
                out.append("\\").append(1, static_cast<char>(cp));
            else
                out.append(name.substr(i, len));
            i += len;
        }
        out += '\'';
        return out;
    }
    if (style == NameStyle::Terminal && needsQuotes(name)) {
        std::string out = "'";
        for (const char c : name) {
            if (c == '\'')
                out += "'\\''";
            else
                out += c;
        }
        out += '\'';
        return out;
    }
    return std::string(name);
}

std::string escapedText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const std::size_t len = decode(text, i, cp);
        if (len == 0) {
            appendByteEscape(out, static_cast<unsigned char>(text[i]));
            ++i;
            continue;
        }
        if (mustEscape(cp) && cp != '\n')
            appendEscape(out, cp);
        else
            out.append(text.substr(i, len));
        i += len;
    }
    return out;
}

std::string entryRecord(const EntryOutcome& e, NameStyle style, bool colour)
{
    if (e.verdict == Verdict::Unchanged)
        return {};
    const std::string_view slash = e.kind == EntryKind::Folder ? "/" : "";
    std::string oldPath(e.folder);
    oldPath.append(e.oldName).append(slash);
    std::string newPath(e.folder);
    newPath.append(e.newName).append(slash);
    std::string out;
    const bool failed = e.verdict == Verdict::Failed;
    const char mark = failed ? '!' : '~';
    const std::string_view on = colour ? markColour(mark) : std::string_view();
    out += on;
    if (failed)
        out += "! ";
    out += shownName(oldPath, style);
    if (e.newName != e.oldName)
        out.append(" -> ").append(shownName(newPath, style));
    if (failed) {
        out += ": ";
        out += style == NameStyle::Raw ? std::string(e.reason) : escapedText(e.reason);
    } else if (e.verdict == Verdict::Declined) {
        out += " (declined)";
    }
    if (!on.empty())
        out += kColourEnd;
    return out;
}

namespace
{

std::string counted(std::int64_t n, std::string_view one, std::string_view many)
{
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

} // namespace

std::string summaryText(bool simulation, const SummaryCounts& c)
{
    std::string out = simulation ? "Would rename " : "Renamed ";
    out += counted(c.files, "file", "files") + " and " + counted(c.folders, "folder", "folders");
    if (c.failed != 0) {
        out += "; " + std::to_string(c.failed) + (simulation ? " would fail" : " failed");
        if (simulation) {
            std::string kinds;
            if (c.clashes != 0)
                kinds += "clashes: " + std::to_string(c.clashes);
            if (c.refused != 0)
                kinds += (kinds.empty() ? "" : ", ") + std::string("names refused: ")
                    + std::to_string(c.refused);
            if (!kinds.empty())
                out += " (" + kinds + ")";
        }
    }
    return out + ".";
}

std::string hiddenText(std::int64_t hiddenLeftOut)
{
    if (hiddenLeftOut == 0)
        return {};
    return counted(hiddenLeftOut, "hidden file", "hidden files") + " matching the mask "
        + (hiddenLeftOut == 1 ? "was" : "were") + " left out (--hidden includes hidden files).";
}

void appendJsonEntry(std::string& out, std::string_view root, const EntryOutcome& e)
{
    const std::string_view slash = e.kind == EntryKind::Folder ? "/" : "";
    out += "{\"folder\":";
    appendJsonName(out, root);
    out += ",\"old\":";
    appendJsonName(out, std::string(e.folder) + std::string(e.oldName) + std::string(slash));
    out += ",\"new\":";
    appendJsonName(out, std::string(e.folder) + std::string(e.newName) + std::string(slash));
    out += ",\"type\":";
    out += e.kind == EntryKind::Folder ? "\"folder\"" : "\"file\"";
    out += ",\"verdict\":";
    switch (e.verdict) {
    case Verdict::Renamed:
        out += "\"renamed\"";
        break;
    case Verdict::Failed:
        out += "\"failed\"";
        break;
    case Verdict::Declined:
        out += "\"declined\"";
        break;
    case Verdict::Unchanged:
        out += "\"unchanged\"";
        break;
    }
    if (e.verdict == Verdict::Failed) {
        out += ",\"reason\":";
        appendJsonName(out, e.reason);
    }
    out += '}';
}

} // namespace brindle
