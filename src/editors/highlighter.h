#pragma once
// The contract between the text editor and a highlighter: a scanner that walks one line at a
// time token by token, gives each token a display attribute, and carries a range state from
// line to line for constructs that span lines. The editor stores the range in force at the
// start of every line and rescans after an edit only until a line's stored range agrees again.

#include <bitset>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/settings/save_state.h"
#include "editors/edit_types.h"

namespace tovix {

// One display attribute: colours (clNone = the editor's own) and font style, with a change
// notification fired after any of them changed.
class TmwHighLightAttributes {
 public:
  explicit TmwHighLightAttributes(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  TColor Background() const { return background_; }
  TColor Foreground() const { return foreground_; }
  TFontStyles Style() const { return style_; }
  void SetBackground(TColor value);
  void SetForeground(TColor value);
  void SetStyle(TFontStyles value);
  // Copies name, colours and style; notifies once when anything changed.
  void Assign(const TmwHighLightAttributes& source);

  std::function<void(TmwHighLightAttributes&)> OnChange;

 private:
  void Changed();

  std::string name_;
  TColor background_ = clNone;
  TColor foreground_ = clNone;
  TFontStyles style_ = 0;
};

// An ordered list of handlers called with a sender. Handlers are removed by the id that adding
// them returned; adding an empty handler is refused.
class TmwNotifyEventChain {
 public:
  using THandler = std::function<void(void* sender)>;
  // Gets the error a handler raised; clearing `doContinue` ends this firing.
  using TExceptionHandler = std::function<void(const std::exception& error, bool& doContinue)>;
  explicit TmwNotifyEventChain(void* sender) : sender_(sender) {}

  int Add(THandler handler);
  // Removes the handler of that id; an unknown id is ignored.
  void Remove(int id);
  // Calls every handler in the order added. A handler may remove itself (or others) meanwhile.
  // An error a handler raises goes to the exception handler when one is set (which decides
  // whether the others are still called); without one it passes on to the caller.
  void Fire();
  size_t Count() const { return entries_.size(); }
  void SetOnException(TExceptionHandler handler) { onException_ = std::move(handler); }

 private:
  struct TEntry {
    int Id;
    THandler Handler;
  };
  void* sender_;
  int nextId_ = 1;
  std::vector<TEntry> entries_;
  TExceptionHandler onException_;
};

// The word characters of word moves and word deletion, as a set of the codes 0..255.
using TIdentChars = std::bitset<256>;

// The base of every highlighter. Derived classes implement the scanner operations.
class TmwCustomHighLighter {
 public:
  TmwCustomHighLighter();
  virtual ~TmwCustomHighLighter();
  TmwCustomHighLighter(const TmwCustomHighLighter&) = delete;
  TmwCustomHighLighter& operator=(const TmwCustomHighLighter&) = delete;

  // Characters 33..255 unless a language says otherwise. Codes above 255 are always word
  // characters.
  virtual TIdentChars GetIdentChars() const;
  int GetAttribCount() const { return static_cast<int>(attributes_.size()); }
  // The attribute at `index` in name order, or nullptr outside 0 .. count - 1.
  TmwHighLightAttributes* GetAttribute(int index) const;
  // The attribute for a standard index, or nullptr. The editor paints its background with
  // index 0's background when that is not clNone.
  virtual TmwHighLightAttributes* GetDefaultAttribute(int index) const = 0;
  virtual std::string GetDefaultFilter() const { return defaultFilter_; }
  virtual void SetDefaultFilter(const std::string& value) {
    if (value != defaultFilter_) defaultFilter_ = value;
  }
  virtual int GetCapabilities() const { return 2; }
  virtual std::string GetLanguageName() const { return "<Unknown>"; }

  // The scanner.
  virtual bool GetEol() const = 0;
  virtual uintptr_t GetRange() const = 0;
  virtual TEditString GetToken() const = 0;
  virtual TmwHighLightAttributes* GetTokenAttribute() const = 0;
  virtual int GetTokenKind() const = 0;
  virtual int GetTokenPos() const = 0;  // 0-based
  virtual void Next() = 0;
  // Starts scanning `text` (line `lineNumber`, 0-based) in the current range.
  virtual void SetLine(TEditStringView text, int lineNumber) = 0;
  virtual void SetRange(uintptr_t value) = 0;
  virtual void ResetRange() = 0;

  // Calls Next until the end of the line.
  void NextToEol();

  // Change notification: editors hook a handler and repaint when it fires.
  int HookAttrChangeEvent(TmwNotifyEventChain::THandler handler) {
    return changeChain_.Add(std::move(handler));
  }
  void UnhookAttrChangeEvent(int id) { changeChain_.Remove(id); }
  // Tells the hooked editors that colours or the language changed.
  void DefHighlightChange() { changeChain_.Fire(); }
  // Where an error of a hooked editor's handler goes (see TmwNotifyEventChain::Fire).
  void SetOnChangeException(TmwNotifyEventChain::TExceptionHandler handler) {
    changeChain_.SetOnException(std::move(handler));
  }

  // The attributes in the settings store: each in the section `key` + "\" + its name, with
  // "Background", "Foreground" and "Style" (bit 0 bold, 1 italic, 2 underline, 3 strike-out).
  // Loading applies the values that exist, attribute by attribute in list order, and stops at
  // the first attribute without a section; true only when every one was there.
  virtual bool LoadFromStore(const TznSaveState& store, const std::string& key);
  virtual void SaveToStore(TznSaveState& store, const std::string& key) const;
  // Editors hook here to forget the highlighter before it goes.
  int HookDestroyEvent(TmwNotifyEventChain::THandler handler) {
    return destroyChain_.Add(std::move(handler));
  }
  void UnhookDestroyEvent(int id) { destroyChain_.Remove(id); }

  std::function<void(int kind, const TEditString& token, TmwHighLightAttributes*& attr)> OnToken;

 protected:
  // Takes the attribute into the list under its name. A second attribute of the same name
  // raises EStringListError and is dropped.
  TmwHighLightAttributes* AddAttribute(std::unique_ptr<TmwHighLightAttributes> attr);
  // Makes every attribute's change notify the hooked editors.
  void SetAttributesOnChange();

 private:
  std::vector<std::unique_ptr<TmwHighLightAttributes>> attributes_;  // sorted by name
  TmwNotifyEventChain changeChain_;
  TmwNotifyEventChain destroyChain_;
  std::string defaultFilter_;
};

// The highlighter kinds: a name and a way to make one. Registering a name a second time keeps
// the first.
class THighlighterList {
 public:
  using TFactory = std::function<std::unique_ptr<TmwCustomHighLighter>()>;
  void Register(const std::string& name, TFactory factory);
  int Count() const { return static_cast<int>(entries_.size()); }
  const std::string& Name(int index) const { return entries_.at(static_cast<size_t>(index)).Name; }
  std::unique_ptr<TmwCustomHighLighter> Create(int index) const {
    return entries_.at(static_cast<size_t>(index)).Factory();
  }
  int IndexOf(const std::string& name) const;

 private:
  struct TEntry {
    std::string Name;
    TFactory Factory;
  };
  std::vector<TEntry> entries_;
};

}  // namespace tovix
