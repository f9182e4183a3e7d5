// Pattern to byte program: syntax tables, the precedence-level compiler, the loop optimiser,
// the first-character map and the anchor.

#include <string>

#include "core/base/errors.h"
#include "core/regex/regex.h"
#include "core/regex/regex_internal.h"

namespace tovix::regex_internal {

namespace {

constexpr const char* kMsgParenthesis = "Badly placed parenthesis.";
constexpr const char* kMsgSpecialChar = "Badly placed special character.";
constexpr const char* kMsgEndsPrematurelBang = "Regular expression ends prematurel!";
constexpr const char* kMsgTooComplex = "Regular expression too complex.";
constexpr const char* kMsgBadRegister = "Bad match register number.";
constexpr const char* kMsgBadHex = "No valid hex value";
constexpr const char* kMsgEndsPrematurely = "Regular expression ends prematurely";
constexpr const char* kMsgUnknownOpcode = "Unknown regex opcode: memory corrupted?";
constexpr const char* kMsgAbnormal = "Abnormal error, contact author!!";
constexpr const char* kMsgSyntax = "Regular expression syntax error.";
constexpr const char* kMsgNoFailureJump = "No Cfailure_jump";

constexpr int kNumLevels = 5;  // precedence slots per nesting level

[[noreturn]] void Raise(const char* message) {
  throw ERegularExpression(message);
}

bool IsDigit(uint8_t c) {
  return c >= '0' && c <= '9';
}

int HexValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsJump(uint8_t op) {
  return op == kJump || op == kStarJump || op == kFailureJump || op == kUpdateFailureJump ||
         op == kDummyFailureJump || op == kRepeatOne;
}

bool IsPositionTest(uint8_t op) {
  return op == kLineStart || op == kLineEnd || op == kSubjectStart || op == kSubjectEnd ||
         op == kWordStart || op == kWordEnd || op == kWordBoundary || op == kNotWordBoundary;
}

bool IsSingleChar(uint8_t op) {
  return op == kExact || op == kSet || op == kAny || op == kClass || op == kNotClass;
}

int JumpTarget(const std::vector<uint8_t>& code, size_t pc) {
  return static_cast<int>(pc) + 3 + ReadDisplacement(&code[pc + 1]);
}

// The characters one single-character instruction accepts.
std::array<uint8_t, 256> CharsOf(const std::vector<uint8_t>& code, size_t pc,
                                 const std::array<uint8_t, 256>& classes) {
  std::array<uint8_t, 256> chars{};
  for (int c = 0; c < 256; ++c) {
    bool in = false;
    switch (code[pc]) {
      case kExact:
        in = c == code[pc + 1];
        break;
      case kSet:
        in = (code[pc + 1 + c / 8] >> (c % 8)) & 1;
        break;
      case kAny:
        in = c != '\n';
        break;
      case kClass:
        in = (classes[c] & code[pc + 1]) != 0;
        break;
      case kNotClass:
        in = (classes[c] & code[pc + 1]) == 0;
        break;
      default:
        break;
    }
    chars[c] = in ? 1 : 0;
  }
  return chars;
}

class Compiler {
 public:
  Compiler(std::string_view pattern, uint32_t styles, const SyntaxTables& tables, Program& out)
      : pattern_(pattern), styles_(styles), tables_(tables), out_(out), code_(out.code) {}

  void Run();

 private:
  int Size() const { return static_cast<int>(code_.size()); }
  void Emit(uint8_t b) { code_.push_back(b); }
  void SetLevelStart() { starts_[startsBase_ + level_] = Size(); }
  int CurrentLevelStart() const { return starts_[startsBase_ + level_]; }
  bool Has(uint32_t style) const { return (styles_ & style) != 0; }

  uint8_t NextChar() {
    if (pos_ >= pattern_.size()) Raise(kMsgEndsPrematurelBang);
    return static_cast<uint8_t>(pattern_[pos_++]);
  }

