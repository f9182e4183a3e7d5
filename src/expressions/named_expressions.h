#pragma once
// Named expressions: the user's filter expressions kept under names, a local list per game and a
// global list for all games, one pair per kind (groups or planets). Each list lives in its own
// text file in the program's folder ("Groups Expressions_" or "Planets Expressions_" followed by
// the game's section name, or by "Global"):
//
//   [Expressions]
//   Format=1
//   CurrentExpression=<name last selected>
//   Count=<n>
//   [Item1]
//   Name=<name>
//   Expression=<text>
//   Type=<0 ship type, 1 group, 2 planet>
//
// Values are taken byte for byte after the first "=" (blanks and CRs inside are kept; a line
// ends at LF, one CR before it belonging to the line end). A file that exists but
// cannot be read or understood is reported and is never saved over: its list stays read-only
// until the file is fixed or removed.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tovix {

class UserInterface;

enum TExpressionType { etShiptype = 0, etGroup = 1, etPlanet = 2 };

// Which of the two kinds of named expressions.
enum class TExpressionKind { Groups, Planets };

struct TExpressionItem {
  std::string ExpressionName;
  std::string Expression;
  TExpressionType ExpressionType = etPlanet;
};

// One named list and the name last selected in it.
class TExpressions {
 public:
  std::vector<TExpressionItem> ExpressionList;
  std::string CurrentExpression;

  // Index of the first item with that name, compared without case; -1 when none.
  int IndexOf(std::string_view name) const;
  // The expression text of the first item with that name (without case), or "".
  std::string ExpressionByName(std::string_view name) const;
  std::vector<std::string> Names() const;
  TExpressionItem& Add();
  void Delete(int index);
};

// How a list file was read.
enum class TListFileState {
  Missing,     // no file: an empty list, saved normally
  Loaded,      // read whole
  Unreadable,  // could not be read or understood: the list is empty and is not saved
};

// The file's text for a list, and the list from a text. Parse throws TovixError with a message
// naming what is wrong (no header, another format, a missing item); writing a value with a line
// feed throws.
std::string ExpressionsToText(const TExpressions& list);
TExpressions ExpressionsFromText(std::string_view text);

// The file of a list: folder / ("Groups Expressions_" | "Planets Expressions_") + suffix, where
// the suffix is the game's section name for the local list and "Global" for the global one.
std::filesystem::path ExpressionFileName(const std::filesystem::path& folder, TExpressionKind kind,
                                         std::string_view suffix);

// One list bound to its file.
class TExpressionFile {
 public:
  TExpressionFile() = default;
  explicit TExpressionFile(std::filesystem::path file) : file_(std::move(file)) {}

  // Reloads the list; a file that cannot be read or understood is reported through `ui` with
  // its name and the reason, and leaves the list empty and unsaveable.
  TListFileState Load(UserInterface& ui);
  // Writes the list atomically. Does nothing (and returns false) when the last load failed, so
  // a broken file is never replaced by an empty list. A failed write is reported through `ui`.
  bool Save(UserInterface& ui);

  TExpressions List;
  const std::filesystem::path& File() const { return file_; }
  TListFileState State() const { return state_; }

 private:
  std::filesystem::path file_;
  TListFileState state_ = TListFileState::Missing;
};

// The two lists of one kind in the selection window.
struct TExpressionLists {
  TExpressionKind Kind = TExpressionKind::Planets;
  TExpressionFile Local;
  TExpressionFile Global;

  // Binds both lists to their files (folder, kind, game section) and loads them.
  void Open(const std::filesystem::path& folder, TExpressionKind kind, std::string_view gameSection,
            UserInterface& ui);
  // Stores each list's selected name (empty when none) and saves both.
  void Close(std::string_view localSelected, std::string_view globalSelected, UserInterface& ui);
};

// Moves the item named `name` from one list into the other (a new item with its name and text;
// the old one is deleted). False, and nothing changes, when `from` has no such item or `to`
// already has one of that name.
bool MoveExpression(TExpressions& from, TExpressions& to, std::string_view name);

// What the builder stores as the expression (Latin-1 text): carriage returns removed, line
// feeds and no-break spaces (byte 160) turned into blanks.
std::string CleanBuilderText(std::string_view memoText);
// The builder's OK rule: the name is not empty and no other item of the list (than
// `editedIndex`, -1 for a new item) has it, compared without case.
bool BuilderNameAcceptable(const TExpressions& list, std::string_view name, int editedIndex);

// The builder's templates of a kind, and its categories of entries.
struct TExpressionTemplate {
  const char* Name;
  const char* Expression;
};
struct TBuilderCategory {
  std::string Name;
  std::vector<std::string> Entries;
};
std::vector<TExpressionTemplate> ExpressionTemplates(TExpressionKind kind);
std::vector<TBuilderCategory> BuilderCategories(TExpressionKind kind);
// The "Valid Variables" text of a kind: one line per variable, tabs, its description, CR LF.
std::string ValidVariablesText(TExpressionKind kind);

inline const char* ExpressionKindCaption(TExpressionKind kind) {
  return kind == TExpressionKind::Groups ? "Groups Expressions" : "Planets Expressions";
}

}  // namespace tovix
