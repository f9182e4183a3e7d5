#include "editors/editor_clipboard.h"

#include "editors/text_codec.h"

namespace tovix {

std::string EncodeBlockPayload(TSelectionMode mode, TEditStringView text) {
  std::string payload(1, static_cast<char>(mode));
  payload += EditToUtf8(text);
  payload.push_back('\0');
  return payload;
}

std::optional<TEditorBlock> DecodeBlockPayload(std::string_view payload) {
  if (payload.empty()) return std::nullopt;
  const auto mode = static_cast<unsigned char>(payload[0]);
  if (mode > smLine) return std::nullopt;
  std::string_view text = payload.substr(1);
  const size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  return TEditorBlock{static_cast<TSelectionMode>(mode), Utf8ToEdit(text)};
}

}  // namespace tovix