  // A quoted character under znre_Ansi_Hex: the C escapes and "\x" with two hex digits.
  uint8_t TranslateAnsi(uint8_t ch) {
    switch (ch) {
      case 'a':
        return 7;
      case 'b':
        return 8;
      case 'f':
        return 12;
      case 'n':
        return 10;
      case 'r':
        return 13;
      case 't':
        return 9;
      case 'v':
        return 11;
      case 'x': {
        int value = 0;
        for (int i = 0; i < 2; ++i) {
          if (pos_ >= pattern_.size()) Raise(kMsgEndsPrematurely);
          const int digit = HexValue(static_cast<uint8_t>(pattern_[pos_++]));
          if (digit < 0) Raise(kMsgBadHex);
          value = value * 16 + digit;
        }
        return static_cast<uint8_t>(value);
      }
      default:
        return ch;
    }
  }

  static void CheckDisplacement(int displacement) {
    if (displacement < INT16_MIN || displacement > INT16_MAX) Raise(kMsgTooComplex);
  }

  // Inserts a 3-byte jump at `at`; `target` is an offset in the code after the insertion.
  void InsertJump(int at, Opcode op, int target) {
    const int displacement = target - (at + 3);
    CheckDisplacement(displacement);
    const uint8_t bytes[3] = {op, static_cast<uint8_t>(displacement & 0xFF),
                              static_cast<uint8_t>((displacement >> 8) & 0xFF)};
    code_.insert(code_.begin() + at, bytes, bytes + 3);
  }

  void PatchJump(int operandAt, int target) {
    const int displacement = target - (operandAt + 2);
    CheckDisplacement(displacement);
    code_[operandAt] = static_cast<uint8_t>(displacement & 0xFF);
    code_[operandAt + 1] = static_cast<uint8_t>((displacement >> 8) & 0xFF);
  }

  void EmitOp(Opcode op) {
    SetLevelStart();
    Emit(op);
  }
  void EmitOpArg(Opcode op, uint8_t arg) {
    SetLevelStart();
    Emit(op);
    Emit(arg);
  }

  // An operator where it cannot act: an error with znre_Context_Indep_Ops, else the character
  // stands for itself.
  void Misplaced(uint8_t ch) {
    if (Has(znre_Context_Indep_Ops)) Raise(kMsgSpecialChar);
    EmitOpArg(kExact, ch);
  }

  bool QuotedNext(char c) const {
    return pos_ + 1 < pattern_.size() && pattern_[pos_] == '\\' && pattern_[pos_ + 1] == c;
  }

  // "$" acts only at the pattern end or right before a close group or an alternation.
  bool AtBranchEnd() const {
    if (pos_ >= pattern_.size()) return true;
    const char c = pattern_[pos_];
    if (Has(znre_No_Bk_Vbar) ? c == '|' : QuotedNext('|')) return true;
    if (Has(znre_No_Bk_Parens) ? c == ')' : QuotedNext(')')) return true;
    return Has(znre_Newline_Or) && c == '\n';
  }

  void CompileSet();

