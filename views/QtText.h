#pragma once
// Texts are UTF-8 std::string in the core and QString in the windows; these
// two helpers are the only crossing point.
#include <QString>
#include <string>

namespace ml {

inline QString ToQString(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }
inline std::string ToStdString(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace ml
