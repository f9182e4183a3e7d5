#pragma once
// The settings store every window keeps its state in (TovixStore3.ini), the form-state contract
// the windows implement, and the placement rules the windows apply when they restore themselves.
//
// What callers rely on:
// - The store reads its file once when it is made and changes only memory afterwards; nothing
//   reaches the disk until UpdateFile(), which replaces the file atomically. The owner calls
//   UpdateFile() at the end of a successful run and on "Save Status"; the destructor writes
//   nothing, so a failed write can still be reported to the user.
// - After ForgetFile() (the failed start-up) the store is empty and never writes.
// - A window's sections are named after its fixed state name (its design caption), never after a
//   caption that changes with sort order or game. The main window's name is always "Tovix".
// - Logic never opens a window: LoadAllFormStates/SaveAllFormStates return the failures and the
//   program decides how to show them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/ini_file.h"

namespace tovix {

class TznSaveState {
 public:
  // Reads the file whole; a missing file gives an empty store. An empty name gives a store that
  // lives in memory only. Throws EFileError when the file exists but cannot be read, so that a
  // later save cannot wipe settings that were never loaded.
  explicit TznSaveState(std::string fileName);
  TznSaveState(const TznSaveState&) = delete;
  TznSaveState& operator=(const TznSaveState&) = delete;

  // Empty after ForgetFile() or when made without a name.
  const std::string& FileName() const { return ini_.FileName(); }

  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  bool SectionExists(std::string_view section) const { return ini_.SectionExists(section); }
  bool ValueExists(std::string_view section, std::string_view key) const {
    return ini_.ValueExists(section, key);
  }

  // A name or value that would break the file's line structure is refused with TovixError and
  // the store stays as it was.
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // Writes the whole store to its file atomically; nothing when the name is empty. On failure
  // EFileError is raised, the old file stays whole and the store keeps its contents, so the
  // save can be tried again.
  void UpdateFile();

  // Empties the file name and the contents: nothing of this run will be saved, and the file on
  // disk is left as it was.
  void ForgetFile();

 private:
  TIniFile ini_;
};

// ---- form state

// The fixed state name of the main window, whatever its title says.
inline constexpr std::string_view kMainStateName = "Tovix";

// Implemented by every window that keeps settings in the store. The window gets the store when
// it is made; the sections and keys it uses are its own business.
class IFormState {
 public:
  virtual ~IFormState() = default;
  virtual void SaveState() = 0;
  virtual void LoadState() = 0;
  // The window's design caption (the main window's is kMainStateName). It names the
  // "<name>_State" placement section and usually the window's own section.
  virtual std::string StateSectionName() const = 0;
};

// One window whose LoadState or SaveState raised an error.
struct TFormStateFailure {
  std::string StateName;
  std::string Message;
};

// The windows that keep state, in the order they were made. It does not own them.
class TFormStateRegistry {
 public:
  // A window registered twice keeps its first place.
  void Register(IFormState& window);
  void Unregister(IFormState& window);
  size_t Count() const { return windows_.size(); }

  // Calls LoadState (SaveState) of each window in order. An error raised by one window does not
  // stop the others; it is returned with the window's state name. A window registered or
  // unregistered during a pass takes part from the next pass on.
  std::vector<TFormStateFailure> LoadAllFormStates();
  std::vector<TFormStateFailure> SaveAllFormStates();

 private:
  template <class Call>
  std::vector<TFormStateFailure> ForEach(Call call);

  std::vector<IFormState*> windows_;
};

// ---- window placement

// A rectangle in screen coordinates; Right and Bottom lie just outside it.
struct TScreenRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool operator==(const TScreenRect&) const = default;
};

enum class TWindowShowState { Normal, Minimized, Maximized };

// The "<name>_State" section as stored: "ShowCmd", "flags", "NormalLeft", "NormalTop",
// "NormalRight", "NormalBottom". ShowCmd uses the codes of the stored files: 1, 5 or 9 normal,
// 2 or 6 minimized, 3 maximized.
struct TPlacementRecord {
  // False when the section holds no "NormalLeft": the window was never placed.
  bool Stored = false;
  int32_t ShowCmd = 0;
  int32_t Flags = 0;
  TScreenRect Normal{-1, -1, -1, -1};
  bool operator==(const TPlacementRecord&) const = default;
};

// "Planets List" -> "Planets List_State".
std::string PlacementSection(std::string_view stateName);

TWindowShowState ShowStateFromShowCmd(int32_t showCmd);
int32_t ShowCmdFromShowState(TWindowShowState state);

// Missing keys read as ShowCmd 0, flags = currentFlags, coordinates -1.
TPlacementRecord ReadPlacement(const TznSaveState& store, std::string_view stateName,
                               int32_t currentFlags);
void WritePlacement(TznSaveState& store, std::string_view stateName, const TPlacementRecord& rec);

// What the window knows about itself when it restores its placement.
struct TWindowFacts {
  bool IsMainWindow = false;
  bool FixedSize = false;  // a border the user cannot resize
  int32_t Width = 0;       // the current size, kept by fixed-size windows
  int32_t Height = 0;
};

// What the window should do; the window applies it with its toolkit.
struct TPlacementChange {
  std::optional<TScreenRect> Normal;          // set the normal rectangle, or leave it
  std::optional<TWindowShowState> ShowState;  // set the state, or leave it
  int32_t Flags = 0;
  bool operator==(const TPlacementChange&) const = default;
};

// The restore rules. `screens` are the available screens' rectangles, the primary first.
// 1. Nothing stored: a window other than the main one is minimized; the main window is left.
// 2. A fixed-size window keeps its own size at the stored top-left corner.
// 3. The rectangle is applied only when NormalRight > NormalLeft.
// 4. A rectangle that overlaps no screen (its monitor is gone) is moved onto the primary one.
// 5. Windows other than the main one take the stored state; the main window keeps its own.
TPlacementChange RestoreFormPlacement(const TPlacementRecord& rec, const TWindowFacts& window,
                                      const std::vector<TScreenRect>& screens);

// Reads the window's "<name>_State" section and applies the rules above.
TPlacementChange RestoreFormPlacement(const TznSaveState& store, std::string_view stateName,
                                      const TWindowFacts& window, int32_t currentFlags,
                                      const std::vector<TScreenRect>& screens);

// Writes the window's "<name>_State" section from its current state and normal rectangle.
void SaveFormPlacement(TznSaveState& store, std::string_view stateName, TWindowShowState state,
                       const TScreenRect& normal, int32_t flags);

}  // namespace tovix
