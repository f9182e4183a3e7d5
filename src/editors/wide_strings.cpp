#include "editors/wide_strings.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <utility>

#include "core/base/errors.h"
#include "core/text/file_utils.h"
#include "core/text/str_utils.h"

namespace tovix {

namespace {

// Locale identifiers (primary language, default sublanguage) of the languages Qt names.
constexpr std::pair<QLocale::Language, TLanguage> kLanguages[] = {
    {QLocale::English, 1033},         {QLocale::Dutch, 1043},     {QLocale::German, 1031},
    {QLocale::French, 1036},          {QLocale::Spanish, 3082},   {QLocale::Italian, 1040},
    {QLocale::Russian, 1049},         {QLocale::Ukrainian, 1058}, {QLocale::Polish, 1045},
    {QLocale::Czech, 1029},           {QLocale::Swedish, 1053},   {QLocale::Portuguese, 2070},
    {QLocale::Japanese, 1041},        {QLocale::Chinese, 2052},   {QLocale::Greek, 1032},
    {QLocale::Turkish, 1055},         {QLocale::Finnish, 1035},   {QLocale::Danish, 1030},
    {QLocale::NorwegianBokmal, 1044}, {QLocale::Hungarian, 1038}};

constexpr TLanguage PrimaryOf(TLanguage language) {
  return language & 0x3FF;
}

}  // namespace

TLanguage SystemLanguage() {
  const QLocale::Language language = QLocale::system().language();
  for (const auto& [qt, lcid] : kLanguages)
    if (qt == language) return lcid;
  return 1033;
}

QLocale LocaleOfLanguage(TLanguage language) {
  for (const auto& [qt, lcid] : kLanguages)
    if (PrimaryOf(lcid) == PrimaryOf(language)) return QLocale(qt);
  return QLocale::c();
}

int CompareWideText(const QString& a, const QString& b, TLanguage language) {
  QCollator collator(LocaleOfLanguage(language));
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  const int order = collator.compare(a, b);
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

// ---- TWideStrings

TWideStrings::TWideStrings() : language_(SystemLanguage()) {}

TWideStrings::~TWideStrings() = default;

void TWideStrings::Put(int index, const QString& s) {
  const QVariant object = GetObject(index);
  Delete(index);
  Insert(index, s);
  PutObject(index, object);
}

int TWideStrings::Add(const QString& s) {
  const int index = GetCount();
  Insert(index, s);
  return index;
}

int TWideStrings::AddObject(const QString& s, const QVariant& object) {
  const int index = Add(s);
  PutObject(index, object);
  return index;
}

void TWideStrings::AddStrings(const TWideStrings& other) {
  BeginUpdate();
  for (int i = 0; i < other.Count(); ++i) AddObject(other.Get(i), other.GetObject(i));
  EndUpdate();
}

void TWideStrings::Assign(const TWideStrings& other) {
  if (&other == this) return;
  BeginUpdate();
  Clear();
  AddStrings(other);
  EndUpdate();
}

void TWideStrings::Assign(const std::vector<std::string>& lines, int codePage) {
  BeginUpdate();
  Clear();
  for (const std::string& line : lines) Add(QString::fromStdU16String(AnsiToWide(line, codePage)));
  EndUpdate();
}

void TWideStrings::BeginUpdate() {
  if (updateCount_++ == 0) SetUpdateState(true);
}

void TWideStrings::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) SetUpdateState(false);
}

bool TWideStrings::Equals(const TWideStrings& other) const {
  if (Count() != other.Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (Get(i) != other.Get(i)) return false;
  return true;
}

void TWideStrings::Exchange(int a, int b) {
  const int count = Count();
  if (a < 0 || b < 0 || a >= count || b >= count || a == b) return;
  BeginUpdate();
  const QString first = Get(a);
  const QVariant firstObject = GetObject(a);
  Put(a, Get(b));
  PutObject(a, GetObject(b));
  Put(b, first);
  PutObject(b, firstObject);
  EndUpdate();
}

void TWideStrings::Move(int from, int to) {
  const int count = Count();
  if (from == to || from < 0 || to < 0 || from >= count || to >= count) return;
  BeginUpdate();
  const QString s = Get(from);
  const QVariant object = GetObject(from);
  Delete(from);
  Insert(to, s);
  PutObject(to, object);
  EndUpdate();
}

int TWideStrings::IndexOf(const QString& s) const {
  QCollator collator(LocaleOfLanguage(Language()));
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  for (int i = 0; i < Count(); ++i)
    if (collator.compare(Get(i), s) == 0) return i;
  return -1;
}

void TWideStrings::Sort() {
  const int count = Count();
  std::vector<std::pair<QString, QVariant>> items;
  items.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) items.emplace_back(Get(i), GetObject(i));
  QCollator collator(LocaleOfLanguage(Language()));
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::stable_sort(items.begin(), items.end(), [&collator](const auto& a, const auto& b) {
    return collator.compare(a.first, b.first) < 0;
  });
  BeginUpdate();
  Clear();
  for (const auto& [text, object] : items) AddObject(text, object);
  EndUpdate();
}

