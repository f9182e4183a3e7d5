#pragma once
// The exception classes of the core. Library-like parts raise these with fixed English texts;
// callers that reach the user show the text as it is.

#include <stdexcept>
#include <string>

namespace tovix {

class TovixError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// String-list misuse: "List index out of bounds (%d)", "String list does not allow duplicates",
// "Operation not allowed on sorted list".
class EStringListError : public TovixError {
 public:
  using TovixError::TovixError;
};

// Tokenizer access out of range: "Index out of bounds".
class EParseError : public TovixError {
 public:
  using TovixError::TovixError;
};

// Regular-expression compile or search failure.
class ERegularExpression : public TovixError {
 public:
  using TovixError::TovixError;
};

// A file could not be created, opened, read or replaced. The text names the file.
class EFileError : public TovixError {
 public:
  using TovixError::TovixError;
};

}  // namespace tovix
