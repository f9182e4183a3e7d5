#include "core/regex/regex.h"

#include <cstring>

#include "core/base/errors.h"
#include "core/regex/regex_internal.h"

namespace tovix {

namespace {
constexpr size_t kCacheSize = 64;
}

TznreExpr::TznreExpr() : matcher_(std::make_unique<regex_internal::Matcher>()) {
  ClearRegisters();
}

TznreExpr::~TznreExpr() = default;

void TznreExpr::SetPattern(std::string_view pattern) {
  if (program_ && pattern == pattern_) return;
  pattern_ = std::string(pattern);
  patternSet_ = true;
  Compile();
}

void TznreExpr::SetSyntaxStyles(TznreSyntaxStyles styles) {
  if (styles == styles_) return;
  styles_ = styles;
  program_.reset();
  if (patternSet_) Compile();
}

// Leaves no program when the pattern is bad.
void TznreExpr::Compile() {
  program_.reset();
  ClearRegisters();
  for (const CacheEntry& entry : cache_) {
    if (entry.styles == styles_ && entry.pattern == pattern_) {
      program_ = entry.program;
      ClearRegisters();
      return;
    }
  }
  auto program =
      std::make_shared<const regex_internal::Program>(regex_internal::Compile(pattern_, styles_));
  if (cache_.size() >= kCacheSize) cache_.erase(cache_.begin());
  cache_.push_back({pattern_, styles_, program});
  program_ = std::move(program);
  ClearRegisters();
}

void TznreExpr::SetStr(std::string_view subject) {
  str_.assign(subject.data(), subject.size());  // keeps the buffer from line to line
  if (active_) CollectMatches();
}

void TznreExpr::ClearRegisters() {
  registers_.start.fill(-1);
  registers_.end.fill(-1);
  registers_.count = program_ ? program_->groupCount : 0;
}

// Registers past the pattern's groups stay -1 from ClearRegisters; only these change.
void TznreExpr::ClearUsedRegisters() {
  for (int r = 0; r <= registers_.count; ++r) {
    registers_.start[r] = -1;
    registers_.end[r] = -1;
  }
}

int TznreExpr::Search(int from) {
  if (str_.empty()) return 0;
  return SearchRange(from, static_cast<int>(str_.size()) - from + 1);
}

int TznreExpr::SearchRange(int from, int range) {
  if (!program_) throw ERegularExpression("No compiled pattern available.");
  const int n = static_cast<int>(str_.size());
  if (from < 1 || from > n + 1) throw ERegularExpression("Position not valid");
  const long long last = range >= 0 ? static_cast<long long>(from) + range - 1
                                    : static_cast<long long>(from) + range + 1;
  if (range != 0 && (last < 1 || last > n + 1)) throw ERegularExpression("search out of bounds");
  ClearUsedRegisters();
  matcher_->BeginSearch();  // the step budget bounds the whole search

  const regex_internal::Program& program = *program_;
  const auto* s = reinterpret_cast<const uint8_t*>(str_.data());
  const int step = range >= 0 ? 1 : -1;
  int remaining = range >= 0 ? range : -range;
  // 0-based from here on. A start at the subject end could only give an empty match.
  for (int pos = from - 1; remaining > 0; pos += step, --remaining) {
    if (pos >= n) continue;
    if (program.anchor == 2 && pos != 0) {
      if (step > 0) break;
      continue;
    }
    if (program.anchor == 1 && pos != 0 && s[pos - 1] != '\n') {
      if (step > 0) {
        const void* newline = std::memchr(s + pos, '\n', static_cast<size_t>(n - pos));
        if (!newline) break;
        // Resume right after the newline (the loop step adds the last 1).
        const int skip = static_cast<int>(static_cast<const uint8_t*>(newline) - s) - pos;
        pos += skip;
        remaining -= skip;
      }
      continue;
    }
    // A match that counts consumes its first character, so that character must be able to
    // begin one, whatever the pattern could match empty.
    if (useFastmap_ && !program.fastmap[s[pos]]) {
      if (step > 0) {
        int skip = 0;
        while (skip + 1 < remaining && pos + skip + 1 < n && !program.fastmap[s[pos + skip + 1]]) {
          ++skip;
        }
        pos += skip;
        remaining -= skip;
      }
      continue;
    }
    const int length = matcher_->Match(program, str_, static_cast<size_t>(pos));
    if (length == -2) return -2;
    if (length > 0) {
      for (int r = 0; r <= registers_.count; ++r) {
        const int start = matcher_->Start(r);
        const int end = matcher_->End(r);
        registers_.start[r] = start < 0 ? -1 : start + 1;
        registers_.end[r] = end < 0 ? -1 : end + 1;
      }
      if (OnSearch)
        OnSearch(*this, std::string_view(str_).substr(pos, length), registers_, pos + 1);
      return pos + 1;
    }
  }
  return -1;
}

void TznreExpr::SetStepLimit(int64_t steps) {
  matcher_->SetLimits(steps, regex_internal::Matcher::kDefaultStackLimit);
}

int64_t TznreExpr::LastSearchSteps() const {
  return matcher_->SearchSteps();
}

void TznreExpr::CollectMatches() {
  matches_.clear();
  if (OnStartMatch) OnStartMatch(*this);
  if (program_) {
    int from = 1;
    while (from <= static_cast<int>(str_.size())) {
      const int found = Search(from);
      if (found <= 0) break;
      matches_.push_back({str_.substr(static_cast<size_t>(registers_.start[0] - 1),
                                      static_cast<size_t>(registers_.end[0] - registers_.start[0])),
                          found});
      if (OnMatch) OnMatch(*this, matches_.back());
      from = found + 1;
    }
  }
  if (OnEndMatch) OnEndMatch(*this);
}

}  // namespace tovix
