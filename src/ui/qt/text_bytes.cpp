#include "ui/qt/text_bytes.h"

#include <QFileInfo>

#include "ui/path_text.h"

namespace celestra {
namespace {

QString FromUtf16(const std::u16string& text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString FromBytes(const std::string& bytes) { return FromUtf16(BytesToFieldText(bytes)); }

std::string ToBytes(const QString& text) {
    return FieldTextToBytes(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
}

std::string FilePathBytes(const QString& path) { return ToBytes(QFileInfo(path).absoluteFilePath()); }

QString DisplayText(const std::string& bytes) { return FromUtf16(BytesToDisplayText(bytes)); }

}  // namespace celestra
