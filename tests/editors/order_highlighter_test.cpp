// The order-language highlighter: token kinds of order lines, message blocks that span lines,
// every real order file of a game, and how far the editor rescans after typing.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "editor_test_helpers.h"
#include "editors/order_highlighter.h"
#include "support/test_paths.h"

namespace tovix::test {
namespace {

struct TTok {
  int Kind;
  std::string Text;
  int Pos;
};

// The tokens of one line scanned from `range`; `range` becomes the range after the line.
std::vector<TTok> Scan(ZazArerevOdo& h, std::string_view line, uintptr_t& range) {
  h.SetRange(range);
  h.SetLine(E(line), 0);
  std::vector<TTok> out;
  while (!h.GetEol()) {
    out.push_back({h.GetTokenKind(), U8(h.GetToken()), h.GetTokenPos()});
    h.Next();
  }
  range = h.GetRange();
  return out;
}

std::vector<int> Kinds(const std::vector<TTok>& tokens) {
  std::vector<int> k;
  for (const TTok& t : tokens) k.push_back(t.Kind);
  return k;
}

TEST(OrderHighlighterTest, OrderLinesTokenise) {
  ZazArerevOdo h;
  uintptr_t range = rsNormal;
  const auto send = Scan(h, "S 12 Alpha", range);
  EXPECT_EQ(Kinds(send),
            (std::vector<int>{tkKey, tkSpace, tkSymbol, tkSymbol, tkSpace, tkIdentifier}));
  EXPECT_EQ(send[5].Text, "Alpha");
  EXPECT_EQ(send[5].Pos, 5);
  // Keywords in any case; "#" belongs to identifiers; unknown words are identifiers.
  EXPECT_EQ(Kinds(Scan(h, "s", range)), std::vector<int>{tkKey});
  EXPECT_EQ(Kinds(Scan(h, "#galaxy Orion", range)),
            (std::vector<int>{tkKey, tkSpace, tkIdentifier}));
  EXPECT_EQ(Kinds(Scan(h, "#End", range)), std::vector<int>{tkKey});
  EXPECT_EQ(Kinds(Scan(h, "Sx amount", range)),
            (std::vector<int>{tkIdentifier, tkSpace, tkIdentifier}));
  // A comment runs to the end; a tab and blanks form one space token; 12.5 is four symbols.
  const auto comment = Scan(h, "p Alpha\t 12.5 ; build ships", range);
  EXPECT_EQ(Kinds(comment), (std::vector<int>{tkKey, tkSpace, tkIdentifier, tkSpace, tkSymbol,
                                              tkSymbol, tkSymbol, tkSymbol, tkSpace, tkComment}));
  EXPECT_EQ(comment.back().Text, "; build ships");
  // Non-ASCII characters and a zero character inside the line are symbols, not the end.
  EXPECT_EQ(Kinds(Scan(h, std::string("a\xC3\xA9", 3) + std::string(1, '\0') + "b", range)),
            (std::vector<int>{tkKey, tkSymbol, tkSymbol, tkKey}));
  EXPECT_EQ(range, rsNormal);
  EXPECT_EQ(h.GetLanguageName(), "Galaxy");
  EXPECT_EQ(h.GetCapabilities(), 6);
  EXPECT_EQ(h.GetDefaultAttribute(0), h.SpaceAttri());
  EXPECT_EQ(h.GetDefaultAttribute(3), nullptr);
}

TEST(OrderHighlighterTest, MessageBlocksSpanLines) {
  ZazArerevOdo h;
  uintptr_t range = rsNormal;
  const auto open = Scan(h, "@ Cygnians", range);
  EXPECT_EQ(Kinds(open), (std::vector<int>{tkMessage, tkMessage}));
  EXPECT_EQ(range, rsMessage);
  EXPECT_EQ(Kinds(Scan(h, "; not a comment", range)), std::vector<int>{tkMessage});
  EXPECT_TRUE(Scan(h, "", range).empty());
  EXPECT_EQ(range, rsMessage);
  EXPECT_EQ(Kinds(Scan(h, "s 12 Alpha @", range)), std::vector<int>{tkMessage});
  EXPECT_EQ(range, rsMessage);
  const auto close = Scan(h, "@ s", range);
  EXPECT_EQ(Kinds(close), (std::vector<int>{tkMessage, tkSpace, tkKey}));
  EXPECT_EQ(range, rsNormal);
  // "@" elsewhere than column 1 opens nothing and takes the kind of the token before it.
  EXPECT_EQ(Kinds(Scan(h, "x @", range)), (std::vector<int>{tkKey, tkSpace, tkSpace}));
  EXPECT_EQ(range, rsNormal);
}

TEST(OrderHighlighterTest, KeyWordsOfTheOrdersWindow) {
  EXPECT_EQ(ZazArerevOdo::DefaultKeyWords().size(), 58u);
  auto h = MakeOrdersWindowHighlighter();
  EXPECT_TRUE(h->IsKeyWord(E("amount")));
  EXPECT_EQ(h->KeyWords().size(), 59u);
  EXPECT_EQ(h->MessageAttri()->Foreground(), 0x008000u);
  EXPECT_EQ(h->KeyAttri()->Style(), fsBold);
  EXPECT_EQ(h->CommentAttri()->Style(), fsItalic);
  // A new list is taken upper-cased and the hooked editors are told.
  int changes = 0;
  h->HookAttrChangeEvent([&](void*) { ++changes; });
  h->SetKeyWords({"route", "Route", "zz"});
  EXPECT_EQ(h->KeyWords(), (std::vector<std::string>{"ROUTE", "ZZ"}));
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(h->IsKeyWord(E("rOuTe")));
  EXPECT_FALSE(h->IsKeyWord(E("s")));
  EXPECT_FALSE(h->IsKeyWord(E("ROUT")));
}

// The program's highlighters: the order language is registered under its name, and the orders
// window's highlighter is made from that entry.
TEST(OrderHighlighterTest, TheOrderHighlighterIsInTheHighlighterList) {
  const THighlighterList& list = HighlighterList();
  const int index = list.IndexOf("Galaxy");
  ASSERT_GE(index, 0);
  EXPECT_EQ(list.Name(index), "Galaxy");
  const std::unique_ptr<TmwCustomHighLighter> made = list.Create(index);
  ASSERT_NE(dynamic_cast<ZazArerevOdo*>(made.get()), nullptr);
  EXPECT_EQ(made->GetLanguageName(), "Galaxy");
  EXPECT_EQ(&HighlighterList(), &list) << "one list for the whole run";
  EXPECT_EQ(MakeOrdersWindowHighlighter()->GetLanguageName(), list.Name(index));
}

// The keyword list and the colours in the settings store: what is saved comes back; a store
// without the section changes nothing; a stored list replaces the keywords (upper-cased).
TEST(OrderHighlighterTest, KeyWordsGoToTheSettingsStoreAndBack) {
  TznSaveState store("");
  auto saved = MakeOrdersWindowHighlighter();
  saved->SetKeyWords({"S", "ROUTE", "#Galaxy"});
  saved->SymbolAttri()->SetForeground(0x0000FF);
  saved->SaveToStore(store, kOrdersHighlighterKey);
  EXPECT_EQ(store.ReadString(kOrdersHighlighterKey, "KeyWords", ""), "#GALAXY,ROUTE,S");

  auto loaded = MakeOrdersWindowHighlighter();
  EXPECT_FALSE(loaded->LoadFromStore(TznSaveState(""), kOrdersHighlighterKey));
  EXPECT_EQ(loaded->KeyWords().size(), 59u);
  EXPECT_TRUE(loaded->LoadFromStore(store, kOrdersHighlighterKey));
  EXPECT_EQ(loaded->KeyWords(), saved->KeyWords());
  EXPECT_EQ(loaded->SymbolAttri()->Foreground(), 0x0000FFu);
  EXPECT_EQ(loaded->MessageAttri()->Foreground(), 0x008000u);
  // Keywords a user wrote by hand, in any case and spacing.
  TznSaveState byHand("");
  byHand.WriteString(kOrdersHighlighterKey, "KeyWords", "send, Upgrade ,x");
  EXPECT_FALSE(loaded->LoadFromStore(byHand, kOrdersHighlighterKey)) << "no colours stored";
  EXPECT_EQ(loaded->KeyWords(), (std::vector<std::string>{"SEND", "UPGRADE", "X"}));
  EXPECT_TRUE(loaded->IsKeyWord(E("upgrade")));
}

// Every line of every order file of a real game: the tokens cover the line without gaps, no
// token is Null before the line's end, and the lines from an "@" line to the next "@" line are
// Message and nothing else is.
TEST(OrderHighlighterTest, EveryRealOrderFileTokenises) {
  const std::filesystem::path dir = ReportsDir("orion");
  if (dir.empty()) GTEST_SKIP() << "the orion reports folder is absent";
  int files = 0;
  int messageLines = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir / "orders")) {
    TmwCustomEdit edit;
    ZazArerevOdo h;
    edit.SetHighLighter(&h);
    edit.Lines().LoadFromBytes(ReadFileBytes(entry.path()), TTextEncoding::Windows1252);
    ++files;
    bool inMessage = false;
    for (int i = 0; i < edit.LineCount(); ++i) {
      const TEditString& line = edit.Lines().Get(i);
      const std::string where = entry.path().filename().string() + ":" + std::to_string(i + 1);
      const bool opensOrCloses = !line.empty() && line[0] == U'@';
      const bool message = inMessage || opensOrCloses;
      ASSERT_EQ(edit.Lines().Range(i), inMessage ? rsMessage : rsNormal) << where;
      h.SetRange(edit.Lines().Range(i));
      h.SetLine(line, i);
      size_t covered = 0;
      while (!h.GetEol()) {
        ASSERT_EQ(static_cast<size_t>(h.GetTokenPos()), covered) << where;
        ASSERT_LE(h.GetTokenKind(), tkSymbol) << where;
        ASSERT_NE(h.GetTokenAttribute(), nullptr) << where;
        ASSERT_EQ(h.GetTokenKind() == tkMessage, message) << where << " " << U8(h.GetToken());
        covered += h.GetToken().size();
        h.Next();
      }
      ASSERT_EQ(covered, line.size()) << where;
      if (message) ++messageLines;
      if (opensOrCloses) inMessage = !inMessage;
    }
    EXPECT_EQ(U8(edit.Lines().Get(0)).substr(0, 7), "#GALAXY");
  }
  EXPECT_GT(files, 200);
  EXPECT_GT(messageLines, 0);
}

