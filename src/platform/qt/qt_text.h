// Orvel's text and colours in Qt's terms. QString holds UTF-16 as Orvel's
// text does, so the conversion copies code units one for one.
#pragma once

#include <QColor>
#include <QString>

#include "platform/text.h"
#include "platform/toolkit.h"

namespace orvel::qt {

inline QString ToQString(TextView text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline Text FromQString(const QString& text) {
  return Text(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

// Orvel's colours are laid out 0x00BBGGRR.
inline QColor ToQColor(Colour colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

inline Colour FromQColor(const QColor& colour) {
  return static_cast<Colour>(colour.red()) | static_cast<Colour>(colour.green()) << 8 |
         static_cast<Colour>(colour.blue()) << 16;
}

}  // namespace orvel::qt
