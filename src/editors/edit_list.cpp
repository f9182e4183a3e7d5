#include "editors/edit_list.h"

#include <algorithm>
#include <string>

#include "core/text/file_utils.h"

namespace tovix {

TmwEditList::TmwEditList() {
  InsertRaw(0, TEditString());
}

void TmwEditList::Check(int index, int limit) const {
  if (index < 0 || index >= limit)
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TmwEditList::MoveGap(size_t pos) {
  if (gapStart_ == gapEnd_) {
    // No gap: nothing to move (moving lines onto themselves would empty them).
    gapStart_ = gapEnd_ = pos;
  } else if (pos < gapStart_) {
    const size_t count = gapStart_ - pos;
    std::move_backward(buf_.begin() + static_cast<std::ptrdiff_t>(pos),
                       buf_.begin() + static_cast<std::ptrdiff_t>(gapStart_),
                       buf_.begin() + static_cast<std::ptrdiff_t>(gapEnd_));
    gapStart_ = pos;
    gapEnd_ -= count;
  } else if (pos > gapStart_) {
    const size_t count = pos - gapStart_;
    std::move(buf_.begin() + static_cast<std::ptrdiff_t>(gapEnd_),
              buf_.begin() + static_cast<std::ptrdiff_t>(gapEnd_ + count),
              buf_.begin() + static_cast<std::ptrdiff_t>(gapStart_));
    gapStart_ += count;
    gapEnd_ += count;
  }
}

void TmwEditList::InsertRaw(size_t pos, TEditString text) {
  if (gapStart_ == gapEnd_) {
    // Grow: the gap becomes as large as the text, so growing stays rare.
    const size_t oldSize = buf_.size();
    const size_t grow = std::max<size_t>(16, oldSize);
    std::vector<TLine> bigger(oldSize + grow);
    std::move(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(gapStart_), bigger.begin());
    std::move(buf_.begin() + static_cast<std::ptrdiff_t>(gapEnd_), buf_.end(),
              bigger.begin() + static_cast<std::ptrdiff_t>(gapStart_ + grow));
    buf_.swap(bigger);
    gapEnd_ = gapStart_ + grow;
  }
  MoveGap(pos);
  buf_[gapStart_].Text = std::move(text);
  buf_[gapStart_].Range = 0;
  ++gapStart_;
}

void TmwEditList::EraseRaw(size_t pos) {
  MoveGap(pos);
  buf_[gapEnd_] = TLine();
  ++gapEnd_;
}

const TEditString& TmwEditList::Get(int index) const {
  Check(index, Count());
  return buf_[Phys(index)].Text;
}

uintptr_t TmwEditList::Range(int index) const {
  Check(index, Count());
  return buf_[Phys(index)].Range;
}

void TmwEditList::SetRange(int index, uintptr_t range) {
  Check(index, Count());
  buf_[Phys(index)].Range = range;
}

void TmwEditList::BeginUpdate() {
  if (updateCount_++ == 0 && observer_ != nullptr) observer_->ListChanging();
}

void TmwEditList::EndUpdate() {
  if (--updateCount_ == 0 && observer_ != nullptr) observer_->ListChanged();
}

void TmwEditList::Put(int index, TEditString text) {
  Check(index, Count());
  BeginUpdate();
  buf_[Phys(index)].Text = std::move(text);
  if (observer_ != nullptr) observer_->LinePut(index);
  EndUpdate();
}

int TmwEditList::Add(TEditString text) {
  BeginUpdate();
  const int index = Count();
  InsertRaw(static_cast<size_t>(index), std::move(text));
  if (observer_ != nullptr) observer_->LineAdded(index);
  EndUpdate();
  return index;
}

void TmwEditList::Insert(int index, TEditString text) {
  Check(index, Count() + 1);
  if (index == Count()) {
    Add(std::move(text));
    return;
  }
  BeginUpdate();
  InsertRaw(static_cast<size_t>(index), std::move(text));
  if (observer_ != nullptr) observer_->LineInserted(index);
  EndUpdate();
}

void TmwEditList::Delete(int index) {
  Check(index, Count());
  if (Count() == 1) {
    Put(0, TEditString());
    return;
  }
  BeginUpdate();
  EraseRaw(static_cast<size_t>(index));
  if (observer_ != nullptr) observer_->LineDeleted(index);
  EndUpdate();
}

void TmwEditList::Clear() {
  BeginUpdate();
  buf_.clear();
  gapStart_ = gapEnd_ = 0;
  if (observer_ != nullptr) observer_->ListCleared();
  InsertRaw(0, TEditString());
  if (observer_ != nullptr) observer_->LineAdded(0);
  EndUpdate();
}

void TmwEditList::ReplaceAll(std::vector<TEditString> lines) {
  if (lines.empty()) lines.emplace_back();
  buf_.clear();
  buf_.resize(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) buf_[i].Text = std::move(lines[i]);
  gapStart_ = gapEnd_ = buf_.size();
}

void TmwEditList::AddStrings(std::vector<TEditString> lines) {
  if (lines.empty()) return;
  BeginUpdate();
  MoveGap(static_cast<size_t>(Count()));
  for (TEditString& s : lines) InsertRaw(static_cast<size_t>(Count()), std::move(s));
  if (observer_ != nullptr) observer_->ListLoaded();
  EndUpdate();
}

void TmwEditList::Assign(std::vector<TEditString> lines) {
  BeginUpdate();
  if (observer_ != nullptr) observer_->ListCleared();
  ReplaceAll(std::move(lines));
  if (observer_ != nullptr) {
    observer_->TextSet();
    observer_->ListLoaded();
  }
  EndUpdate();
}

void TmwEditList::SetText(TEditStringView text) {
  Assign(SplitEditLines(text));
}

TEditString TmwEditList::GetText() const {
  size_t total = 0;
  const int n = Count();
  for (int i = 0; i < n; ++i) total += buf_[Phys(i)].Text.size() + 2;
  TEditString out;
  out.reserve(total);
  for (int i = 0; i < n; ++i) {
    out += buf_[Phys(i)].Text;
    out += U"\r\n";
  }
  return out;
}

void TmwEditList::LoadFromBytes(std::string_view bytes, TTextEncoding encoding) {
  Assign(SplitEditLines(DecodeText(bytes, encoding)));
}

std::string TmwEditList::SaveToBytes(TTextEncoding encoding, size_t* lost) const {
  return EncodeText(GetText(), encoding, lost);
}

void TmwEditList::LoadFromFile(const std::filesystem::path& name, TTextEncoding encoding) {
  LoadFromBytes(LoadFileToString(name), encoding);
}

void TmwEditList::SaveToFile(const std::filesystem::path& name, TTextEncoding encoding,
                             size_t* lost) const {
  WriteFileAtomically(name, SaveToBytes(encoding, lost));
}

}  // namespace tovix
