#include "expressions/named_expressions.h"

#include <charconv>

#include "core/base/errors.h"
#include "core/base/user_interface.h"
#include "core/text/file_utils.h"
#include "core/text/str_utils.h"

namespace tovix {

namespace {

constexpr std::string_view kHeader = "Expressions";
// The builder's text is Latin-1, as every text of the model.
constexpr std::string_view kNbsp = "\xA0";

// The values of one section, in file order; the first occurrence of a key counts.
struct TSectionText {
  std::string Name;
  std::vector<std::pair<std::string, std::string>> Values;

  const std::string* Find(std::string_view key) const {
    for (const auto& [k, v] : Values)
      if (SameText(k, key)) return &v;
    return nullptr;
  }
};

std::vector<TSectionText> SplitSections(std::string_view text) {
  std::vector<TSectionText> sections;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      sections.push_back({std::string(line.substr(1, line.size() - 2)), {}});
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos || sections.empty())
      throw TovixError("a line that is neither a section nor a value");
    sections.back().Values.emplace_back(std::string(line.substr(0, eq)),
                                        std::string(line.substr(eq + 1)));
  }
  return sections;
}

int ReadNumber(const std::string* value, std::string_view what) {
  int n = -1;
  if (value == nullptr) throw TovixError("no " + std::string(what));
  const auto [ptr, ec] = std::from_chars(value->data(), value->data() + value->size(), n);
  if (ec != std::errc() || ptr != value->data() + value->size() || n < 0)
    throw TovixError("a bad " + std::string(what) + " \"" + *value + "\"");
  return n;
}

// A line feed would end the value's line. A lone CR is kept: the reader takes a line's last CR
// as its line end only, so a value with CRs reads back as it was written (a list that loaded
// one must stay saveable, or every later change of it would be lost).
void CheckValue(std::string_view value) {
  if (value.find('\n') != std::string_view::npos)
    throw TovixError("a name or expression holds a line feed");
}

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
  for (size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size()))
    s.replace(p, from.size(), to);
}

}  // namespace

int TExpressions::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < ExpressionList.size(); ++i)
    if (SameText(ExpressionList[i].ExpressionName, name)) return static_cast<int>(i);
  return -1;
}

std::string TExpressions::ExpressionByName(std::string_view name) const {
  const int i = IndexOf(name);
  return i < 0 ? std::string() : ExpressionList[i].Expression;
}

std::vector<std::string> TExpressions::Names() const {
  std::vector<std::string> names;
  for (const TExpressionItem& item : ExpressionList) names.push_back(item.ExpressionName);
  return names;
}

TExpressionItem& TExpressions::Add() {
  return ExpressionList.emplace_back();
}

void TExpressions::Delete(int index) {
  if (index >= 0 && index < static_cast<int>(ExpressionList.size()))
    ExpressionList.erase(ExpressionList.begin() + index);
}

std::string ExpressionsToText(const TExpressions& list) {
  CheckValue(list.CurrentExpression);
  std::string text = "[Expressions]\r\nFormat=1\r\nCurrentExpression=" + list.CurrentExpression +
                     "\r\nCount=" + std::to_string(list.ExpressionList.size()) + "\r\n";
  int n = 0;
  for (const TExpressionItem& item : list.ExpressionList) {
    CheckValue(item.ExpressionName);
    CheckValue(item.Expression);
    text += "[Item" + std::to_string(++n) + "]\r\nName=" + item.ExpressionName +
            "\r\nExpression=" + item.Expression +
            "\r\nType=" + std::to_string(static_cast<int>(item.ExpressionType)) + "\r\n";
  }
  return text;
}

