#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace brindle
{

/// What a name holds that a plain decoding would hide or lose.
struct NameFlags {
    /// A byte that is not part of a valid UTF-8 sequence.
    bool invalidUtf8 = false;
    /// A control character (a line feed, a tab, ...), shown as a symbol.
    bool controlChars = false;
};

/// The name as the folder views show it: UTF-8 decoded, every byte outside a valid sequence
/// shown as U+FFFD, every control character as an escape that any font can draw (a line feed
/// as \n, a tab as \t, a carriage return as \r, other C0 controls and DEL as \xHH, C1
/// controls as \u00HH, the line and paragraph separators as \u2028 and \u2029, format and
/// bidirectional controls (Unicode category Cf, but for the two joiners) as \uHHHH): every entry
/// stays on one line and every odd byte is seen. flags, when given, receives what the name
/// holds, so that the views can mark it.
QString nameForDisplay(std::string_view bytes, NameFlags* flags = nullptr);

/// The name with every byte outside printable ASCII and valid UTF-8 written as \xHH and a
/// backslash as \\: the exact bytes, for a tool tip.
QString escapedName(std::string_view bytes);

/// The bytes of a name typed over the shown form of original (nameForDisplay). The typed text
/// is aligned with the shown one: what was left in place gives back the bytes behind it, so a
/// U+FFFD that stood for a stray byte is that byte again and an escape left whole is its
/// control character again. A U+FFFD typed elsewhere takes the bytes of one that was deleted,
/// in order, or else is its own UTF-8; everything else typed, an escape too, is UTF-8 as
/// typed. So an unchanged text gives the original bytes, and editing part of a name keeps the
/// odd bytes of the rest.
std::string bytesFromEditedName(std::string_view original, const QString& edited);

} // namespace brindle
