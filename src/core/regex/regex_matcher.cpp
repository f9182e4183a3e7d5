// The backtracking interpreter of the byte program.
//
// Failure points (where to resume, text position, trail height) live on one stack. Register
// changes are logged on a trail while a failure point exists, and popping a failure point
// undoes the trail back to its height, so each failure point restores the registers it saw.
// Two budgets keep a pathological pattern from running away: the failure points created in
// the whole search (a pop never outnumbers them, and no path runs backwards without creating
// one, so they bound the work) and the size of either stack. Running out gives -2.
//
// Remembering explored states. A state is a program position where control can branch (a
// failure jump, or the target of one) with a text position. Reaching it explores every way on
// from there; what follows depends on nothing else, with two exceptions: the registers that
// back-references read (they are part of the key), and the guards of enclosing loops whose
// iteration began at this very text position (a back-edge there ends the loop instead of
// going round). A state whose text position equals a live guard is therefore neither
// remembered nor cut. Otherwise a state cannot come back inside its own exploration (that
// would be a loop round without progress), and the search is depth first, so reaching it a
// second time means the first exploration ended, and ended without a match: the second one is
// cut. A Match that ends with an empty match stops with explorations unfinished, so the marks
// it made are taken back. Tight loops (update failure jump, repeat one) only touch the failure
// point of their own loop, which never lies below a remembered state, because their bodies
// contain no jumps.

#include <cstring>

#include "core/base/errors.h"
#include "core/regex/regex_internal.h"