TExpressions ExpressionsFromText(std::string_view text) {
  const std::vector<TSectionText> sections = SplitSections(text);
  auto find = [&](std::string_view name) -> const TSectionText* {
    for (const TSectionText& s : sections)
      if (SameText(s.Name, name)) return &s;
    return nullptr;
  };
  const TSectionText* header = find(kHeader);
  if (header == nullptr) throw TovixError("no [Expressions] section");
  if (ReadNumber(header->Find("Format"), "format") != 1)
    throw TovixError("an unknown format \"" + *header->Find("Format") + "\"");
  TExpressions list;
  if (const std::string* current = header->Find("CurrentExpression"))
    list.CurrentExpression = *current;
  const int count = ReadNumber(header->Find("Count"), "count");
  for (int i = 1; i <= count; ++i) {
    const std::string section = "Item" + std::to_string(i);
    const TSectionText* s = find(section);
    if (s == nullptr) throw TovixError("no [" + section + "] section");
    const std::string* name = s->Find("Name");
    const std::string* expression = s->Find("Expression");
    if (name == nullptr || expression == nullptr)
      throw TovixError("[" + section + "] lacks a name or an expression");
    const int type = s->Find("Type") ? ReadNumber(s->Find("Type"), "type") : etPlanet;
    if (type > etPlanet) throw TovixError("[" + section + "] has an unknown type");
    list.ExpressionList.push_back({*name, *expression, static_cast<TExpressionType>(type)});
  }
  return list;
}

std::filesystem::path ExpressionFileName(const std::filesystem::path& folder, TExpressionKind kind,
                                         std::string_view suffix) {
  const std::string base =
      kind == TExpressionKind::Groups ? "Groups Expressions_" : "Planets Expressions_";
  return folder / (base + std::string(suffix));
}

TListFileState TExpressionFile::Load(UserInterface& ui) {
  List = {};
  try {
    const std::optional<std::string> text = LoadFileIfExists(file_);
    if (!text) return state_ = TListFileState::Missing;
    List = ExpressionsFromText(*text);
    return state_ = TListFileState::Loaded;
  } catch (const std::exception& e) {
    List = {};
    ui.ShowMessage("The expression file \"" + file_.string() + "\" could not be read (" + e.what() +
                   "). It is left unchanged.");
    return state_ = TListFileState::Unreadable;
  }
}

bool TExpressionFile::Save(UserInterface& ui) {
  if (state_ == TListFileState::Unreadable || file_.empty()) return false;
  try {
    WriteFileAtomically(file_, ExpressionsToText(List));
    state_ = TListFileState::Loaded;
    return true;
  } catch (const std::exception& e) {
    ui.ShowMessage("The expression file \"" + file_.string() + "\" could not be written (" +
                   e.what() + ").");
    return false;
  }
}

void TExpressionLists::Open(const std::filesystem::path& folder, TExpressionKind kind,
                            std::string_view gameSection, UserInterface& ui) {
  Kind = kind;
  Local = TExpressionFile(ExpressionFileName(folder, kind, gameSection));
  Global = TExpressionFile(ExpressionFileName(folder, kind, "Global"));
  Local.Load(ui);
  Global.Load(ui);
}

void TExpressionLists::Close(std::string_view localSelected, std::string_view globalSelected,
                             UserInterface& ui) {
  Local.List.CurrentExpression = std::string(localSelected);
  Global.List.CurrentExpression = std::string(globalSelected);
  Local.Save(ui);
  Global.Save(ui);
}

bool MoveExpression(TExpressions& from, TExpressions& to, std::string_view name) {
  const int i = from.IndexOf(name);
  if (i < 0 || to.IndexOf(name) >= 0) return false;
  TExpressionItem& item = to.Add();
  item.ExpressionName = from.ExpressionList[i].ExpressionName;
  item.Expression = from.ExpressionList[i].Expression;
  item.ExpressionType = from.ExpressionList[i].ExpressionType;
  from.Delete(i);
  return true;
}

std::string CleanBuilderText(std::string_view memoText) {
  std::string s;
  for (char c : memoText)
    if (c != '\r') s += c == '\n' ? ' ' : c;
  ReplaceAll(s, kNbsp, " ");
  return s;
}

