#include "platform/typed_text.h"

namespace tovix {

std::string UnheldTypedChars(const QString& text, TCodePage page) {
  return UnheldCharsText(text.toStdU32String(), page);
}

std::optional<std::string> EncodeTyped(const QString& text, TCodePage page) {
  return EncodeWhole(text.toStdU32String(), page);
}

QString DecodeForEdit(std::string_view bytes, TCodePage page) {
  return QString::fromStdU32String(DecodeBytes(bytes, page));
}

bool TypedTextFits(const QString& text, const TTextTarget& target, UserInterface& ui) {
  const std::string names = UnheldTypedChars(text, target.Page);
  if (names.empty()) return true;
  ui.ShowMessageUtf8(UnheldCharsMessage(target, names));
  return false;
}

std::optional<std::string> TakeTypedText(const QString& text, const TTextTarget& target,
                                         UserInterface& ui) {
  if (!TypedTextFits(text, target, ui)) return std::nullopt;
  return EncodeTyped(text, target.Page);
}

}  // namespace tovix
