#pragma once
// Whole-file reading and writing, and the read-only flag. Every file the program rewrites goes
// through WriteFileAtomically, so a crash or a full disk never leaves a half-written file.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace tovix {

// The whole file as bytes, opened read-only. Throws EFileError naming the file when it cannot
// be opened or read.
std::string LoadFileToString(const std::filesystem::path& name);
// The same, or nothing when the file does not exist. A file that exists but cannot be read is
// still an error: taking it for an empty one would let the next save wipe it.
std::optional<std::string> LoadFileIfExists(const std::filesystem::path& name);

// The read and write permissions a file the program writes may have: every file that holds a
// password (the stored mail password, orders with their "#GALAXY" line, mails of them) is
// its owner's alone.
inline constexpr mode_t kSharedFileMode = 0666;
inline constexpr mode_t kOwnerOnlyFileMode = 0600;

// Replaces (or creates) `name` with exactly `bytes`: the bytes go to a temporary file in the
// same folder, which is flushed to disk and then renamed over the old file. A new file gets
// `mode` (less the umask); an existing file keeps its permission bits, less the read and write
// bits `mode` does not give, so a wider file is narrowed by this write. The temporary file is
// created with those bits, so the bytes are never readable by more than the final file allows.
// A symbolic link keeps pointing at its (replaced) target. On any failure the old file is
// untouched, the temporary file is removed and EFileError is raised. A file whose owner may not
// write it (IsReadOnly) is not replaced: EFileError says so.
void WriteFileAtomically(const std::filesystem::path& name, std::string_view bytes,
                         mode_t mode = kSharedFileMode);

// Takes from an existing file the read and write bits `mode` does not give (as a write with
// that mode would). True when the file is then so, or does not exist.
bool NarrowFileMode(const std::filesystem::path& name, mode_t mode);

// Removes from `folder` the temporary files WriteFileAtomically leaves when the program stops
// in the middle of a write (only names of the form it gives them); returns how many went.
// `listError`, when given, tells why the folder could not be listed.
int RemoveLeftTempFiles(const std::filesystem::path& folder, std::error_code* listError = nullptr);

// Creates or replaces a file holding exactly the bytes of s (atomically, as above).
void SaveStringToFile(const std::filesystem::path& name, std::string_view s);

// The read-only flag is the owner's write permission. SetReadOnly returns true on success or
// when the file is already so, false when the file is missing or cannot be changed.
bool SetReadOnly(const std::filesystem::path& name, bool on);
// True when the file exists and its owner may not write it.
bool IsReadOnly(const std::filesystem::path& name);

// Test seam: makes every following WriteFileAtomically fail at the given step, the way a full
// disk or a vanished folder would. kNone restores normal work. Not for program code.
enum class AtomicWriteStep { kNone, kCreate, kWrite, kSync, kRename };
void SetAtomicWriteFailure(AtomicWriteStep step);

}  // namespace tovix