bool BuilderNameAcceptable(const TExpressions& list, std::string_view name, int editedIndex) {
  if (name.empty()) return false;
  for (size_t i = 0; i < list.ExpressionList.size(); ++i)
    if (static_cast<int>(i) != editedIndex && SameText(list.ExpressionList[i].ExpressionName, name))
      return false;
  return true;
}

std::vector<TExpressionTemplate> ExpressionTemplates(TExpressionKind kind) {
  if (kind == TExpressionKind::Groups)
    return {
        {"My available Groups within 50 LY of planetname",
         "([GR_NAME]=[PLAYERNAME]) and ([GR_AVAILABLE]>0) and (DISTANCE( 'planetname' , "
         "[PT_NAME] ) < 50)"},
        {"My available Groups that can move",
         "([GR_NAME]=[PLAYERNAME]) and ([GR_AVAILABLE]>0) and ([GR_EFFSPEED] > 0)"},
        {"My available groups that can reach planetname in 1 turn",
         "([GR_NAME]=[PLAYERNAME]) and ([GR_AVAILABLE]>0) and (DISTANCE( 'planetname' , "
         "[PT_NAME] ) < [GR_EFFSPEED])"},
        {"Armed Groups", "[ST_ATTACKSCOUNT]>0"},
        {"Show Planets that do not have drone on it now and next turn",
         "invert(([ST_NAME]='drone') and (([GR_ETA]=0) or ([GR_ETA]=1)))"},
    };
  return {
      {"Planets without any of my and friendly groups (and none sent)",
       "([PT_MYMASS]=0) and ([PT_FRIENDLYMASS]=0) and\xA0([PT_SENTMASS] = 0)\xA0"},
      {"Planets within 50 LY of planetname", "DISTANCE( 'planetname' , [PT_NAME] ) < 50"},
      {"Enemy's Ships detected", "[PT_ENEMYMASS]>0"},
      {"Planets where groups will arive in coming turns",
       "([PT_SENTMASSETA2]>0) or ([PT_SENTMASS]>0) or ([PT_SENTMASSETA3PLUS]>0)"},
  };
}

