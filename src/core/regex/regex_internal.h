#pragma once
// Inside the regular-expression engine: syntax tables, the byte program, the compiler and the
// backtracking matcher. TznreExpr (core/regex.h) is the public face; tests use this header to
// look at programs and to run the matcher with small limits.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tovix::regex_internal {

// Instructions of the byte program. Each is one opcode byte followed by its operands; jump
// displacements are signed 16-bit little-endian, relative to the byte after the operand.
enum Opcode : uint8_t {
  kEnd = 0,
  kLineStart = 1,
  kLineEnd = 2,
  kSet = 3,  // + 32-byte bitmap
  kExact = 4,
  kAny = 5,
  kStartRegister = 6,
  kEndRegister = 7,
  kMatchRegister = 8,
  kJump = 9,
  kStarJump = 10,
  kFailureJump = 11,
  kUpdateFailureJump = 12,
  kDummyFailureJump = 13,
  kSubjectStart = 14,
  kSubjectEnd = 15,
  kWordStart = 16,
  kWordEnd = 17,
  kWordBoundary = 18,
  kNotWordBoundary = 19,
  kClass = 20,
  kNotClass = 21,
  kRepeatOne = 22,
  kOpcodeCount = 23,
};

// What a pattern character means to the compiler, from the plain and quoted operator tables.
enum SyntaxOp : uint8_t {
  kOpEnd = 0,
  kOpNormal = 1,
  kOpAnyChar = 2,
  kOpQuote = 3,
  kOpLineStart = 4,
  kOpLineEnd = 5,
  kOpOptional = 6,
  kOpStar = 7,
  kOpPlus = 8,
  kOpOr = 9,
  kOpOpenGroup = 10,
  kOpCloseGroup = 11,
  kOpRegister = 12,
  kOpExtendedRegister = 13,
  kOpOpenSet = 14,
  kOpSubjectStart = 15,
  kOpSubjectEnd = 16,
  kOpDigit = 17,
  kOpNotDigit = 18,
  kOpWordChar = 19,
  kOpNotWordChar = 20,
  kOpWordStart = 21,
  kOpWordEnd = 22,
  kOpWordBoundary = 23,
  kOpNotWordBoundary = 24,
  kSyntaxOpCount = 25,
};

// Character class bits.
enum : uint8_t {
  kClassWord = 1,
  kClassSpace = 2,
  kClassDigit = 4,
  kClassOctal = 8,
  kClassHex = 16,
};

inline constexpr int kRegisterCount = 100;    // register 0 is the whole match
inline constexpr int kMaxNesting = 100;       // nesting levels, the top level included
inline constexpr int kMaxPendingJumps = 100;  // alternation jumps waiting for their target
inline constexpr int kSetBytes = 32;

struct SyntaxTables {
  std::array<uint8_t, 256> classes{};
  std::array<uint8_t, 256> plainOps{};
  std::array<uint8_t, 256> quotedOps{};
  std::array<uint8_t, kSyntaxOpCount> precedence{};
};

SyntaxTables BuildSyntaxTables(uint32_t styles);

// A compiled pattern with what the search needs beside the code.
struct Program {
  std::vector<uint8_t> code;
  std::array<uint8_t, 256> classes{};  // class table the class instructions test against
  std::array<uint8_t, 256> fastmap{};  // 1 for every byte that can begin a match
  int canMatchEmpty = 0;               // 0 no, 1 anywhere, 2 only at a line end
  int anchor = 0;                      // 0 none, 1 line starts only, 2 subject start only
  bool usesRegisters = false;
  int groupCount = 0;  // groups that own a register (1..99)
  // Loops whose body can match the empty string get a guard slot so that an iteration that
  // consumed nothing ends the loop instead of spinning. guard[pc] is the slot of the loop
  // whose head, "+" entry or back-edge sits at pc, -1 elsewhere; empty when there is none.
  std::vector<int32_t> guard;
  int guardCount = 0;
  // Where control branches: resumeIndex[pc] numbers the failure jumps and their targets
  // (0..resumeCount-1), -1 elsewhere. The matcher remembers which it has explored.
  std::vector<int32_t> resumeIndex;
  int resumeCount = 0;
  std::vector<uint8_t> backrefs;  // registers that match-register instructions read
};

// Compiles `pattern` under the syntax options. Throws ERegularExpression with the fixed
// messages. `optimise` = false keeps every loop on plain backtracking (tests compare both).
Program Compile(std::string_view pattern, uint32_t styles, bool optimise = true);

