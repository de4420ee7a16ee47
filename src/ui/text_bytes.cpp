#include "ui/text_bytes.h"

#include <QStringDecoder>

namespace celestra {

QString FromBytes(const std::string& bytes) {
#ifdef _WIN32
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
#else
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError()) return text;
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
#endif
}

std::string ToBytes(const QString& text) { return text.toLocal8Bit().toStdString(); }

}  // namespace celestra
