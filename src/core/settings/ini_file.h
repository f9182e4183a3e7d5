#pragma once
// The program's INI files (Tovix.ini, TovixStore3.ini, ExtrInf.ini).
//
// What callers rely on:
// - Section and key names compare without case, folding only a-z ("RUN" is "Run", "Ä" is not
//   "ä"). When a name occurs twice, the first occurrence is the one read and changed.
// - A rewrite keeps the file as it was: comments, blank lines and lines we do not understand stay
//   where they are, a changed key keeps its place and its own spelling, a new key goes to the end
//   of its section (before the blank lines and comments that end it, which usually introduce the
//   next section), a new section to the end of the file. The file's line end (CR LF, LF or CR) is
//   kept; a new file gets CR LF.
// - Text is bytes: nothing is converted. Values are trimmed of blanks.
// - Saving replaces the file atomically; a failed save throws EFileError and leaves the old file
//   whole. Loading never fails on content, only when the file exists but cannot be read.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tovix {

class TIniFile {
 public:
  enum class TMode {
    // Read whole once; writes change memory only; UpdateFile() writes the file.
    InMemory,
    // Every access sees the file as it is now and every write goes to the file at once, so keys
    // that another writer added in between are kept. Used where several parts of the program
    // write the same file.
    WriteThrough,
  };

  // An empty file name gives a file that lives in memory only and never touches the disk.
  // stripQuotes: values read lose one pair of surrounding double quotes ("a b" -> a b).
  explicit TIniFile(std::string fileName, TMode mode = TMode::InMemory, bool stripQuotes = false);

  const std::string& FileName() const { return fileName_; }
  TMode Mode() const { return mode_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  // Decimal or "$" hex; anything else gives def.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  // An integer (non-zero is true) or "true"/"false"/"yes"/"no" in any case; anything else def.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  // "." as decimal separator whatever the locale; anything else gives def.
  double ReadFloat(std::string_view section, std::string_view key, double def) const;
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  // Section names in file order, each once.
  std::vector<std::string> ReadSections() const;
  // Key names of a section in file order, each once, spelled as in the file.
  std::vector<std::string> ReadSection(std::string_view section) const;
  // "key=value" for each key of ReadSection, with the value as ReadString gives it.
  std::vector<std::string> ReadSectionValues(std::string_view section) const;

  // Names and values that would break the line structure (a line break anywhere, "]" in a
  // section name, "=" in a key name, an empty key name or one a reader would take for a comment
  // or a section) are refused with TovixError and nothing changes.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);  // "1" / "0"
  // Shortest text that reads back to the same value, "." as separator.
  void WriteFloat(std::string_view section, std::string_view key, double value);
  void EraseSection(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view key);

  // In-memory mode: writes the whole file (nothing when the name is empty). Write-through files
  // are always up to date, so there it does nothing.
  void UpdateFile();

  // The file's text as UpdateFile would write it.
  std::string Text() const;

  // Groups several changes of a write-through file into one read and one write: the file is read
  // when the batch starts, changes stay in memory, and Commit() writes them. A batch left without
  // Commit() (an exception on the way) drops its changes and the file stays as it was. A batch
  // inside another batch belongs to the outer one. In in-memory mode a batch changes nothing.
  class TBatch {
   public:
    explicit TBatch(TIniFile& ini);
    ~TBatch();
    TBatch(const TBatch&) = delete;
    TBatch& operator=(const TBatch&) = delete;
    void Commit();

   private:
    TIniFile& ini_;
    bool outer_;
  };

 private:
  struct TEntry {
    std::string text;  // the line as read, or as rebuilt after a change
    std::string key;   // empty for comments, blank lines and junk
    std::string value;
  };
  struct TSection {
    std::string name;
    std::string header;                            // the "[name]" line as read
    std::vector<TEntry> entries;                   // the lines after the header
    std::unordered_map<std::string, size_t> keys;  // folded key -> first entry with it
  };

  // The file as lines: the lines before the first section, then each section.
  struct TDocument {
    std::string eol = "\r\n";
    bool finalEol = true;               // whether the last line had a line end
    std::vector<std::string> preamble;  // comments, junk, keys outside any section
    std::vector<TSection> sections;
    std::unordered_map<std::string, size_t> sectionIndex;  // folded name -> first section
  };

  static TDocument Parse(std::string_view bytes);
  static std::string Render(const TDocument& doc);
  static void IndexSections(TDocument& doc);
  static void IndexKeys(TSection& s);
  bool OnDisk() const { return !fileName_.empty(); }
  bool Live() const { return mode_ == TMode::WriteThrough && OnDisk(); }
  void Refresh() const;
  void EndChange(bool changed);
  void Save();
  const TSection* FindSection(std::string_view name) const;
  TSection* FindSection(std::string_view name);
  const TEntry* FindEntry(std::string_view section, std::string_view key) const;
  // The first entry of each key of a section, in file order.
  std::vector<const TEntry*> KeysOf(std::string_view section) const;
  std::string ValueOf(const TEntry& e) const;  // with the quotes stripped when asked

  std::string fileName_;
  TMode mode_;
  bool stripQuotes_;
  // The memory copy. Write-through files refresh it from disk even in reads, hence mutable.
  mutable TDocument doc_;
  // Write-through: the bytes doc_ was read from; empty when doc_ may differ from the file.
  mutable std::optional<std::string> diskBytes_;
  bool pending_ = false;  // changes of a batch not yet written
  int batchDepth_ = 0;
};

}  // namespace tovix
