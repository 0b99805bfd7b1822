#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace brindle
{

/// What a name holds that a plain decoding would hide or lose.
struct TNameFlags {
    /// A byte that is not part of a valid UTF-8 sequence.
    bool invalidUtf8 = false;
    /// A control character (a line feed, a tab, ...), shown as a symbol.
    bool controlChars = false;
};

/// The name as the folder views show it: UTF-8 decoded, every byte outside a valid sequence
/// shown as U+FFFD, every C0 control character as its symbol from the U+2400 block (a line
/// feed as U+240A), DEL as U+2421, and C1 controls and the line and paragraph separators as
/// U+FFFD: every entry stays on one line and every odd byte is seen. flags, when given,
/// receives what the name holds.
QString NameForDisplay(std::string_view bytes, TNameFlags* flags = nullptr);

/// The name with every byte outside printable ASCII and valid UTF-8 written as \xHH and a
/// backslash as \\: the exact bytes, for a tool tip.
QString EscapedName(std::string_view bytes);

/// The bytes of a name typed over the shown form of original (NameForDisplay). The typed text
/// is aligned with the shown one: every character left in place gives back the bytes behind
/// it, so a symbol that stood for a stray byte or a line feed is that byte again. A symbol
/// typed elsewhere takes the bytes of a symbol of the same kind that was deleted, in order, or
/// else is its own UTF-8; everything else typed is UTF-8. So an unchanged text gives the
/// original bytes, and editing part of a name keeps the odd bytes of the rest.
std::string BytesFromEditedName(std::string_view original, const QString& edited);

} // namespace brindle