  std::string_view pattern_;
  uint32_t styles_;
  const SyntaxTables& tables_;
  Program& out_;
  std::vector<uint8_t>& code_;
  size_t pos_ = 0;
  std::array<int, kMaxNesting * kNumLevels> starts_{};
  int startsBase_ = 0;
  int level_ = 0;
  std::array<int, kMaxPendingJumps> futureJumps_{};
  int numJumps_ = 0;
  std::vector<int> groupRegisters_;  // register of each open group, 0 when it has none
  int nextRegister_ = 1;
};

void Compiler::CompileSet() {
  SetLevelStart();
  Emit(kSet);
  const int map = Size();
  code_.resize(code_.size() + kSetBytes, 0);
  auto hasBit = [&](int c) { return (code_[map + c / 8] >> (c % 8)) & 1; };
  auto setBit = [&](int c) { code_[map + c / 8] |= static_cast<uint8_t>(1 << (c % 8)); };
  auto clearBit = [&](int c) { code_[map + c / 8] &= static_cast<uint8_t>(~(1 << (c % 8))); };

  uint8_t ch = NextChar();
  bool complement = false;
  if (ch == '^') {
    complement = true;
    ch = NextChar();
  }
  int prev = -1;
  bool prevWasMember = false;  // the range start was in the set before it was read
  bool range = false;
  bool first = true;
  while (ch != ']' || first) {
    first = false;
    if (Has(znre_Ansi_Hex) && ch == '\\') ch = TranslateAnsi(NextChar());
    if (range) {
      // A reversed range ("z-a") is empty: its start comes out again.
      if (ch < prev && !prevWasMember) clearBit(prev);
      for (int c = prev; c <= ch; ++c) setBit(c);
      prev = -1;
      range = false;
    } else if (prev != -1 && ch == '-') {
      range = true;
    } else {
      prevWasMember = hasBit(ch);
      setBit(ch);
      prev = ch;
    }
    ch = NextChar();
  }
  if (range) setBit('-');
  if (complement) {
    for (int i = 0; i < kSetBytes; ++i) code_[map + i] = static_cast<uint8_t>(~code_[map + i]);
  }
}

// Reads the pattern left to right. Every operator has a precedence; each nesting level keeps
// where its precedence slots began in the code, so that a postfix operator wraps the last
// item and an alternation wraps its whole left branch by inserting jumps at those starts.
void Compiler::Run() {
  bool beginning = true;  // where an expression can begin: "^" acts, postfix cannot
  for (;;) {
    uint8_t op = kOpEnd;
    uint8_t ch = 0;
    if (pos_ < pattern_.size()) {
      ch = static_cast<uint8_t>(pattern_[pos_++]);
      op = tables_.plainOps[ch];
      if (op == kOpQuote) {
        ch = NextChar();
        op = tables_.quotedOps[ch];
        if (op == kOpNormal && Has(znre_Ansi_Hex)) ch = TranslateAnsi(ch);
      }
    }

    const int level = tables_.precedence[op];
    if (level > level_) {
      for (++level_; level_ < level; ++level_) SetLevelStart();
      SetLevelStart();
    } else if (level < level_) {
      level_ = level;
      while (numJumps_ > 0 && futureJumps_[numJumps_ - 1] >= CurrentLevelStart()) {
        PatchJump(futureJumps_[--numJumps_], Size());
      }
    }

    switch (op) {
      case kOpEnd:
        break;
      case kOpNormal:
        EmitOpArg(kExact, ch);
        break;
      case kOpAnyChar:
        EmitOp(kAny);
        break;
      case kOpLineStart:
        if (!beginning) {
          Misplaced(ch);
          break;
        }
        EmitOp(kLineStart);
        break;
      case kOpLineEnd:
        if (!AtBranchEnd()) {
          Misplaced(ch);
          break;
        }
        EmitOp(kLineEnd);
        break;
      case kOpOptional:
      case kOpStar:
      case kOpPlus: {
        if (beginning) {
          Misplaced(ch);
          break;
        }
        const int start = CurrentLevelStart();
        if (start == Size()) break;  // nothing to repeat: ignored
        if (op == kOpOptional) {
          InsertJump(start, kFailureJump, Size() + 3);
        } else {
          InsertJump(start, kFailureJump, Size() + 6);
          InsertJump(Size(), kStarJump, start);
          if (op == kOpPlus) InsertJump(start, kDummyFailureJump, start + 6);
        }
        break;
      }
      case kOpOr:
        InsertJump(CurrentLevelStart(), kFailureJump, Size() + 6);
        if (numJumps_ >= kMaxPendingJumps) Raise(kMsgTooComplex);
        Emit(kJump);
        futureJumps_[numJumps_++] = Size();
        Emit(0);
        Emit(0);
        SetLevelStart();
        break;
      case kOpOpenGroup: {
        SetLevelStart();
        int reg = 0;
        if (nextRegister_ < kRegisterCount) {
          reg = nextRegister_++;
          out_.usesRegisters = true;
          out_.groupCount = reg;
          Emit(kStartRegister);
          Emit(static_cast<uint8_t>(reg));
        }
        groupRegisters_.push_back(reg);
        if (startsBase_ >= (kMaxNesting - 1) * kNumLevels) Raise(kMsgTooComplex);
        startsBase_ += kNumLevels;
        level_ = 0;
        SetLevelStart();
        break;
      }
      case kOpCloseGroup: {
        if (groupRegisters_.empty()) Raise(kMsgParenthesis);
        startsBase_ -= kNumLevels;
        level_ = tables_.precedence[kOpOpenGroup];
        const int reg = groupRegisters_.back();
        groupRegisters_.pop_back();
        if (reg != 0) {
          Emit(kEndRegister);
          Emit(static_cast<uint8_t>(reg));
        }
        break;
      }
      case kOpRegister:
        if (ch == '0') Raise(kMsgBadRegister);
        out_.usesRegisters = true;
        EmitOpArg(kMatchRegister, static_cast<uint8_t>(ch - '0'));
        break;
      case kOpExtendedRegister: {
        // "\v" d1 d2 names register 10 * d2 + d1: the second digit is the tens.
        if (pos_ + 2 > pattern_.size()) Raise(kMsgBadRegister);
        const uint8_t units = static_cast<uint8_t>(pattern_[pos_++]);
        if (!IsDigit(units)) Raise(kMsgBadRegister);
        const uint8_t tens = static_cast<uint8_t>(pattern_[pos_++]);
        if (!IsDigit(tens)) Raise(kMsgBadRegister);
        const int reg = 10 * (tens - '0') + (units - '0');
        if (reg == 0 || reg >= kRegisterCount) Raise(kMsgBadRegister);
        out_.usesRegisters = true;
        EmitOpArg(kMatchRegister, static_cast<uint8_t>(reg));
        break;
      }
      case kOpOpenSet:
        CompileSet();
        break;
      case kOpSubjectStart:
        EmitOp(kSubjectStart);
        break;
      case kOpSubjectEnd:
        EmitOp(kSubjectEnd);
        break;
      case kOpDigit:
        EmitOpArg(kClass, kClassDigit);
        break;
      case kOpNotDigit:
        EmitOpArg(kNotClass, kClassDigit);
        break;
      case kOpWordChar:
        EmitOpArg(kClass, kClassWord);
        break;
      case kOpNotWordChar:
        EmitOpArg(kNotClass, kClassWord);
        break;
      case kOpWordStart:
        EmitOp(kWordStart);
        break;
      case kOpWordEnd:
        EmitOp(kWordEnd);
        break;
      case kOpWordBoundary:
        EmitOp(kWordBoundary);
        break;
      case kOpNotWordBoundary:
        EmitOp(kNotWordBoundary);
        break;
      default:
        Raise(kMsgSyntax);
    }
    if (op == kOpEnd) break;
    beginning = op == kOpOpenGroup || op == kOpOr;
  }
  if (startsBase_ != 0) Raise(kMsgParenthesis);
  if (numJumps_ != 0) Raise(kMsgAbnormal);
  Emit(kEnd);
}

// Every instruction is known and every jump lands on an instruction inside the program.
void Verify(const std::vector<uint8_t>& code) {
  std::vector<uint8_t> boundary(code.size() + 1, 0);
  for (size_t pc = 0; pc < code.size(); pc += InstructionLength(code, pc)) boundary[pc] = 1;
  for (size_t pc = 0; pc < code.size(); pc += InstructionLength(code, pc)) {
    if (pc + InstructionLength(code, pc) > code.size()) Raise(kMsgAbnormal);
    if (IsJump(code[pc])) {
      const int target = JumpTarget(code, pc);
      if (target < 0 || target >= static_cast<int>(code.size()) || !boundary[target]) {
        Raise(kMsgAbnormal);
      }
    }
  }
  if (code.empty() || code.back() != kEnd) Raise(kMsgAbnormal);
}

struct FirstChars {
  std::array<uint8_t, 256> map{};
  int canMatchEmpty = 0;
};

// For the instructions that only pass control on (register marks and jumps): pushes where
// control goes next and returns true. False for every other instruction.
bool PushSuccessors(const std::vector<uint8_t>& code, size_t pc, std::vector<size_t>& todo) {
  switch (code[pc]) {
    case kStartRegister:
    case kEndRegister:
      todo.push_back(pc + 2);
      return true;
    case kJump:
    case kStarJump:
    case kUpdateFailureJump:
    case kDummyFailureJump:
      todo.push_back(JumpTarget(code, pc));
      return true;
    case kFailureJump:
      todo.push_back(pc + 3);
      todo.push_back(JumpTarget(code, pc));
      return true;
    default:
      return false;
  }
}

// Every byte that the code from `start` on can consume first. Position tests other than the
// line end and register references give up and admit every byte.
FirstChars WalkFirstChars(const std::vector<uint8_t>& code, const std::array<uint8_t, 256>& classes,
                          size_t start) {
  FirstChars result;
  std::vector<uint8_t> visited(code.size(), 0);
  std::vector<size_t> todo{start};
  auto markAll = [&] { result.map.fill(1); };
  while (!todo.empty()) {
    const size_t pc = todo.back();
    todo.pop_back();
    if (visited[pc]) continue;
    visited[pc] = 1;
    switch (code[pc]) {
      case kEnd:
        result.canMatchEmpty = 1;
        break;
      case kLineEnd:
        result.map['\n'] = 1;
        if (result.canMatchEmpty != 1) result.canMatchEmpty = 2;
        break;
      case kLineStart:
      case kSubjectStart:
      case kSubjectEnd:
      case kWordStart:
      case kWordEnd:
      case kWordBoundary:
      case kNotWordBoundary:
        markAll();
        break;
      case kMatchRegister:
        markAll();
        result.canMatchEmpty = 1;
        break;
      case kExact:
      case kSet:
      case kAny:
      case kClass:
      case kNotClass: {
        const auto chars = CharsOf(code, pc, classes);
        for (int c = 0; c < 256; ++c) result.map[c] |= chars[c];
        break;
      }
      case kRepeatOne:
        todo.push_back(pc + 3);
        break;
      default:
        if (!PushSuccessors(code, pc, todo)) Raise(kMsgUnknownOpcode);
    }
  }
  return result;
}

// 2 when every way into the program passes a subject-start test before anything else, 1 when
// each passes a line-start or subject-start test, else 0.
int ComputeAnchor(const std::vector<uint8_t>& code) {
  std::vector<uint8_t> visited(code.size(), 0);
  std::vector<size_t> todo{0};
  bool lineStart = false;
  while (!todo.empty()) {
    const size_t pc = todo.back();
    todo.pop_back();
    if (visited[pc]) continue;
    visited[pc] = 1;
    switch (code[pc]) {
      case kSubjectStart:
        break;
      case kLineStart:
        lineStart = true;
        break;
      default:
        if (!PushSuccessors(code, pc, todo)) return 0;
    }
  }
  return lineStart ? 1 : 2;
}

// Whether the loop body [bodyStart, backEdge) can reach its back-edge without consuming.
bool BodyCanBeEmpty(const std::vector<uint8_t>& code, size_t bodyStart, size_t backEdge) {
  std::vector<uint8_t> visited(backEdge - bodyStart + 1, 0);
  std::vector<size_t> todo{bodyStart};
  while (!todo.empty()) {
    const size_t pc = todo.back();
    todo.pop_back();
    if (pc == backEdge) return true;
    if (pc < bodyStart || pc > backEdge || visited[pc - bodyStart]) continue;
    visited[pc - bodyStart] = 1;
    const uint8_t op = code[pc];
    if (IsPositionTest(op) || op == kStartRegister || op == kEndRegister || op == kMatchRegister ||
        op == kRepeatOne) {
      todo.push_back(pc + InstructionLength(code, pc));
    } else if (op == kFailureJump) {
      todo.push_back(pc + 3);
      todo.push_back(JumpTarget(code, pc));
    } else if (IsJump(op)) {
      todo.push_back(JumpTarget(code, pc));
    }
  }
  return false;
}

// What a loop's back-edge becomes. A loop keeps a single failure point (update failure jump)
// when no earlier exit can help: the body starts with a one-character instruction none of
// whose characters can begin what follows the loop, and the rest of the body only consumes or
// tests positions, so it never leaves failure points of its own. A body of just that one
// instruction runs as a tight loop (repeat one). Every other loop backtracks normally.
Opcode ChooseBackEdge(const std::vector<uint8_t>& code, const std::array<uint8_t, 256>& classes,
                      size_t bodyStart, size_t backEdge) {
  size_t first = bodyStart;
  while (first < backEdge && (IsPositionTest(code[first]) || code[first] == kStartRegister ||
                              code[first] == kEndRegister)) {
    first += InstructionLength(code, first);
  }
  if (first >= backEdge || !IsSingleChar(code[first])) return kJump;
  const FirstChars follow = WalkFirstChars(code, classes, backEdge + 3);
  const auto chars = CharsOf(code, first, classes);
  for (int c = 0; c < 256; ++c) {
    if (chars[c] && follow.map[c]) return kJump;
  }
  for (size_t pc = first + InstructionLength(code, first); pc < backEdge;
       pc += InstructionLength(code, pc)) {
    if (!IsSingleChar(code[pc]) && !IsPositionTest(code[pc]) && code[pc] != kMatchRegister) {
      return kJump;
    }
  }
  if (first == bodyStart && bodyStart + InstructionLength(code, bodyStart) == backEdge) {
    return kRepeatOne;
  }
  return kUpdateFailureJump;
}

void Optimise(Program& program, bool rewrite) {
  std::vector<uint8_t>& code = program.code;
  for (size_t pc = 0; pc < code.size(); pc += InstructionLength(code, pc)) {
    if (code[pc] != kStarJump) continue;
    const int head = JumpTarget(code, pc);
    if (head < 0 || head >= static_cast<int>(pc) || code[head] != kFailureJump) {
      Raise(kMsgNoFailureJump);
    }
    const size_t bodyStart = static_cast<size_t>(head) + 3;
    if (BodyCanBeEmpty(code, bodyStart, pc)) {
      if (program.guard.empty()) program.guard.assign(code.size(), -1);
      const int slot = program.guardCount++;
      program.guard[head] = slot;
      program.guard[pc] = slot;
      if (head >= 3 && code[head - 3] == kDummyFailureJump &&
          JumpTarget(code, head - 3) == static_cast<int>(bodyStart)) {
        program.guard[head - 3] = slot;
      }
    }
    if (rewrite) code[pc] = ChooseBackEdge(code, program.classes, bodyStart, pc);
  }
}

// Numbers the places where control branches (failure jumps and their targets) and lists the
// registers that back-references read, for the matcher's memory of explored states.
void FindResumePoints(Program& program) {
  const std::vector<uint8_t>& code = program.code;
  program.resumeIndex.assign(code.size(), -1);
  std::array<bool, kRegisterCount> read{};
  for (size_t pc = 0; pc < code.size(); pc += InstructionLength(code, pc)) {
    if (code[pc] == kFailureJump) {
      for (const size_t at : {pc, static_cast<size_t>(JumpTarget(code, pc))}) {
        if (program.resumeIndex[at] < 0) program.resumeIndex[at] = program.resumeCount++;
      }
    } else if (code[pc] == kMatchRegister && code[pc + 1] <= program.groupCount) {
      read[code[pc + 1]] = true;
    }
  }
  for (int r = 1; r < kRegisterCount; ++r) {
    if (read[r]) program.backrefs.push_back(static_cast<uint8_t>(r));
  }
}

const char* OpcodeName(uint8_t op) {
  static const char* const kNames[kOpcodeCount] = {"end",
                                                   "line_start",
                                                   "line_end",
                                                   "set",
                                                   "exact",
                                                   "any",
                                                   "start_register",
                                                   "end_register",
                                                   "match_register",
                                                   "jump",
                                                   "star_jump",
                                                   "failure_jump",
                                                   "update_failure_jump",
                                                   "dummy_failure_jump",
                                                   "subject_start",
                                                   "subject_end",
                                                   "word_start",
                                                   "word_end",
                                                   "word_boundary",
                                                   "not_word_boundary",
                                                   "class",
                                                   "not_class",
                                                   "repeat_one"};
  return op < kOpcodeCount ? kNames[op] : "?";
}

}  // namespace

SyntaxTables BuildSyntaxTables(uint32_t styles) {
  SyntaxTables t;
  for (int c = 0; c < 256; ++c) {
    uint8_t bits = 0;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_') bits |= kClassWord;
    if (c >= '0' && c <= '9') bits |= kClassWord | kClassDigit | kClassHex;
    if (c >= '0' && c <= '7') bits |= kClassOctal;
    if ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) bits |= kClassHex;
    if ((c >= 9 && c <= 13) || c == ' ') bits |= kClassSpace;
    if (c >= 128 && (styles & znre_HighCharsWhitespace)) bits |= kClassSpace;
    t.classes[c] = bits;
  }