QString TWideStrings::GetTextStr() const {
  QString text;
  for (int i = 0; i < Count(); ++i) text += Get(i) + QStringLiteral("\r\n");
  return text;
}

void TWideStrings::SetTextStr(const QString& text) {
  BeginUpdate();
  Clear();
  const qsizetype size = text.size();
  for (qsizetype start = 0; start < size;) {
    qsizetype end = start;
    while (end < size && text[end] != QLatin1Char('\r') && text[end] != QLatin1Char('\n')) ++end;
    Add(text.mid(start, end - start));
    // The line end: CR LF, CR or LF.
    if (end < size && text[end++] == QLatin1Char('\r') && end < size &&
        text[end] == QLatin1Char('\n'))
      ++end;
    start = end;
  }
  EndUpdate();
}

std::string TWideStrings::SaveToStream() const {
  const QString text = GetTextStr();
  std::string bytes;
  bytes.reserve(2 + 2 * static_cast<size_t>(text.size()));
  bytes += '\xFF';
  bytes += '\xFE';
  for (const QChar c : text) {
    bytes += static_cast<char>(c.unicode() & 0xFF);
    bytes += static_cast<char>(c.unicode() >> 8);
  }
  return bytes;
}

void TWideStrings::LoadFromStream(const std::string& bytes) {
  size_t at = 0;
  bool bigEndian = false;
  if (bytes.size() >= 2) {
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    const auto b1 = static_cast<unsigned char>(bytes[1]);
    if (b0 == 0xFF && b1 == 0xFE) at = 2;
    if (b0 == 0xFE && b1 == 0xFF) {
      at = 2;
      bigEndian = true;
    }
  }
  QString text;
  text.reserve(static_cast<qsizetype>((bytes.size() - at) / 2));
  for (; at + 1 < bytes.size(); at += 2) {
    const auto lo = static_cast<unsigned char>(bytes[at + (bigEndian ? 1 : 0)]);
    const auto hi = static_cast<unsigned char>(bytes[at + (bigEndian ? 0 : 1)]);
    text += QChar(static_cast<char16_t>(lo | (hi << 8)));
  }
  SetTextStr(text);
}

void TWideStrings::SaveToFile(const std::filesystem::path& file) const {
  WriteFileAtomically(file, SaveToStream());
}

void TWideStrings::LoadFromFile(const std::filesystem::path& file) {
  LoadFromStream(LoadFileToString(file));
}

QString TWideStrings::WideStringsText() const {
  const QString text = GetTextStr();
  QString hex;
  hex.reserve(text.size() * 4);
  for (const QChar c : text)
    hex += QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
  return hex;
}

bool TWideStrings::SetWideStringsText(const QString& hex) {
  if (hex.size() % 4 != 0) return false;
  QString text;
  text.reserve(hex.size() / 4);
  // Digit by digit: a number parser would also take blanks, a sign or a "0x" inside a group.
  for (qsizetype at = 0; at < hex.size(); at += 4) {
    char16_t code = 0;
    for (qsizetype i = at; i < at + 4; ++i) {
      const int digit = HexDigitValue(hex[i].unicode());
      if (digit < 0) return false;
      code = static_cast<char16_t>((code << 4) | digit);
    }
    text += QChar(code);
  }
  SetTextStr(text);
  return true;
}

// ---- TWideStringList

void TWideStringList::Check(int index) const {
  if (index < 0 || index >= GetCount())
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

QString TWideStringList::Get(int index) const {
  Check(index);
  return items_[static_cast<size_t>(index)].first;
}

void TWideStringList::Delete(int index) {
  Check(index);
  items_.erase(items_.begin() + index);
}

void TWideStringList::Insert(int index, const QString& s) {
  if (index != GetCount()) Check(index);
  items_.insert(items_.begin() + index, {s, QVariant()});
}

QVariant TWideStringList::GetObject(int index) const {
  Check(index);
  return items_[static_cast<size_t>(index)].second;
}

void TWideStringList::PutObject(int index, const QVariant& object) {
  Check(index);
  items_[static_cast<size_t>(index)].second = object;
}

void TWideStringList::Put(int index, const QString& s) {
  Check(index);
  items_[static_cast<size_t>(index)].first = s;
}

void TWideStringList::Exchange(int a, int b) {
  if (a < 0 || b < 0 || a >= GetCount() || b >= GetCount()) return;
  std::swap(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]);
}

void TWideStringList::SetCapacity(int capacity) {
  if (capacity > GetCount()) items_.reserve(static_cast<size_t>(capacity));
}

}  // namespace tovix