std::vector<TBuilderCategory> BuilderCategories(TExpressionKind kind) {
  const bool groups = kind == TExpressionKind::Groups;
  std::vector<TBuilderCategory> c;
  if (groups) {
    c.push_back({"ShipType Variables",
                 {"[ST_NOSTATIONARY]", "[ST_DRIVEMASS]", "[ST_ATTACKSCOUNT]", "[ST_WEAPONSMASS]",
                  "[ST_SHIELDSMASS]", "[ST_CARGOMASS]", "[ST_MASS]", "[ST_NAME]"}});
    c.push_back(
        {"Group Variables", {"[GR_COUNT]",           "[GR_AVAILABLE]",      "[GR_NAME]",
                             "[GR_OWNERWAR]",        "[GR_TURN]",           "[GR_RANGE]",
                             "[GR_DRIVETECH]",       "[GR_WEAPONSTECH]",    "[GR_SHIELDSTECH]",
                             "[GR_CARGOTECH]",       "[GR_LOAD]",           "[GR_EFFCARGO]",
                             "[GR_EFFWEAPON]",       "[GR_EFFSHIELD]",      "[GR_EFFSHIELDLOADED]",
                             "[GR_EFFSPEED]",        "[GR_EFFSPEEDLOADED]", "[GR_EFFSPEEDNOW]",
                             "[GR_FLEETNAME]",       "[GR_UPGRADECOST]",    "[GR_ETA]",
                             "[GR_SOURCE]",          "[GR_SOURCEOWNER]",    "[GR_DESTINATION]",
                             "[GR_DESTINATIONOWNER]"}});
  }
  c.push_back({"Planet Variables",
               {"[PT_NAME]",
                groups ? "[PT_OWNERNAME]" : "[PT_LASTOWNERNAME]",
                "[PT_X]",
                "[PT_Y]",
                "[PT_SIZE]",
                "[PT_RES]",
                "[PT_POPULATION]",
                "[PT_INDUSTRY]",
                "[PT_EFFINDUSTRY]",
                "[PT_EFFMASS]",
                "[PT_CAP]",
                "[PT_MAT]",
                "[PT_COL]",
                "[PT_MYMASS]",
                "[PT_FRIENDLYMASS]",
                "[PT_ENEMYMASS]",
                "[PT_SENTMASS]",
                "[PT_SENTMASSETA2]",
                "[PT_SENTMASSETA3PLUS]",
                "[PT_NEXTTURNMASS]",
                "[PT_PRODTYPE]",
                "[PT_PRODAMOUNT]",
                "[PT_PRODAMOUNTFULL]"}});
  c.push_back({"Custom Variables", {"[PLAYERNAME]"}});
  c.push_back(
      {"Custom Functions",
       {"ATOI( 'string' )", "DISTANCE( 'planetName1' , 'planetName2' )", "INVERT( expression )"}});
  c.push_back({"Comparison Operators", {"=", "<>", ">", "<", ">=", "<="}});
  c.push_back({"Arithmetic Operators", {"+", "-", "*", "/", "^"}});
  c.push_back({"String Concatenation Operators", {"&", "&&"}});
  c.push_back({"Logical Operators", {"not", "and", "or", "xor"}});
  c.push_back({"Standard Arithmetic Functions",
               {"Abs( <number> )", "Max( <number1> , <number2> )", "Min( <number1> , <number2> )",
                "Odd( <number> )", "Rnd( <number> )", "Int( <number> )", "Frac( <number> )",
                "Cos( <teta> )", "Sin( <teta> )", "Tan( <teta> )", "Exp( <number> )",
                "Ln( <number> )", "Log( <a>,<b> )", "ArcTan( <number> )", "Sqrt( <number> )",
                "Deg2Rad( <number> )", "Rad2Deg( <number> )", "Pi( <number> )"}});
  c.push_back({"Standard String Functions",
               {"Format( <value> , <format> )", "Mid( <text> , <from> , <count> )", "Len( <text> )",
                "Instr( <start> , <where> , <what> )", "Chr( <code> )", "Asc( <text> )",
                "String( <code> , <count> )", "CrLf( <count> )", "LTrim( <text> )",
                "RTrim( <text> )", "Trim( <text> )", "UCase( <text> )", "LCase( <text> )",
                "Hex( <number> , <width>)", "Concat( <text1> , <text2> , <separator> )"}});
  c.push_back({"Standard Date Functions",
               {"MakeDate( <m> , <d> , <y> )", "Month( <date> )", "Day( <date> )", "Year( <date> )",
                "Date()", "Today( <IncMonth> , <IncDays> )",
                "IncDate( <Date> , <IncMonth> , <IncDays> )"}});
  c.push_back({"Miscelanous Functions", {"IIf( <boolean> , <truepart> , <falsepart> )"}});
  return c;
}

