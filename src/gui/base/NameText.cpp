#include "gui/base/NameText.h"

#include <QFile>

namespace brindle
{

QString bytesToText(std::string_view bytes)
{
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string textToBytes(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

} // namespace brindle
