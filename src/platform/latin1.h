#pragma once
// Text crosses between the program's 8-bit strings and Qt here only: every name, message and
// report text is Latin-1, as the reports are.

#include <QString>
#include <string>
#include <string_view>

namespace tovix {

inline QString FromLatin1(std::string_view s) {
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// Characters outside Latin-1 become '?': only for texts the program made from Latin-1 ones (the
// items it filled a list with, captions it set), which come back whole. What the user typed or
// pasted goes through platform/typed_text.h, which names such characters instead.
inline std::string ToLatin1(const QString& s) {
  const QByteArray b = s.toLatin1();
  return std::string(b.constData(), static_cast<size_t>(b.size()));
}

}  // namespace tovix
