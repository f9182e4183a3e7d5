#include "editors/order_highlighter.h"

#include <algorithm>
#include <array>

#include "core/text/str_utils.h"

namespace tovix {

namespace {

// Characters of identifiers: "#", digits, letters and "_".
constexpr bool IsIdentChar(TEditChar c) {
  return c == U'#' || c == U'_' || (c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') ||
         (c >= U'a' && c <= U'z');
}

// Characters that start an identifier or keyword.
constexpr bool IsIdentStart(TEditChar c) {
  return c == U'#' || c == U'_' || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z');
}

// Blanks: codes 1..9, 11, 12 and 14..32; LF and CR are blanks of their own.
constexpr bool IsBlank(TEditChar c) {
  return c >= 1 && c <= 32 && c != 10 && c != 13;
}

constexpr TEditChar UpCase(TEditChar c) {
  return (c >= U'a' && c <= U'z') ? c - 32 : c;
}

std::string UpperAscii(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}

}  // namespace

const std::vector<std::string>& ZazArerevOdo::DefaultKeyWords() {
  static const std::vector<std::string> words = {"#END",
                                                 "#GALAXY",
                                                 "A",
                                                 "ANONYMOUS",
                                                 "AUTOUNLOAD",
                                                 "B",
                                                 "BATTLEPROTOCOL",
                                                 "C",
                                                 "CAP",
                                                 "CARGO",
                                                 "COL",
                                                 "COMPRESS",
                                                 "D",
                                                 "DRIVE",
                                                 "E",
                                                 "EMP",
                                                 "F",
                                                 "FLEET",
                                                 "FLEETTABLES",
                                                 "G",
                                                 "GALAXYTV",
                                                 "GPLUS",
                                                 "GROUPFORECAST",
                                                 "H",
                                                 "I",
                                                 "J",
                                                 "L",
                                                 "M",
                                                 "MACHINEREPORT",
                                                 "MAT",
                                                 "N",
                                                 "NAMECASE",
                                                 "NO",
                                                 "O",
                                                 "OPTIONS",
                                                 "P",
                                                 "PLANETFORECAST",
                                                 "PRODTABLE",
                                                 "PRODUCE",
                                                 "Q",
                                                 "R",
                                                 "ROUTESFORECAST",
                                                 "S",
                                                 "SEND",
                                                 "SHIELDS",
                                                 "SHIPTYPEFORECAST",
                                                 "SORTGROUPS",
                                                 "T",
                                                 "TWOCOL",
                                                 "U",
                                                 "UNDERSCORES",
                                                 "V",
                                                 "W",
                                                 "WAR",
                                                 "WEAPONS",
                                                 "X",
                                                 "Y",
                                                 "Z"};
  return words;
}

ZazArerevOdo::ZazArerevOdo() {
  auto add = [this](const char* name, TFontStyles style) {
    auto attr = std::make_unique<TmwHighLightAttributes>(name);
    attr->SetStyle(style);
    return AddAttribute(std::move(attr));
  };
  comment_ = add("Comment", fsItalic);
  identifier_ = add("Identifier", 0);
  key_ = add("Reserved word", fsBold);
  space_ = add("Space", 0);
  message_ = add("Message", 0);
  symbol_ = add("Symbol", 0);
  SetAttributesOnChange();
  keyWords_ = DefaultKeyWords();
  std::sort(keyWords_.begin(), keyWords_.end());
  SetDefaultFilter("Galaxy files (*.gtv,*.galrep,*.txt)|*.gtv;*.galrep;*.txt");
}

void ZazArerevOdo::SetKeyWords(const std::vector<std::string>& words) {
  std::vector<std::string> list;
  list.reserve(words.size());
  for (const std::string& w : words) list.push_back(UpperAscii(w));
  std::sort(list.begin(), list.end());
  list.erase(std::unique(list.begin(), list.end()), list.end());
  keyWords_ = std::move(list);
  DefHighlightChange();
}

bool ZazArerevOdo::IsKeyWord(TEditStringView word) const {
  // Byte-wise comparison of the upper-cased word with the sorted upper-case keywords.
  auto less = [](const std::string& key, TEditStringView w) {
    const size_t n = std::min(key.size(), w.size());
    for (size_t i = 0; i < n; ++i) {
      const TEditChar a = static_cast<unsigned char>(key[i]);
      const TEditChar b = UpCase(w[i]);
      if (a != b) return a < b;
    }
    return key.size() < w.size();
  };
  const auto it = std::lower_bound(keyWords_.begin(), keyWords_.end(), word, less);
  if (it == keyWords_.end() || it->size() != word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (static_cast<unsigned char>((*it)[i]) != UpCase(word[i])) return false;
  return true;
}

TmwHighLightAttributes* ZazArerevOdo::GetDefaultAttribute(int index) const {
  switch (index) {
    case 0:
      return space_;
    case 1:
      return comment_;
    case 2:
      return key_;
    default:
      return nullptr;
  }
}

TEditString ZazArerevOdo::GetToken() const {
  return line_.substr(tokenPos_, run_ - tokenPos_);
}

TmwHighLightAttributes* ZazArerevOdo::GetTokenAttribute() const {
  switch (kind_) {
    case tkComment:
      return comment_;
    case tkIdentifier:
      return identifier_;
    case tkKey:
      return key_;
    case tkSpace:
      return space_;
    case tkMessage:
      return message_;
    case tkSymbol:
      return symbol_;
    case tkNull:
      break;
  }
  return nullptr;
}

void ZazArerevOdo::SetLine(TEditStringView text, int lineNumber) {
  line_.assign(text);
  run_ = 0;
  Next();
}

void ZazArerevOdo::Next() {
  tokenPos_ = run_;
  if (range_ == rsMessage) {
    ReadMessage();
    return;
  }
  if (ReadLineEnd()) return;
  const TEditChar c = line_[run_];
  if (IsBlank(c)) {
    kind_ = tkSpace;
    while (run_ < line_.size() && IsBlank(line_[run_])) ++run_;
  } else if (c == U';') {
    kind_ = tkComment;
    run_ = line_.size();
    range_ = rsNormal;
  } else if (c == U'@') {
    // Opens a message block in column 1; elsewhere it keeps the kind of the token before.
    if (run_ == 0 && kind_ != tkMessage) {
      kind_ = tkMessage;
      range_ = rsMessage;
    }
    ++run_;
  } else if (IsIdentStart(c)) {
    while (run_ < line_.size() && IsIdentChar(line_[run_])) ++run_;
    kind_ = IsKeyWord(TEditStringView(line_).substr(tokenPos_, run_ - tokenPos_)) ? tkKey
                                                                                  : tkIdentifier;
  } else {
    kind_ = tkSymbol;
    ++run_;
  }
}

bool ZazArerevOdo::ReadLineEnd() {
  // The end of the line is the only end: a zero character inside it is an ordinary symbol.
  if (run_ >= line_.size()) {
    kind_ = tkNull;
    return true;
  }
  const TEditChar c = line_[run_];
  if (c == U'\n') {
    kind_ = tkSpace;
    ++run_;
  } else if (c == U'\r') {
    kind_ = tkSpace;
    run_ += At(run_ + 1) == U'\n' ? 2 : 1;
  } else {
    return false;
  }
  return true;
}

void ZazArerevOdo::ReadMessage() {
  if (ReadLineEnd()) return;
  const TEditChar c = line_[run_];
  if (c == U'@' && run_ == 0) {
    kind_ = tkMessage;
    range_ = rsNormal;
    ++run_;
  } else {
    kind_ = tkMessage;
    run_ = line_.size();
  }
}

bool ZazArerevOdo::LoadFromStore(const TznSaveState& store, const std::string& key) {
  if (!store.SectionExists(key)) return false;
  if (store.ValueExists(key, "KeyWords"))
    SetKeyWords(SplitCommaText(store.ReadString(key, "KeyWords", "")));
  return TmwCustomHighLighter::LoadFromStore(store, key);
}

void ZazArerevOdo::SaveToStore(TznSaveState& store, const std::string& key) const {
  store.WriteString(key, "KeyWords", JoinCommaText(keyWords_));
  TmwCustomHighLighter::SaveToStore(store, key);
}

const THighlighterList& HighlighterList() {
  static const THighlighterList list = [] {
    THighlighterList made;
    made.Register(ZazArerevOdo().GetLanguageName(),
                  [] { return std::make_unique<ZazArerevOdo>(); });
    return made;
  }();
  return list;
}

std::unique_ptr<ZazArerevOdo> MakeOrdersWindowHighlighter() {
  const THighlighterList& list = HighlighterList();
  std::unique_ptr<TmwCustomHighLighter> made = list.Create(list.IndexOf("Galaxy"));
  std::unique_ptr<ZazArerevOdo> h(static_cast<ZazArerevOdo*>(made.release()));
  std::vector<std::string> words = ZazArerevOdo::DefaultKeyWords();
  words.push_back("AMOUNT");
  h->SetKeyWords(words);
  h->CommentAttri()->SetStyle(fsItalic);
  h->KeyAttri()->SetStyle(fsBold);
  h->MessageAttri()->SetForeground(0x008000);  // green: red 0, green 128, blue 0
  return h;
}

}  // namespace tovix
