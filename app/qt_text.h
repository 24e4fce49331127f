// Conversions between the engine's UTF-8 std::string and QString.
#pragma once

#include <QString>
#include <string>

namespace tessellane {

inline QString toQString(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

inline std::string toStd(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace tessellane
