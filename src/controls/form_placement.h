#pragma once
// Saves a window's placement (position, size, state, active control) to an INI file and
// restores it, and can fix the window's size limits or forbid resizing. Other components keep
// their own settings in the same section through a TIniLink.
//
// The file: IniFileName, or the program file's name with the extension ".INI" beside it; a
// relative name is taken in the program's folder. The section: IniSection, or the window's class
// name. While Active, the placement is restored when the window is first shown and saved when
// it is closed; SaveFormPlacement() and RestoreFormPlacement() do it at any time.
//
// Keys, written by WriteFormPlacement():
//   "Flags"          2 when a minimised window goes back to maximised, else 0
//   "ShowCmd"        1 normal, 2 minimised, 3 maximised
//   "PixelsPerInch"  the screen's logical dots per inch
//   "MinMaxPos"      "%d,%d,%d,%d": minimised x, y (always -1: the window manager places
//                    icons), maximised x, y (-1 unless maximised)
//   "NormPos"        "%d,%d,%d,%d": left, top, right, bottom of the normal inside geometry (a
//                    Linux window manager adds its frame only after the window is shown)
// "MinMaxPos" and "NormPos" go in twice, also under the key followed by the screen size
// "(%dx%d)", which reading prefers. TFormPlacement adds "Visible", "FormVersion" and, with
// fpActiveControl, "ActiveControl".
//
// Positions are applied only when the stored "PixelsPerInch" equals the screen's, and a window
// that would land on no screen at all is moved onto its screen. A stored value that cannot be
// read counts as absent: the window keeps what it has.

#include <QFlags>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "core/settings/ini_file.h"

namespace tovix {

class TRxWindowHook;
class TIniLink;

enum TPlacementOption { fpState = 0x1, fpPosition = 0x2, fpActiveControl = 0x4 };
Q_DECLARE_FLAGS(TPlacementOptions, TPlacementOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TPlacementOptions)

// Size limits in pixels; 0 leaves the window's own limit. A Linux window manager decides where
// and how large a maximised window is, so MaxPosLeft, MaxPosTop, MaxSizeWidth and MaxSizeHeight
// are kept but have no effect there.
struct TWinMinMaxInfo {
  int MaxPosLeft = 0;
  int MaxPosTop = 0;
  int MaxSizeHeight = 0;
  int MaxSizeWidth = 0;
  int MaxTrackHeight = 0;
  int MaxTrackWidth = 0;
  int MinTrackHeight = 0;
  int MinTrackWidth = 0;
  bool operator==(const TWinMinMaxInfo&) const = default;
};

// The program file's name with the extension ".INI".
QString DefaultIniFileName();
// The section a component keeps its settings in: a window's class name, else the class name of
// its window and its object name joined by "." ("%s.%s").
QString GetDefaultSection(const QObject* component);

// The placement routines, usable without a TFormPlacement.
void WriteFormPlacement(const QWidget* form, TIniFile& ini, const std::string& section);
void ReadFormPlacement(QWidget* form, const TIniFile& ini, const std::string& section,
                       bool loadState, bool loadPosition);

class TFormPlacement : public QObject {
  Q_OBJECT

 public:
  // The owner is the window whose placement is kept; with anything else the component does
  // nothing.
  explicit TFormPlacement(QWidget* owner);
  ~TFormPlacement() override;

  bool Active() const { return active_; }
  void SetActive(bool value) { active_ = value; }
  QString IniFileName() const { return iniFileName_; }
  void SetIniFileName(const QString& value) { iniFileName_ = value; }
  QString IniSection() const { return iniSection_; }
  void SetIniSection(const QString& value) { iniSection_ = value; }
  TWinMinMaxInfo MinMaxInfo() const { return minMaxInfo_; }
  void SetMinMaxInfo(const TWinMinMaxInfo& value);
  TPlacementOptions Options() const { return options_; }
  void SetOptions(TPlacementOptions value) { options_ = value; }
  bool PreventResize() const { return preventResize_; }
  void SetPreventResize(bool value);
  int Version() const { return version_; }
  void SetVersion(int value) { version_ = value; }

  // The file and section actually used.
  QString EffectiveIniFileName() const;
  QString EffectiveIniSection() const;

  // Both do nothing while not Active. A file that cannot be read or written throws EFileError
  // (a failed save leaves the old file whole).
  void SaveFormPlacement();
  void RestoreFormPlacement();

 signals:
  void OnSavePlacement();
  void OnRestorePlacement();

 private:
  friend class TIniLink;
  void RunLinks(std::function<void(TIniLink*)> TIniLink::*which, TIniFile& ini,
                const std::string& section);
  void AddLink(TIniLink* link);
  void RemoveLink(TIniLink* link);
  void ApplyLimits();
  void FormShown();
  void FormClosing();

  QPointer<QWidget> form_;
  TRxWindowHook* hook_ = nullptr;
  std::vector<TIniLink*> links_;
  bool active_ = true;
  QString iniFileName_;
  QString iniSection_;
  TWinMinMaxInfo minMaxInfo_;
  TPlacementOptions options_ = TPlacementOptions(fpState) | fpPosition;
  bool preventResize_ = false;
  int version_ = 0;
  bool restored_ = false;
  // The window's own limits, kept before the first change so they can come back.
  bool limitsTaken_ = false;
  QSize ownMinimum_;
  QSize ownMaximum_;
};

// Lets a component keep its own values in a TFormPlacement's file and section: its callbacks run
// whenever the placement is saved or restored, while IniObject() is open.
class TIniLink : public QObject {
  Q_OBJECT

 public:
  explicit TIniLink(QObject* owner = nullptr);
  ~TIniLink() override;

  TFormPlacement* Storage() const { return storage_; }
  void SetStorage(TFormPlacement* value);
  // During a callback: the open file and the placement's section; otherwise nullptr and "".
  TIniFile* IniObject() const { return ini_; }
  std::string RootSection() const { return section_; }

  using TCallback = std::function<void(TIniLink* Sender)>;
  TCallback OnSave;
  TCallback OnRestore;

 private:
  friend class TFormPlacement;
  void Run(const TCallback& callback, TIniFile& ini, const std::string& section);

  QPointer<TFormPlacement> storage_;
  TIniFile* ini_ = nullptr;
  std::string section_;
};

}  // namespace tovix
