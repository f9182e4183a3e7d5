#pragma once
// How the editor reaches the clipboard. A copy puts the text twice: as plain text (lines joined
// by CR LF) for every program, and as the editor's own block format, which also keeps the
// selection mode so that a column or line block pastes back as what it was. The widget layer
// implements the interface on the system clipboard; tests use an in-memory one.

#include <optional>
#include <string>
#include <string_view>

#include "editors/edit_types.h"

namespace tovix {

// The MIME type of the editor's own block format.
inline constexpr const char* kEditorBlockMimeType = "application/x-tovix-editor-block";

// The block payload: one byte with the selection mode (0 normal, 1 column, 2 line), the text
// in UTF-8, and a zero byte.
std::string EncodeBlockPayload(TSelectionMode mode, TEditStringView text);
struct TEditorBlock {
  TSelectionMode Mode = smNormal;
  TEditString Text;
};
// nullopt when the payload is empty or its mode byte is not 0, 1 or 2. The text ends at the
// first zero byte (or at the end when there is none).
std::optional<TEditorBlock> DecodeBlockPayload(std::string_view payload);

class IEditorClipboard {
 public:
  virtual ~IEditorClipboard() = default;
  // Replaces the clipboard's contents with both forms. False when the clipboard refused.
  virtual bool SetTextAndBlock(const TEditString& text, const std::string& blockPayload) = 0;
  // The editor's own format, when the clipboard holds it.
  virtual std::optional<std::string> GetBlock() = 0;
  // Plain text, when the clipboard holds some.
  virtual std::optional<TEditString> GetText() = 0;
};

// A clipboard that lives in memory: for tests and for an editor without a window system.
class TMemoryClipboard : public IEditorClipboard {
 public:
  bool SetTextAndBlock(const TEditString& text, const std::string& blockPayload) override {
    if (FailNextSet) {
      FailNextSet = false;
      return false;
    }
    Text = text;
    Block = blockPayload;
    return true;
  }
  std::optional<std::string> GetBlock() override { return Block; }
  std::optional<TEditString> GetText() override { return Text; }

  std::optional<TEditString> Text;
  std::optional<std::string> Block;
  bool FailNextSet = false;
};

}  // namespace tovix
