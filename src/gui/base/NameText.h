#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace brindle
{

/// The one way between the bytes of a name, a path or a job string and the text a window shows
/// or the user types: the encoding of file names. A name goes to the disk as the bytes it came
/// from, never through QString; QString is for showing it.
QString bytesToText(std::string_view bytes);
std::string textToBytes(const QString& text);

} // namespace brindle
