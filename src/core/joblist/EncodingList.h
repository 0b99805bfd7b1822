#pragma once

#include <array>
#include <string_view>

namespace brindle
{

/// The items of the encoding list: a name, one blank and a description.
inline constexpr std::array<std::string_view, 12> kXmlEncodingItems = {
    "ISO-8859-1 (Latin-1 West European Languages)",
    "ISO-8859-2 (Latin-2 Central and Eastern European)",
    "ISO-8859-3 (Latin-3 Esperanto, Maltese)",
    "ISO-8859-4 (Latin-4 Baltic, Greenlandic, Lappish)",
    "ISO-8859-5 (Cyrillic)",
    "ISO-8859-6 (Arabic)",
    "ISO-8859-7 (Greek)",
    "ISO-8859-8 (Hebrew)",
    "ISO-8859-9 (Latin-5 Turkish)",
    "ISO-8859-10 (Latin-6 Inuit, Nordic)",
    "ISO-2022-JP (Japanese)",
    "EUC-KR (Korean)",
};

/// The index of the first item that begins with name, ASCII letters compared without case;
/// -1 when none does (an empty name matches none).
int encodingItemIndex(std::string_view name);

} // namespace brindle
