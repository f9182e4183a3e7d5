#pragma once
// A list of wide strings, each with an object, that the editors read and write as lines, and a
// language that its comparisons and sorting follow. The rich-text control gives its lines as
// one (WideLines); TWideStringList keeps its strings (and an object each) itself.
//
// The text file is UTF-16, little-endian, behind the byte-order mark FF FE. Reading takes FF FE
// (little-endian), FE FF (big-endian) or no mark (little-endian); an odd last byte is dropped.
// Every list, the control's lines too, reads and writes it as wide text: through the control's
// 8-bit lines a character its code page lacks would be lost.
// The "WideStrings" form is one string of four hexadecimal digits per character of the text.

#include <QString>
#include <QVariant>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "editors/code_pages.h"

class QLocale;

namespace tovix {

// The locale identifier of the system's language: its primary language with the default
// sublanguage; 1033 (English) for a language the table does not know.
TLanguage SystemLanguage();
// The locale of a locale identifier, by its primary language; the C locale when unknown.
QLocale LocaleOfLanguage(TLanguage language);
// -1, 0 or 1: `a` before, equal to or after `b` in the language's order, letter case ignored.
int CompareWideText(const QString& a, const QString& b, TLanguage language);

class TWideStrings {
 public:
  TWideStrings();
  virtual ~TWideStrings();
  TWideStrings(const TWideStrings&) = delete;
  TWideStrings& operator=(const TWideStrings&) = delete;

  // ---- what a list keeps; index errors are the list's own
  virtual QString Get(int index) const = 0;
  virtual int GetCount() const = 0;
  virtual void Clear() = 0;
  virtual void Delete(int index) = 0;
  virtual void Insert(int index, const QString& s) = 0;
  virtual QVariant GetObject(int) const { return {}; }
  virtual void PutObject(int, const QVariant&) {}
  virtual int GetCapacity() const { return GetCount(); }
  virtual void SetCapacity(int) {}
  // Called with true by the first BeginUpdate and with false by the last EndUpdate.
  virtual void SetUpdateState(bool) {}
  virtual TLanguage Language() const { return language_; }
  virtual void SetLanguage(TLanguage language) { language_ = language; }

  // ---- built on the above
  int Count() const { return GetCount(); }
  // Line `index` becomes `s`; its object stays.
  virtual void Put(int index, const QString& s);
  int Add(const QString& s);
  int AddObject(const QString& s, const QVariant& object);
  void AddStrings(const TWideStrings& other);
  // The strings and objects of `other` in place of these.
  void Assign(const TWideStrings& other);
  // 8-bit strings converted with a code page, in place of these.
  void Assign(const std::vector<std::string>& lines, int codePage);
  void BeginUpdate();
  void EndUpdate();
  // Same count and every string the same, character for character.
  bool Equals(const TWideStrings& other) const;
  // Strings and objects swap places; out of range: nothing.
  virtual void Exchange(int a, int b);
  // The string (with its object) taken out and put in at `to`; out of range: nothing.
  virtual void Move(int from, int to);
  // The first string equal to `s` in the list's language, letter case ignored; -1 for none.
  int IndexOf(const QString& s) const;
  // Sorts the strings (with their objects) in the list's language, letter case ignored; equal
  // strings keep their order.
  void Sort();

  // Every string followed by CR LF.
  virtual QString GetTextStr() const;
  // The lines of `text` (ending at CR LF, CR or LF) in place of these; a line end at the very
  // end adds no empty line.
  virtual void SetTextStr(const QString& text);
  QString Text() const { return GetTextStr(); }
  void SetText(const QString& text) { SetTextStr(text); }

  // The file format above. Loading a file that cannot be read throws EFileError and keeps the
  // list; saving replaces the file atomically (EFileError when it cannot).
  std::string SaveToStream() const;
  void LoadFromStream(const std::string& bytes);
  void SaveToFile(const std::filesystem::path& file) const;
  void LoadFromFile(const std::filesystem::path& file);

  // The "WideStrings" form. Reading gives false, and keeps the list, for a text that is not
  // four hexadecimal digits per character.
  QString WideStringsText() const;
  bool SetWideStringsText(const QString& hex);

 private:
  int updateCount_ = 0;
  TLanguage language_;
};

// A list that keeps its strings and their objects.
class TWideStringList : public TWideStrings {
 public:
  QString Get(int index) const override;
  int GetCount() const override { return static_cast<int>(items_.size()); }
  void Clear() override { items_.clear(); }
  void Delete(int index) override;
  void Insert(int index, const QString& s) override;
  QVariant GetObject(int index) const override;
  void PutObject(int index, const QVariant& object) override;
  void Put(int index, const QString& s) override;
  void Exchange(int a, int b) override;
  int GetCapacity() const override { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int capacity) override;

 private:
  void Check(int index) const;
  std::vector<std::pair<QString, QVariant>> items_;
};

}  // namespace tovix