  t.plainOps.fill(kOpNormal);
  t.quotedOps.fill(kOpNormal);
  t.plainOps['\\'] = kOpQuote;
  t.plainOps['*'] = kOpStar;
  t.plainOps['['] = kOpOpenSet;
  t.plainOps['^'] = kOpLineStart;
  t.plainOps['$'] = kOpLineEnd;
  t.plainOps['.'] = kOpAnyChar;
  for (int c = '0'; c <= '9'; ++c) t.quotedOps[c] = kOpRegister;
  auto& parens = (styles & znre_No_Bk_Parens) ? t.plainOps : t.quotedOps;
  parens['('] = kOpOpenGroup;
  parens[')'] = kOpCloseGroup;
  ((styles & znre_No_Bk_Vbar) ? t.plainOps : t.quotedOps)['|'] = kOpOr;
  auto& plusQm = (styles & znre_Bk_Plus_Qm) ? t.quotedOps : t.plainOps;
  plusQm['+'] = kOpPlus;
  plusQm['?'] = kOpOptional;
  if (styles & znre_Newline_Or) t.plainOps['\n'] = kOpOr;
  if (styles & znre_Ansi_Hex) t.quotedOps['v'] = kOpExtendedRegister;
  if (!(styles & znre_No_Gnu_Extensions)) {
    t.quotedOps['`'] = kOpSubjectStart;
    t.quotedOps[','] = kOpSubjectEnd;
    t.quotedOps['d'] = kOpDigit;
    t.quotedOps['D'] = kOpNotDigit;
    t.quotedOps['w'] = kOpWordChar;
    t.quotedOps['W'] = kOpNotWordChar;
    t.quotedOps['<'] = kOpWordStart;
    t.quotedOps['>'] = kOpWordEnd;
    t.quotedOps['b'] = kOpWordBoundary;
    t.quotedOps['B'] = kOpNotWordBoundary;
  }

