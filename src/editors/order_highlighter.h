#pragma once
// The order-language highlighter: colours the order text in the orders editor. It scans one
// line at a time into comments (";" to the line's end), keywords, identifiers, blanks, symbols
// and message blocks: a line starting with "@" opens a block, and every line up to and
// including the next line starting with "@" is message text. The open block is the range that
// carries over from line to line.

#include <string>
#include <vector>

#include "editors/highlighter.h"

namespace tovix {

enum TtkTokenKind : uint8_t {
  tkComment = 0,
  tkIdentifier = 1,
  tkKey = 2,
  tkNull = 3,  // the end of the line
  tkSpace = 4,
  tkMessage = 5,
  tkSymbol = 6,
};

enum TOrderRange : uint8_t { rsNormal = 0, rsMessage = 1 };

class ZazArerevOdo : public TmwCustomHighLighter {
 public:
  // The 58 keywords the class starts with.
  static const std::vector<std::string>& DefaultKeyWords();

  ZazArerevOdo();

  TmwHighLightAttributes* CommentAttri() const { return comment_; }
  TmwHighLightAttributes* IdentifierAttri() const { return identifier_; }
  TmwHighLightAttributes* KeyAttri() const { return key_; }
  TmwHighLightAttributes* SpaceAttri() const { return space_; }
  TmwHighLightAttributes* MessageAttri() const { return message_; }
  TmwHighLightAttributes* SymbolAttri() const { return symbol_; }

  // Upper-case, sorted, without duplicates.
  const std::vector<std::string>& KeyWords() const { return keyWords_; }
  // Takes the words upper-cased and tells the hooked editors to repaint.
  void SetKeyWords(const std::vector<std::string>& words);
  bool IsKeyWord(TEditStringView word) const;

  // Besides the attributes, the value "KeyWords" of the section `key` (comma text): loading
  // takes it when it exists, and fails without the section.
  bool LoadFromStore(const TznSaveState& store, const std::string& key) override;
  void SaveToStore(TznSaveState& store, const std::string& key) const override;

  TmwHighLightAttributes* GetDefaultAttribute(int index) const override;
  int GetCapabilities() const override { return TmwCustomHighLighter::GetCapabilities() | 4; }
  std::string GetLanguageName() const override { return "Galaxy"; }

  bool GetEol() const override { return kind_ == tkNull; }
  uintptr_t GetRange() const override { return range_; }
  TEditString GetToken() const override;
  TmwHighLightAttributes* GetTokenAttribute() const override;
  int GetTokenKind() const override { return kind_; }
  int GetTokenPos() const override { return static_cast<int>(tokenPos_); }
  void Next() override;
  void SetLine(TEditStringView text, int lineNumber) override;
  void SetRange(uintptr_t value) override { range_ = value == rsMessage ? rsMessage : rsNormal; }
  void ResetRange() override { range_ = rsNormal; }

 private:
  TEditChar At(size_t i) const { return i < line_.size() ? line_[i] : 0; }
  // The end of the line or a line break at the run: a null or a space token. False, nothing
  // read, for anything else.
  bool ReadLineEnd();
  void ReadMessage();

  TmwHighLightAttributes* comment_;
  TmwHighLightAttributes* identifier_;
  TmwHighLightAttributes* key_;
  TmwHighLightAttributes* space_;
  TmwHighLightAttributes* message_;
  TmwHighLightAttributes* symbol_;
  std::vector<std::string> keyWords_;

  TEditString line_;
  size_t run_ = 0;
  size_t tokenPos_ = 0;
  TtkTokenKind kind_ = tkNull;
  TOrderRange range_ = rsNormal;
};

// The highlighters the program has, by language name ("Galaxy": the order language). Made once,
// on first use, and never changed.
const THighlighterList& HighlighterList();

// The orders window's highlighter, made through HighlighterList(): the class default with "AMOUNT"
// among the keywords, comments italic, keywords bold and messages green.
std::unique_ptr<ZazArerevOdo> MakeOrdersWindowHighlighter();
// Where the orders window's highlighter is kept in the settings store; the program only reads
// it, so a user may add keywords or change colours there.
inline constexpr const char* kOrdersHighlighterKey = "Highlighter_Galaxy";

}  // namespace tovix
