// libFuzzer target (Clang only): random patterns under random syntax options, searched in
// random subjects. Looks for crashes, runaway searches, and any disagreement between the
// optimised and the plain program or between searches with and without the first-character
// map. Run: regex_fuzz -max_total_time=600 [corpus folder]

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/base/errors.h"
#include "core/regex/regex.h"
#include "core/regex/regex_internal.h"

namespace {

using tovix::ERegularExpression;
using tovix::regex_internal::Compile;
using tovix::regex_internal::Matcher;
using tovix::regex_internal::Program;

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

// Input: two bytes of options, then the pattern, a 0 byte, and the subject.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint32_t styles = data[0] | ((data[1] & 1u) << 8);
  const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
  const size_t cut = rest.find('\0');
  const std::string pattern(rest.substr(0, cut));
  const std::string subject(cut == std::string_view::npos ? "" : rest.substr(cut + 1));

  Program fast;
  try {
    fast = Compile(pattern, styles, true);
  } catch (const ERegularExpression&) {
    try {
      Compile(pattern, styles, false);
    } catch (const ERegularExpression&) {
      return 0;
    }
    std::abort();  // only one of the two compiles failed
  }
  const Program slow = Compile(pattern, styles, false);

  Matcher a;
  Matcher b;
  a.SetLimits(200000, 200000);
  b.SetLimits(200000, 200000);
  for (size_t p = 0; p < subject.size(); ++p) {
    const int ra = a.Match(fast, subject, p);
    const int rb = b.Match(slow, subject, p);
    if (ra == -2 || rb == -2) return 0;
    Check(ra == rb);
    if (ra >= 0) {
      for (int r = 0; r <= fast.groupCount; ++r) {
        Check(a.Start(r) == b.Start(r) && a.End(r) == b.End(r));
      }
    }
  }

  tovix::TznreExpr re;
  re.SetSyntaxStyles(styles);
  re.SetPattern(pattern);
  re.SetStr(subject);
  const int withMap = re.Search(1);
  re.SetUseFastmap(false);
  const int without = re.Search(1);
  if (withMap != -2 && without != -2) Check(withMap == without);
  return 0;
}
