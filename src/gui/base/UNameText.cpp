#include "base/UNameText.h"

#include <QFile>

namespace brindle
{

QString BytesToText(std::string_view bytes)
{
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string TextToBytes(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

} // namespace brindle
