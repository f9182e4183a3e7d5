#include "core/base/user_interface.h"

namespace tovix {

namespace {

// UTF-8 to Latin-1: a character beyond it, or a byte that starts no valid sequence, becomes
// "?" (a message loses only what it could not show).
std::string Utf8ToLatin1(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
      out.push_back(static_cast<char>(b0));
      ++i;
      continue;
    }
    const size_t len = (b0 & 0xE0) == 0xC0   ? 2
                       : (b0 & 0xF0) == 0xE0 ? 3
                       : (b0 & 0xF8) == 0xF0 ? 4
                                             : 1;
    size_t n = 1;
    while (n < len && i + n < text.size() &&
           (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80)
      ++n;
    const unsigned c = len == 2 && n == 2
                           ? ((b0 & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu)
                           : 0x100u;
    out.push_back(c >= 0x80 && c <= 0xFF ? static_cast<char>(c) : '?');
    i += n;
  }
  return out;
}

}  // namespace

void UserInterface::ShowMessageUtf8(const std::string& text) {
  ShowMessage(Utf8ToLatin1(text));
}

}  // namespace tovix
