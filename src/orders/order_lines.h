#pragma once
// The order text as the order logic sees it: a list of lines to read and change in place, and a
// place to put text for the user to paste (the clipboard). The orders window adapts its editor
// to these; tests use the vector-backed lines and the recording sink below.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tovix {

// True for a line that opens or closes a message block ("@" in column 1): the lines between two
// such lines are a message to other races, never orders.
inline bool IsMessageMarker(std::string_view line) {
  return !line.empty() && line.front() == '@';
}

class IOrderLines {
 public:
  virtual ~IOrderLines() = default;
  virtual int Count() const = 0;
  // Line `index`, 0 <= index < Count().
  virtual std::string Line(int index) const = 0;
  virtual void SetLine(int index, std::string text) = 0;
  // Inserts before `index`; index == Count() appends.
  virtual void Insert(int index, std::string text) = 0;
  virtual void Delete(int index) = 0;
  // Replaces every line by `lines`. The editor takes this back with one undo, however many lines
  // it spans.
  virtual void ReplaceAll(const std::vector<std::string>& lines) {
    BeginUpdate();
    while (Count() > 0) Delete(Count() - 1);
    for (const std::string& line : lines) Insert(Count(), line);
    EndUpdate();
  }
  // A run of changes that the editor repaints (and undoes) as one. Nested pairs are allowed.
  virtual void BeginUpdate() {}
  virtual void EndUpdate() {}
};

// BeginUpdate on construction, EndUpdate on destruction.
class TOrderLinesUpdate {
 public:
  explicit TOrderLinesUpdate(IOrderLines& lines) : lines_(lines) { lines_.BeginUpdate(); }
  ~TOrderLinesUpdate() { lines_.EndUpdate(); }
  TOrderLinesUpdate(const TOrderLinesUpdate&) = delete;
  TOrderLinesUpdate& operator=(const TOrderLinesUpdate&) = delete;

 private:
  IOrderLines& lines_;
};

// Lines held in a vector.
class TVectorOrderLines : public IOrderLines {
 public:
  TVectorOrderLines() = default;
  explicit TVectorOrderLines(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  int Count() const override { return static_cast<int>(lines_.size()); }
  std::string Line(int index) const override { return lines_[static_cast<size_t>(index)]; }
  void SetLine(int index, std::string text) override {
    lines_[static_cast<size_t>(index)] = std::move(text);
  }
  void Insert(int index, std::string text) override {
    lines_.insert(lines_.begin() + index, std::move(text));
  }
  void Delete(int index) override { lines_.erase(lines_.begin() + index); }
  void ReplaceAll(const std::vector<std::string>& lines) override { lines_ = lines; }

  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

// Where text goes that the user is to paste himself (the clipboard, as plain text).
class ITextSink {
 public:
  virtual ~ITextSink() = default;
  virtual void PutText(const std::string& text) = 0;
};

// Keeps the last text put.
class TRecordingTextSink : public ITextSink {
 public:
  void PutText(const std::string& text) override {
    Text = text;
    ++Puts;
  }
  std::string Text;
  int Puts = 0;
};

}  // namespace tovix
