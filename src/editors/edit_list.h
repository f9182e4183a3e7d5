#pragma once
// The editor's lines: one string per line (no line-break characters inside) and, per line, the
// highlighter range in force at that line's start. The list is never empty: clearing it, or
// setting its text to nothing, leaves one empty line, and deleting the only line empties it.
//
// Lines sit in a gap buffer, so a run of edits at one place of a long text (typing, line
// breaks) moves only the lines between two edit places, not half the text.
//
// Every change runs inside a begin/end update pair and then tells the observer (the editor)
// what happened; the observer's ListChanging/ListChanged bracket the outermost pair.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "editors/edit_types.h"
#include "editors/text_codec.h"

namespace tovix {

class IEditListObserver {
 public:
  virtual ~IEditListObserver() = default;
  virtual void LineAdded(int index) = 0;  // appended as the last line
  virtual void ListCleared() = 0;
  virtual void LineDeleted(int index) = 0;
  virtual void LineInserted(int index) = 0;
  virtual void LinePut(int index) = 0;
  virtual void TextSet() = 0;     // the whole text was replaced
  virtual void ListLoaded() = 0;  // lines arrived in bulk: every range is stale
  virtual void ListChanging() = 0;
  virtual void ListChanged() = 0;
};

class TmwEditList {
 public:
  TmwEditList();

  void SetObserver(IEditListObserver* observer) { observer_ = observer; }

  int Count() const { return static_cast<int>(buf_.size() - (gapEnd_ - gapStart_)); }
  // Index errors raise EStringListError "List index out of bounds (%d)".
  const TEditString& Get(int index) const;
  const TEditString& operator[](int index) const { return Get(index); }
  void Put(int index, TEditString text);
  int Add(TEditString text);
  void Insert(int index, TEditString text);
  void Delete(int index);
  void Clear();
  // Appends many lines at once (one full rescan instead of one per line).
  void AddStrings(std::vector<TEditString> lines);

  uintptr_t Range(int index) const;
  void SetRange(int index, uintptr_t range);

  // The whole text, every line followed by CR LF.
  TEditString GetText() const;
  // Replaces everything; the text is split at CR LF, CR or LF.
  void SetText(TEditStringView text);
  void Assign(std::vector<TEditString> lines);

  void LoadFromBytes(std::string_view bytes, TTextEncoding encoding);
  // Every line followed by CR LF. `lost` counts characters the encoding cannot hold.
  std::string SaveToBytes(TTextEncoding encoding, size_t* lost = nullptr) const;
  // Reading a missing or unreadable file raises EFileError and leaves the lines unchanged.
  void LoadFromFile(const std::filesystem::path& name, TTextEncoding encoding);
  // Written to a temporary file and renamed over the old one.
  void SaveToFile(const std::filesystem::path& name, TTextEncoding encoding,
                  size_t* lost = nullptr) const;

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

 private:
  struct TLine {
    TEditString Text;
    uintptr_t Range = 0;
  };
  size_t Phys(int index) const {
    const auto i = static_cast<size_t>(index);
    return i < gapStart_ ? i : i + (gapEnd_ - gapStart_);
  }
  void Check(int index, int limit) const;
  void MoveGap(size_t pos);
  void InsertRaw(size_t pos, TEditString text);
  void EraseRaw(size_t pos);
  void ReplaceAll(std::vector<TEditString> lines);

  std::vector<TLine> buf_;
  size_t gapStart_ = 0;
  size_t gapEnd_ = 0;
  int updateCount_ = 0;
  IEditListObserver* observer_ = nullptr;
};

}  // namespace tovix