std::string ValidVariablesText(TExpressionKind kind) {
  using Line = std::pair<const char*, const char*>;
  static const Line kPlanetLines[] = {
      {"[PT_X]", "X position of planet"},
      {"[PT_Y]", "Y position of planet"},
      {"[PT_SIZE]", "Size of planet"},
      {"[PT_RES]", "Resources of planet"},
      {"[PT_POPULATION]", "Current population of planet"},
      {"[PT_INDUSTRY]", "Current industry of planet"},
      {"[PT_EFFINDUSTRY]", "Effective industry of planet"},
      {"[PT_EFFMASS]", "Ability to produce this amount of ship mass on planet"},
      {"[PT_CAP]", "Current capital stockpiles on planet"},
      {"[PT_MAT]", "Current material stockpiles on planet"},
      {"[PT_COL]", "Current colonist stockpiles on planet"},
      {"[PT_MYMASS]", "My total groups mass on planet"},
      {"[PT_FRIENDLYMASS]", "Friendly total groups mass on planet"},
      {"[PT_ENEMYMASS]", "Enemy total groups mass on planet"},
      {"[PT_SENTMASS]", "My total groups mass of groups that will arive next turn on planet"},
      {"[PT_SENTMASSETA2]",
       "My total groups mass of groups that will arive in two turns on planet"},
      {"[PT_SENTMASSETA3PLUS]",
       "My total groups mass of groups that will arive in three or more turns on planet"},
      {"[PT_NEXTTURNMASS]", "My total groups mass next turn on planet"},
      {"[PT_PRODTYPE]", "Was produced this turn on planet"},
      {"[PT_PRODAMOUNT]", "Will produce this amount this turn on planet"},
      {"[PT_PRODAMOUNTFULL]", "Will produce this amount on planet when full developed"},
  };
  static const Line kGroupLines[] = {
      {"[GR_COUNT]", "Number of ships in group"},
      {"[GR_AVAILABLE]", "Number of ships in group available to send"},
      {"[GR_NAME]", "Owner Name of Group"},
      {"[GR_OWNERWAR]", "Is Owner of Group set to war with you"},
      {"[GR_TURN]", "Turn number of group (seen in turn)"},
      {"[GR_RANGE]", "Distance of group from destination"},
      {"[GR_DRIVETECH]", "Drive tech used for group"},
      {"[GR_WEAPONSTECH]", "Weapon tech used for group"},
      {"[GR_SHIELDSTECH]", "Shields tech used for group"},
      {"[GR_CARGOTECH]", "Cargo tech used for group"},
      {"[GR_LOAD]", "Amount of cargo loaded to group"},
      {"[GR_EFFCARGO]", "Effective cargo space of ships in group"},
      {"[GR_EFFWEAPON]", "Effective weapon strenght"},
      {"[GR_EFFSHIELD]", "Effective shield strenght"},
      {"[GR_EFFSHIELDLOADED]", "Effective shield strenght when loaded"},
      {"[GR_EFFSPEED]", "Effective speed"},
      {"[GR_EFFSPEEDLOADED]", "Effective speed when loaded"},
      {"[GR_EFFSPEEDNOW]", "Current speed of group"},
      {"[GR_FLEETNAME]", "Name of Fleet"},
      {"[GR_UPGRADECOST]", "Costs of upgrade to current techlevels per ship"},
      {"[GR_ETA]", "Number of turns needed to reach destination"},
      {"[GR_SOURCE]", "Name of planet that group came from"},
      {"[GR_DESTINATION]", "Name of planet that group will fly to"},
      {"[GR_ETA]", "Number of turns needed to reach destination"},
      {"[PT_NAME]", "Name of planet where group is"},
      {"[PT_OWNERNAME]", "Name of owner of planet where group is"},
  };
  static const Line kShipTypeLines[] = {
      {"[ST_NOSTATIONARY]", "Shiptype is intended to move"},
      {"[ST_DRIVEMASS]", "Mass used for drives"},
      {"[ST_ATTACKSCOUNT]", "Number of attacks"},
      {"[ST_WEAPONSMASS]", "Weapons "},
      {"[ST_SHIELDSMASS]", "Mass used for shields"},
      {"[ST_CARGOMASS]", "Mass used for cargo"},
      {"[ST_MASS]", "Total mass"},
      {"[ST_NAME]", "Name of shiptype"},
  };
  std::vector<std::string> lines;
  auto add = [&](const Line& l) { lines.push_back(std::string(l.first) + "\t\t" + l.second); };
  add({"[PLAYERNAME]", "Name of player"});
  if (kind == TExpressionKind::Groups) {
    for (const Line& l : kGroupLines) add(l);
    for (const Line& l : kPlanetLines) add(l);
    for (const Line& l : kShipTypeLines) add(l);
  } else {
    for (const Line& l : kPlanetLines) add(l);
    add({"[PT_NAME]", "Name of planet"});
    add({"[PT_LASTOWNERNAME]", "Name of last known owner"});
  }
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
  return text;
}

}  // namespace tovix
