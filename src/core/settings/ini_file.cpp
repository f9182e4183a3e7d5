#include "core/settings/ini_file.h"

#include <charconv>
#include <utility>

#include "core/base/errors.h"
#include "core/text/file_utils.h"
#include "core/text/numbers.h"

namespace tovix {

namespace {

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Only a-z fold: names are 8-bit text in no particular code page.
std::string Fold(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

bool HasLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != s.npos;
}

// Blank lines and comments at the end of a section usually introduce the next section.
bool IsBlankOrComment(std::string_view line) {
  std::string_view t = Trim(line);
  return t.empty() || t[0] == ';' || t[0] == '#';
}

// The whole file, or "" when there is none.
std::string ReadFileIfAny(const std::string& path) {
  return LoadFileIfExists(path).value_or(std::string());
}

}  // namespace

TIniFile::TIniFile(std::string fileName, TMode mode, bool stripQuotes)
    : fileName_(std::move(fileName)), mode_(mode), stripQuotes_(stripQuotes) {
  if (mode_ == TMode::InMemory && OnDisk()) doc_ = Parse(ReadFileIfAny(fileName_));
}

// ---- lines <-> document

TIniFile::TDocument TIniFile::Parse(std::string_view bytes) {
  TDocument doc;
  bool sawEol = false;
  auto addLine = [&doc](std::string_view line) {
    std::string_view t = Trim(line);
    if (!t.empty() && t[0] == '[') {
      size_t close = t.find(']');
      if (close != t.npos) {
        doc.sections.push_back(
            {std::string(Trim(t.substr(1, close - 1))), std::string(line), {}, {}});
        return;
      }
    }
    if (doc.sections.empty()) {
      doc.preamble.emplace_back(line);
      return;
    }
    TEntry e{std::string(line), {}, {}};
    size_t eq = t.find('=');
    if (!t.empty() && t[0] != ';' && t[0] != '#' && eq != t.npos &&
        !Trim(t.substr(0, eq)).empty()) {
      e.key = Trim(t.substr(0, eq));
      e.value = Trim(t.substr(eq + 1));
    }
    doc.sections.back().entries.push_back(std::move(e));
  };
  size_t i = 0;
  while (i < bytes.size()) {
    size_t j = bytes.find_first_of("\r\n", i);
    if (j == bytes.npos) {
      addLine(bytes.substr(i));
      doc.finalEol = false;
      break;
    }
    addLine(bytes.substr(i, j - i));
    size_t len = bytes[j] == '\r' && j + 1 < bytes.size() && bytes[j + 1] == '\n' ? 2 : 1;
    if (!sawEol) doc.eol = bytes.substr(j, len);
    sawEol = true;
    i = j + len;
  }
  IndexSections(doc);
  for (TSection& s : doc.sections) IndexKeys(s);
  return doc;
}

std::string TIniFile::Render(const TDocument& doc) {
  std::string out;
  bool first = true;
  auto add = [&](const std::string& line) {
    if (!first) out += doc.eol;
    out += line;
    first = false;
  };
  for (const std::string& line : doc.preamble) add(line);
  for (const TSection& s : doc.sections) {
    add(s.header);
    for (const TEntry& e : s.entries) add(e.text);
  }
  if (!first && doc.finalEol) out += doc.eol;
  return out;
}

void TIniFile::IndexSections(TDocument& doc) {
  doc.sectionIndex.clear();
  for (size_t i = 0; i < doc.sections.size(); ++i)
    doc.sectionIndex.emplace(Fold(doc.sections[i].name), i);  // keeps the first
}

void TIniFile::IndexKeys(TSection& s) {
  s.keys.clear();
  for (size_t i = 0; i < s.entries.size(); ++i)
    if (!s.entries[i].key.empty()) s.keys.emplace(Fold(s.entries[i].key), i);
}

// ---- disk

void TIniFile::Refresh() const {
  if (!Live() || batchDepth_ > 0) return;
  std::string bytes = ReadFileIfAny(fileName_);
  if (diskBytes_ && *diskBytes_ == bytes) return;
  doc_ = Parse(bytes);
  diskBytes_ = std::move(bytes);
}

void TIniFile::EndChange(bool changed) {
  if (!changed || !Live()) return;
  if (batchDepth_ > 0) {
    pending_ = true;
    diskBytes_.reset();
    return;
  }
  Save();
}

void TIniFile::Save() {
  std::string bytes = Render(doc_);
  try {
    WriteFileAtomically(fileName_, bytes);
  } catch (...) {
    diskBytes_.reset();  // memory now differs from the file: read it again next time
    throw;
  }
  diskBytes_ = std::move(bytes);
}

void TIniFile::UpdateFile() {
  if (mode_ == TMode::InMemory && OnDisk()) WriteFileAtomically(fileName_, Render(doc_));
}

std::string TIniFile::Text() const {
  Refresh();
  return Render(doc_);
}

TIniFile::TBatch::TBatch(TIniFile& ini) : ini_(ini), outer_(ini.Live() && ini.batchDepth_ == 0) {
  if (!ini_.Live()) return;
  if (outer_) {
    ini_.Refresh();
    ini_.pending_ = false;
  }
  ++ini_.batchDepth_;
}

TIniFile::TBatch::~TBatch() {
  if (!ini_.Live()) return;
  --ini_.batchDepth_;
  // Changes left without Commit() are forgotten: each of them cleared diskBytes_, so the next
  // access reads the file again.
  if (outer_) ini_.pending_ = false;
}

void TIniFile::TBatch::Commit() {
  if (!outer_ || !ini_.pending_) return;
  ini_.pending_ = false;
  ini_.Save();
}

// ---- lookups

const TIniFile::TSection* TIniFile::FindSection(std::string_view name) const {
  auto it = doc_.sectionIndex.find(Fold(Trim(name)));
  return it == doc_.sectionIndex.end() ? nullptr : &doc_.sections[it->second];
}

TIniFile::TSection* TIniFile::FindSection(std::string_view name) {
  return const_cast<TSection*>(std::as_const(*this).FindSection(name));
}

const TIniFile::TEntry* TIniFile::FindEntry(std::string_view section, std::string_view key) const {
  Refresh();
  const TSection* s = FindSection(section);
  if (!s) return nullptr;
  auto it = s->keys.find(Fold(Trim(key)));
  return it == s->keys.end() ? nullptr : &s->entries[it->second];
}

// ---- reading

std::string TIniFile::ValueOf(const TEntry& e) const {
  std::string_view v = e.value;
  if (stripQuotes_ && v.size() >= 2 && v.front() == '"' && v.back() == '"')
    v = v.substr(1, v.size() - 2);
  return std::string(v);
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view def) const {
  const TEntry* e = FindEntry(section, key);
  return e ? ValueOf(*e) : std::string(def);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  return StrToIntDef(ReadString(section, key, ""), def);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  std::string v = Fold(ReadString(section, key, ""));
  int32_t n;
  if (TryParseInt(v, n)) return n != 0;
  if (v == "true" || v == "yes") return true;
  if (v == "false" || v == "no") return false;
  return def;
}

double TIniFile::ReadFloat(std::string_view section, std::string_view key, double def) const {
  return StrToFloatDef(ReadString(section, key, ""), def);
}

bool TIniFile::SectionExists(std::string_view section) const {
  Refresh();
  return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
  return FindEntry(section, key) != nullptr;
}

std::vector<std::string> TIniFile::ReadSections() const {
  Refresh();
  std::vector<std::string> names;
  for (size_t i = 0; i < doc_.sections.size(); ++i)
    if (doc_.sectionIndex.at(Fold(doc_.sections[i].name)) == i)
      names.push_back(doc_.sections[i].name);
  return names;
}

std::vector<const TIniFile::TEntry*> TIniFile::KeysOf(std::string_view section) const {
  Refresh();
  std::vector<const TEntry*> keys;
  if (const TSection* s = FindSection(section))
    for (size_t i = 0; i < s->entries.size(); ++i)
      if (!s->entries[i].key.empty() && s->keys.at(Fold(s->entries[i].key)) == i)
        keys.push_back(&s->entries[i]);
  return keys;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const {
  std::vector<std::string> names;
  for (const TEntry* e : KeysOf(section)) names.push_back(e->key);
  return names;
}

std::vector<std::string> TIniFile::ReadSectionValues(std::string_view section) const {
  std::vector<std::string> lines;
  for (const TEntry* e : KeysOf(section)) lines.push_back(e->key + "=" + ValueOf(*e));
  return lines;
}

// ---- writing

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::string_view s = Trim(section), k = Trim(key), v = Trim(value);
  if (HasLineBreak(s) || s.find(']') != s.npos) throw TovixError("Invalid INI section name");
  if (k.empty() || HasLineBreak(k) || k.find('=') != k.npos || k[0] == ';' || k[0] == '#' ||
      k[0] == '[')
    throw TovixError("Invalid INI key name");
  if (HasLineBreak(v)) throw TovixError("Line break in an INI value");

  Refresh();
  TSection* sec = FindSection(s);
  if (!sec) {
    doc_.sections.push_back({std::string(s), "[" + std::string(s) + "]", {}, {}});
    doc_.sectionIndex.emplace(Fold(s), doc_.sections.size() - 1);
    sec = &doc_.sections.back();
  }
  bool changed = true;
  auto it = sec->keys.find(Fold(k));
  if (it != sec->keys.end()) {
    TEntry& e = sec->entries[it->second];
    changed = e.value != v;
    if (changed) {
      e.value = v;
      e.text = e.key + "=" + e.value;
    }
  } else {
    size_t pos = sec->entries.size();
    while (pos > 0 && IsBlankOrComment(sec->entries[pos - 1].text)) --pos;
    std::string text = std::string(k) + "=" + std::string(v);
    sec->entries.insert(sec->entries.begin() + static_cast<std::ptrdiff_t>(pos),
                        TEntry{text, std::string(k), std::string(v)});
    // Only blank lines and comments lie behind the new entry, so no indexed key moves: adding
    // n keys stays linear (rebuilding the index here made a save of many keys quadratic).
    sec->keys.emplace(Fold(k), pos);
  }
  EndChange(changed);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniFile::WriteFloat(std::string_view section, std::string_view key, double value) {
  // to_chars gives the shortest text that reads back exactly, and ignores the locale.
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  WriteString(section, key, std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
}

void TIniFile::EraseSection(std::string_view section) {
  Refresh();
  std::string folded = Fold(Trim(section));
  auto& v = doc_.sections;
  size_t before = v.size();
  std::erase_if(v, [&](const TSection& s) { return Fold(s.name) == folded; });
  bool changed = v.size() != before;
  if (changed) IndexSections(doc_);
  EndChange(changed);
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
  Refresh();
  TSection* s = FindSection(section);
  bool changed = false;
  if (s) {
    std::string folded = Fold(Trim(key));
    size_t before = s->entries.size();
    std::erase_if(s->entries,
                  [&](const TEntry& e) { return !e.key.empty() && Fold(e.key) == folded; });
    changed = s->entries.size() != before;
    if (changed) IndexKeys(*s);
  }
  EndChange(changed);
}

}  // namespace tovix