// One instruction per line, "offset name operand", for tests and debugging.
std::string Disassemble(const Program& program);

// Length in bytes of the instruction at pc.
int InstructionLength(const std::vector<uint8_t>& code, size_t pc);

inline int ReadDisplacement(const uint8_t* p) {
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

// The backtracking interpreter. One object serves many searches and keeps its stacks between
// them, so a search allocates nothing once they have grown.
//
// The step budget bounds a whole search: every Match between two BeginSearch calls draws on
// it. Once a search has taken kMemoAfterSteps steps, the matcher remembers each branching
// state it explored (program position, text position, and the registers back-references
// read) and cuts a later visit of the same state: the search from there already failed, so the
// result is the same, but nested loops over overlapping alternatives no longer take
// exponential time, and a search tries each state once over all its start positions.
class Matcher {
 public:
  static constexpr int64_t kDefaultStepLimit = 10'000'000;  // failure points per search
  static constexpr size_t kDefaultStackLimit = 4'000'000;   // entries of each stack
  static constexpr int64_t kMemoAfterSteps = 4096;
  static constexpr size_t kMaxMemoBits = size_t{1} << 28;  // 32 MB of marks at most
  static constexpr size_t kMaxMemoKeys = 250'000;          // states kept with registers

  // Starts a new search: the step budget is full again and nothing is remembered. Match does
  // this itself when the program or the text (address or size) differs from the last call;
  // a caller that changes a text in place must call it.
  void BeginSearch();

  // Runs `program` at the 0-based `start` of `text`. Returns the match length (0 for an empty
  // match), -1 for no match and -2 when the step or stack budget of the search ran out.
  int Match(const Program& program, std::string_view text, size_t start);

  // Steps (failure points created) taken since the search began.
  int64_t SearchSteps() const { return steps_; }

  // Registers 0..groupCount of the last successful Match, 0-based start and end (end
  // exclusive), -1 unused.
  int Start(int reg) const { return regStart_[reg]; }
  int End(int reg) const { return regEnd_[reg]; }

  // `memoAfter`: steps before the matcher starts remembering states (0 at once; tests use it).
  void SetLimits(int64_t steps, size_t stackEntries, int64_t memoAfter = kMemoAfterSteps) {
    stepLimit_ = steps;
    stackLimit_ = stackEntries;
    memoAfter_ = memoAfter;
  }
  // Deepest failure stack of the last Match (tests check that tight loops stay flat).
  size_t PeakStackDepth() const { return peakStack_; }

 private:
  struct FailurePoint {
    int32_t pc;  // -1: dummy point that only pops
    int32_t text;
    int32_t trail;
  };
  struct TrailEntry {
    int32_t slot;
    int32_t old;
  };

  void StartMemo(const Program& program, size_t textSize);
  bool Explored(const Program& program, int32_t pc, int32_t text);
  void ForgetMemo();

  int64_t stepLimit_ = kDefaultStepLimit;
  size_t stackLimit_ = kDefaultStackLimit;
  int64_t memoAfter_ = kMemoAfterSteps;
  size_t peakStack_ = 0;
  int64_t steps_ = 0;
  const Program* searchProgram_ = nullptr;
  const char* searchText_ = nullptr;
  size_t searchSize_ = 0;
  // Failure points already resumed in this search. Without back-references one bit per
  // (resume point, text position); with them a set of keys that include those registers.
  bool memoOn_ = false;
  size_t memoStride_ = 0;
  std::vector<uint64_t> memoBits_;
  std::vector<size_t> memoNew_;  // bits set by the current Match
  std::unordered_set<std::string> memoKeys_;
  std::string key_;
  std::vector<FailurePoint> failures_;
  std::vector<TrailEntry> trail_;
  // Slot layout: committed starts, committed ends, pending starts (set when a group opens,
  // committed when it closes), then the loop guards.
  std::vector<int32_t> slots_;
  std::array<int, kRegisterCount> regStart_{};
  std::array<int, kRegisterCount> regEnd_{};
};

inline constexpr int kSlotStart = 0;
inline constexpr int kSlotEnd = kRegisterCount;
inline constexpr int kSlotPending = 2 * kRegisterCount;
inline constexpr int kSlotGuard = 3 * kRegisterCount;

}  // namespace tovix::regex_internal