// A highlighter that counts the lines it is given.
class TCountingHighlighter : public ZazArerevOdo {
 public:
  void SetLine(TEditStringView text, int lineNumber) override {
    ++Lines;
    ZazArerevOdo::SetLine(text, lineNumber);
  }
  int Lines = 0;
};

TEST(OrderHighlighterTest, TypingRescansOnlyLinesWhoseRangeChanges) {
  TEditString text = E("s 1 Alpha\r\n@ Cygnians\r\nhello\r\n@\r\n");
  for (int i = 0; i < 100000; ++i) text += E("s " + std::to_string(i) + " Planet_7\r\n");
  TTestEdit edit;
  TCountingHighlighter h;
  edit.SetHighLighter(&h);
  edit.SetText(text);
  ASSERT_GT(edit.LineCount(), 100000);
  EXPECT_EQ(edit.Lines().Range(2), rsMessage);

  // A letter in line 1 and one inside the message: one line each, the ranges stay.
  h.Lines = 0;
  edit.Caret(1, 1);
  edit.Type("x");
  EXPECT_EQ(h.Lines, 1);
  h.Lines = 0;
  edit.Caret(1, 3);
  edit.Type(";");
  EXPECT_EQ(h.Lines, 1);
  EXPECT_EQ(edit.Lines().Range(3), rsMessage);

  // Breaking the opening "@" out of column 1 changes the ranges of every following line: each
  // changed line is scanned once, and the stored ranges are what a full scan gives.
  std::vector<uintptr_t> before;
  for (int i = 0; i < edit.LineCount(); ++i) before.push_back(edit.Lines().Range(i));
  h.Lines = 0;
  edit.Caret(1, 2);
  edit.Type(" ");
  int changed = 0;
  for (int i = 0; i < edit.LineCount(); ++i) changed += edit.Lines().Range(i) != before[i];
  EXPECT_EQ(h.Lines, changed + 1);
  EXPECT_EQ(edit.Lines().Range(2), rsNormal);
  EXPECT_EQ(edit.Lines().Range(4), rsMessage);  // the old closing "@" opens now
  EXPECT_EQ(edit.Lines().Range(edit.LineCount() - 1), rsMessage);
}

}  // namespace
}  // namespace tovix::test