  t.precedence.fill(4);
  t.precedence[kOpEnd] = 0;
  t.precedence[kOpCloseGroup] = 1;
  const bool tight = (styles & znre_Tight_Vbar) != 0;
  t.precedence[kOpOr] = tight ? 3 : 2;
  t.precedence[kOpLineStart] = tight ? 2 : 3;
  t.precedence[kOpLineEnd] = tight ? 2 : 3;
  return t;
}

int InstructionLength(const std::vector<uint8_t>& code, size_t pc) {
  switch (code[pc]) {
    case kSet:
      return 1 + kSetBytes;
    case kExact:
    case kStartRegister:
    case kEndRegister:
    case kMatchRegister:
    case kClass:
    case kNotClass:
      return 2;
    case kJump:
    case kStarJump:
    case kFailureJump:
    case kUpdateFailureJump:
    case kDummyFailureJump:
    case kRepeatOne:
      return 3;
    case kEnd:
    case kLineStart:
    case kLineEnd:
    case kAny:
    case kSubjectStart:
    case kSubjectEnd:
    case kWordStart:
    case kWordEnd:
    case kWordBoundary:
    case kNotWordBoundary:
      return 1;
    default:
      Raise(kMsgUnknownOpcode);
  }
}

Program Compile(std::string_view pattern, uint32_t styles, bool optimise) {
  const SyntaxTables tables = BuildSyntaxTables(styles);
  Program program;
  program.classes = tables.classes;
  Compiler(pattern, styles, tables, program).Run();
  Verify(program.code);
  Optimise(program, optimise);
  const FirstChars first = WalkFirstChars(program.code, program.classes, 0);
  program.fastmap = first.map;
  program.canMatchEmpty = first.canMatchEmpty;
  program.anchor = ComputeAnchor(program.code);
  FindResumePoints(program);
  return program;
}

std::string Disassemble(const Program& program) {
  const std::vector<uint8_t>& code = program.code;
  std::string out;
  for (size_t pc = 0; pc < code.size(); pc += InstructionLength(code, pc)) {
    const uint8_t op = code[pc];
    out += std::to_string(pc) + " " + OpcodeName(op);
    if (IsJump(op)) {
      out += " " + std::to_string(JumpTarget(code, pc));
    } else if (op == kExact) {
      const uint8_t c = code[pc + 1];
      out += (c > 32 && c < 127) ? " '" + std::string(1, static_cast<char>(c)) + "'"
                                 : " #" + std::to_string(c);
    } else if (op == kSet) {
      out += " [";
      const auto chars = CharsOf(code, pc, program.classes);
      for (int c = 0; c < 256; ++c) {
        if (!chars[c]) continue;
        int last = c;
        while (last + 1 < 256 && chars[last + 1]) ++last;
        out += std::to_string(c);
        if (last > c) out += "-" + std::to_string(last);
        out += ",";
        c = last;
      }
      out += "]";
    } else if (InstructionLength(code, pc) == 2) {
      out += " " + std::to_string(code[pc + 1]);
    }
    out += "\n";
  }
  return out;
}

}  // namespace tovix::regex_internal