namespace tovix::regex_internal {

namespace {

inline bool SetHas(const uint8_t* map, uint8_t c) {
  return (map[c >> 3] >> (c & 7)) & 1;
}

}  // namespace

void Matcher::BeginSearch() {
  steps_ = 0;
  memoOn_ = false;
  searchProgram_ = nullptr;
  searchText_ = nullptr;
  searchSize_ = 0;
}

void Matcher::StartMemo(const Program& program, size_t textSize) {
  memoOn_ = true;
  memoNew_.clear();
  if (!program.backrefs.empty()) {
    memoKeys_.clear();
    return;
  }
  memoStride_ = textSize + 1;
  const size_t bits = static_cast<size_t>(program.resumeCount) * memoStride_;
  if (bits > kMaxMemoBits) {
    memoBits_.clear();  // too big to keep: plain backtracking within the budget
    return;
  }
  memoBits_.assign((bits + 63) / 64, 0);
}

// True when a failure point like this one was resumed before in this search; remembers it
// otherwise.
bool Matcher::Explored(const Program& program, int32_t pc, int32_t text) {
  const int32_t index = program.resumeIndex[static_cast<size_t>(pc)];
  if (index < 0) return false;
  for (int g = 0; g < program.guardCount; ++g) {
    if (slots_[static_cast<size_t>(kSlotGuard + g)] == text) return false;
  }
  if (program.backrefs.empty()) {
    if (memoBits_.empty()) return false;
    const size_t bit = static_cast<size_t>(index) * memoStride_ + static_cast<size_t>(text);
    uint64_t& word = memoBits_[bit >> 6];
    const uint64_t mask = uint64_t{1} << (bit & 63);
    if (word & mask) return true;
    word |= mask;
    memoNew_.push_back(bit);
    return false;
  }
  key_.clear();
  auto add = [&](int32_t value) { key_.append(reinterpret_cast<const char*>(&value), 4); };
  add(index);
  add(text);
  for (const uint8_t r : program.backrefs) {
    add(slots_[kSlotStart + r]);
    add(slots_[kSlotEnd + r]);
    add(slots_[kSlotPending + r]);
  }
  if (memoKeys_.count(key_) != 0) return true;
  if (memoKeys_.size() < kMaxMemoKeys) memoKeys_.insert(key_);
  return false;
}

// Takes back the marks of the current Match.
void Matcher::ForgetMemo() {
  if (!memoOn_) return;
  for (const size_t bit : memoNew_) memoBits_[bit >> 6] &= ~(uint64_t{1} << (bit & 63));
  memoNew_.clear();
  memoKeys_.clear();
}

int Matcher::Match(const Program& program, std::string_view text, size_t start) {
  const uint8_t* const code = program.code.data();
  const uint8_t* const s = reinterpret_cast<const uint8_t*>(text.data());
  const int n = static_cast<int>(text.size());
  const std::array<uint8_t, 256>& classes = program.classes;
  const int32_t* const guard = program.guard.empty() ? nullptr : program.guard.data();
  const int groups = program.groupCount;

  const size_t slotCount = static_cast<size_t>(kSlotGuard + program.guardCount);
  if (slots_.size() < slotCount) slots_.resize(slotCount, -1);
  int32_t* const slot = slots_.data();
  for (int r = 1; r <= groups; ++r) {
    slot[kSlotStart + r] = -1;
    slot[kSlotEnd + r] = -1;
  }
  for (int g = 0; g < program.guardCount; ++g) slot[kSlotGuard + g] = -1;
  failures_.clear();
  trail_.clear();
  peakStack_ = 0;
  if (&program != searchProgram_ || text.data() != searchText_ || text.size() != searchSize_) {
    BeginSearch();
    searchProgram_ = &program;
    searchText_ = text.data();
    searchSize_ = text.size();
  }
  memoNew_.clear();

  int pc = 0;
  int t = static_cast<int>(start);

  auto isWord = [&](int i) { return i >= 0 && i < n && (classes[s[i]] & kClassWord) != 0; };
  // Logs the old value only while a failure point could want it back.
  auto setSlot = [&](int index, int32_t value) -> bool {
    if (!failures_.empty()) {
      if (trail_.size() >= stackLimit_) return false;
      trail_.push_back({index, slot[index]});
    }
    slot[index] = value;
    return true;
  };
  auto push = [&](int32_t resumeAt) -> bool {
    if (failures_.size() >= stackLimit_ || ++steps_ > stepLimit_) return false;
    failures_.push_back({resumeAt, t, static_cast<int32_t>(trail_.size())});
    if (failures_.size() > peakStack_) peakStack_ = failures_.size();
    if (!memoOn_ && steps_ > memoAfter_) StartMemo(program, text.size());
    return true;
  };
  auto target = [&](int at) { return at + 3 + ReadDisplacement(code + at + 1); };

  for (;;) {
    switch (code[pc]) {
      case kEnd: {
        regStart_[0] = static_cast<int>(start);
        regEnd_[0] = t;
        for (int r = 1; r <= groups; ++r) {
          regStart_[r] = slot[kSlotStart + r];
          regEnd_[r] = slot[kSlotEnd + r];
        }
        if (t == static_cast<int>(start)) ForgetMemo();
        return t - static_cast<int>(start);
      }
      case kLineStart:
        if (t != 0 && s[t - 1] != '\n') goto fail;
        ++pc;
        break;
      case kLineEnd:
        if (t != n && s[t] != '\n') goto fail;
        ++pc;
        break;
      case kSet:
        if (t >= n || !SetHas(code + pc + 1, s[t])) goto fail;
        ++t;
        pc += 1 + kSetBytes;
        break;
      case kExact:
        if (t >= n || s[t] != code[pc + 1]) goto fail;
        ++t;
        pc += 2;
        break;
      case kAny:
        if (t >= n || s[t] == '\n') goto fail;
        ++t;
        ++pc;
        break;
      case kStartRegister:
        if (!setSlot(kSlotPending + code[pc + 1], t)) return -2;
        pc += 2;
        break;
      case kEndRegister: {
        const int r = code[pc + 1];
        if (!setSlot(kSlotStart + r, slot[kSlotPending + r]) || !setSlot(kSlotEnd + r, t)) {
          return -2;
        }
        pc += 2;
        break;
      }
      case kMatchRegister: {
        const int r = code[pc + 1];
        if (r > groups) goto fail;
        const int from = slot[kSlotStart + r];
        const int to = slot[kSlotEnd + r];
        if (from < 0 || to < from) goto fail;
        const int len = to - from;
        if (n - t < len || std::memcmp(s + from, s + t, static_cast<size_t>(len)) != 0) goto fail;
        t += len;
        pc += 2;
        break;
      }
      case kJump:
      case kStarJump:
        // A loop back-edge after an iteration that consumed nothing leaves the loop.
        if (guard && guard[pc] >= 0 && slot[kSlotGuard + guard[pc]] == t) {
          pc += 3;
          break;
        }
        pc = target(pc);
        break;
      case kFailureJump:
        if (memoOn_ && Explored(program, pc, t)) goto fail;
        if (!push(target(pc))) return -2;
        if (guard && guard[pc] >= 0 && !setSlot(kSlotGuard + guard[pc], t)) return -2;
        pc += 3;
        break;
      case kUpdateFailureJump: {
        // The loop's single failure point now resumes after this iteration. The first time
        // round a "+" loop the top is the dummy entry point, which becomes the real exit.
        const int head = target(pc);
        if (failures_.empty()) throw ERegularExpression("Abnormal error, contact author!!");
        FailurePoint& top = failures_.back();
        top.pc = target(head);
        top.text = t;
        top.trail = static_cast<int32_t>(trail_.size());
        if (++steps_ > stepLimit_) return -2;
        pc = head + 3;
        break;
      }
      case kDummyFailureJump:
        if (!push(-1)) return -2;
        if (guard && guard[pc] >= 0 && !setSlot(kSlotGuard + guard[pc], t)) return -2;
        pc = target(pc);
        break;
      case kSubjectStart:
        if (t != 0) goto fail;
        ++pc;
        break;
      case kSubjectEnd:
        if (t != n) goto fail;
        ++pc;
        break;
      case kWordStart:
        if (!isWord(t) || isWord(t - 1)) goto fail;
        ++pc;
        break;
      case kWordEnd:
        if (!isWord(t - 1) || isWord(t)) goto fail;
        ++pc;
        break;
      case kWordBoundary:
        if (isWord(t - 1) == isWord(t)) goto fail;
        ++pc;
        break;
      case kNotWordBoundary:
        if (isWord(t - 1) != isWord(t)) goto fail;
        ++pc;
        break;
      case kClass:
        if (t >= n || (classes[s[t]] & code[pc + 1]) == 0) goto fail;
        ++t;
        pc += 2;
        break;
      case kNotClass:
        if (t >= n || (classes[s[t]] & code[pc + 1]) != 0) goto fail;
        ++t;
        pc += 2;
        break;
      case kRepeatOne: {
        // The body (one character instruction, already matched once) repeats as far as it
        // goes; no shorter run can help, so the loop's failure point is dropped.
        const uint8_t* body = code + target(pc) + 3;
        switch (body[0]) {
          case kExact:
            while (t < n && s[t] == body[1]) ++t;
            break;
          case kSet:
            while (t < n && SetHas(body + 1, s[t])) ++t;
            break;
          case kAny:
            while (t < n && s[t] != '\n') ++t;
            break;
          case kClass:
            while (t < n && (classes[s[t]] & body[1]) != 0) ++t;
            break;
          case kNotClass:
            while (t < n && (classes[s[t]] & body[1]) == 0) ++t;
            break;
          default:
            throw ERegularExpression("Unknown regex opcode: memory corrupted?");
        }
        if (failures_.empty()) throw ERegularExpression("Abnormal error, contact author!!");
        failures_.pop_back();
        pc += 3;
        break;
      }
      default:
        throw ERegularExpression("Unknown regex opcode: memory corrupted?");
    }
    continue;

  fail:
    for (;;) {
      if (failures_.empty()) return -1;
      const FailurePoint f = failures_.back();
      failures_.pop_back();
      while (trail_.size() > static_cast<size_t>(f.trail)) {
        slot[trail_.back().slot] = trail_.back().old;
        trail_.pop_back();
      }
      if (f.pc >= 0) {
        // A failure jump checks for itself when it runs.
        if (memoOn_ && code[f.pc] != kFailureJump && Explored(program, f.pc, f.text)) continue;
        pc = f.pc;
        t = f.text;
        break;
      }
    }
  }
}

}  // namespace tovix::regex_internal
