#include "controls/form_placement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <array>
#include <optional>

#include "controls/app_events.h"
#include "controls/window_hook.h"
#include "core/base/errors.h"
#include "core/text/numbers.h"
#include "platform/latin1.h"

namespace tovix {

namespace {

constexpr int kRestoreToMaximized = 2;
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;

using TQuad = std::array<int32_t, 4>;

// Names and values in the file are 8-bit text, as everywhere in the program.
std::string ToIni(const QString& text) {
  return ToLatin1(text);
}

QScreen* ScreenOf(const QWidget* form) {
  QScreen* screen = form->screen();
  return screen ? screen : QGuiApplication::primaryScreen();
}

int PixelsPerInch(const QWidget* form) {
  QScreen* screen = ScreenOf(form);
  return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

std::string ScreenSuffix() {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QSize size = screen ? screen->size() : QSize();
  return Fmt("(%dx%d)", size.width(), size.height());
}

// A reader takes one pair of enclosing quotes off a value: a value that has them itself gets one
// more pair, so that it reads back as written.
void WriteValue(TIniFile& ini, const std::string& section, const std::string& key,
                const std::string& value) {
  const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                      value.back() == value.front();
  ini.WriteString(section, key, quoted ? "\"" + value + "\"" : value);
}

std::optional<TQuad> ParseQuad(const std::string& text) {
  TQuad quad{};
  size_t start = 0;
  for (size_t i = 0; i < quad.size(); ++i) {
    const size_t comma = i + 1 < quad.size() ? text.find(',', start) : text.size();
    if (comma == std::string::npos) return std::nullopt;
    if (!TryParseInt(std::string_view(text).substr(start, comma - start), quad[i])) {
      return std::nullopt;
    }
    start = comma + 1;
  }
  return quad;
}

// The screen-size key first, then the plain one; a value that does not read counts as absent.
std::optional<TQuad> ReadQuad(const TIniFile& ini, const std::string& section,
                              const std::string& key) {
  for (const std::string& name : {key + ScreenSuffix(), key}) {
    if (!ini.ValueExists(section, name)) continue;
    if (auto quad = ParseQuad(ini.ReadString(section, name, ""))) return quad;
  }
  return std::nullopt;
}

int PlacementFlags(Qt::WindowStates state) {
  return state.testFlag(Qt::WindowMinimized) && state.testFlag(Qt::WindowMaximized)
             ? kRestoreToMaximized
             : 0;
}

int ShowCmd(Qt::WindowStates state) {
  if (state.testFlag(Qt::WindowMinimized)) return kShowMinimized;
  return state.testFlag(Qt::WindowMaximized) ? kShowMaximized : kShowNormal;
}

QRect NormalGeometry(const QWidget* form) {
  const QRect normal = form->normalGeometry();
  return normal.isValid() ? normal : form->geometry();
}

// A window that would lie on no screen at all is moved onto its own screen.
QRect OnSomeScreen(QRect rect, const QWidget* form) {
  for (const QScreen* screen : QGuiApplication::screens()) {
    if (screen->availableGeometry().intersects(rect)) return rect;
  }
  if (const QScreen* screen = ScreenOf(form))
    rect.moveTopLeft(screen->availableGeometry().topLeft());
  return rect;
}

QString ClassName(const QObject* object) {
  const QString name = FromLatin1(object->metaObject()->className());
  const int colons = name.lastIndexOf("::");
  return colons < 0 ? name : name.mid(colons + 2);
}

}  // namespace

QString DefaultIniFileName() {
  const QFileInfo program(QCoreApplication::applicationFilePath());
  return program.dir().filePath(program.completeBaseName() + ".INI");
}

QString GetDefaultSection(const QObject* component) {
  if (!component) return {};
  if (auto* widget = qobject_cast<const QWidget*>(component); widget && widget->isWindow()) {
    return ClassName(widget);
  }
  for (const QObject* owner = component->parent(); owner; owner = owner->parent()) {
    if (auto* form = qobject_cast<const QWidget*>(owner); form && form->isWindow()) {
      return ClassName(form) + "." + component->objectName();
    }
  }
  return component->objectName();
}

void WriteFormPlacement(const QWidget* form, TIniFile& ini, const std::string& section) {
  const int show = ShowCmd(form->windowState());
  ini.WriteInteger(section, "Flags", PlacementFlags(form->windowState()));
  ini.WriteInteger(section, "ShowCmd", show);
  ini.WriteInteger(section, "PixelsPerInch", PixelsPerInch(form));

  QPoint maxPos(-1, -1);
  if (show == kShowMaximized) maxPos = form->frameGeometry().topLeft();
  const std::string minMax = Fmt("%d,%d,%d,%d", -1, -1, maxPos.x(), maxPos.y());
  const QRect normal = NormalGeometry(form);
  const std::string norm = Fmt("%d,%d,%d,%d", normal.x(), normal.y(), normal.x() + normal.width(),
                               normal.y() + normal.height());
  const std::string suffix = ScreenSuffix();
  WriteValue(ini, section, "MinMaxPos", minMax);
  WriteValue(ini, section, "MinMaxPos" + suffix, minMax);
  WriteValue(ini, section, "NormPos", norm);
  WriteValue(ini, section, "NormPos" + suffix, norm);
}

void ReadFormPlacement(QWidget* form, const TIniFile& ini, const std::string& section,
                       bool loadState, bool loadPosition) {
  const Qt::WindowStates state = form->windowState();
  // "MinMaxPos" is not read: the window manager places icons and maximised windows.
  if (loadPosition &&
      ini.ReadInteger(section, "PixelsPerInch", PixelsPerInch(form)) == PixelsPerInch(form)) {
    if (auto quad = ReadQuad(ini, section, "NormPos")) {
      const QRect rect((*quad)[0], (*quad)[1], (*quad)[2] - (*quad)[0], (*quad)[3] - (*quad)[1]);
      if (rect.width() > 0 && rect.height() > 0) {
        // Geometry set on a maximised window would be its maximised geometry.
        if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
          form->setWindowState(Qt::WindowNoState);
        }
        form->setGeometry(OnSomeScreen(rect, form));
        if (!loadState) form->setWindowState(state);
      }
    }
  }
  if (!loadState) return;
  const int flags = ini.ReadInteger(section, "Flags", PlacementFlags(state));
  switch (ini.ReadInteger(section, "ShowCmd", ShowCmd(state))) {
    case kShowMinimized:
      form->setWindowState(flags & kRestoreToMaximized ? Qt::WindowMinimized | Qt::WindowMaximized
                                                       : Qt::WindowMinimized);
      break;
    case kShowMaximized:
      form->setWindowState(Qt::WindowMaximized);
      break;
    case kShowNormal:
      form->setWindowState(Qt::WindowNoState);
      break;
    default:  // nothing sensible: the window keeps its state
      break;
  }
}

// --- TFormPlacement ---

TFormPlacement::TFormPlacement(QWidget* owner) : QObject(owner) {
  if (!owner || !owner->isWindow()) return;
  form_ = owner;
  hook_ = new TRxWindowHook(this);
  hook_->BeforeMessage = [this](TRxWindowHook*, QEvent* event, bool&) {
    if (event->type() == QEvent::Show) FormShown();
    if (event->type() == QEvent::Close) FormClosing();
  };
  hook_->SetWinControl(owner);
}

TFormPlacement::~TFormPlacement() {
  delete hook_;
  for (TIniLink* link : links_) link->storage_ = nullptr;
}

void TFormPlacement::SetMinMaxInfo(const TWinMinMaxInfo& value) {
  minMaxInfo_ = value;
  if (form_ && form_->isVisible()) ApplyLimits();
}

void TFormPlacement::SetPreventResize(bool value) {
  preventResize_ = value;
  if (form_ && form_->isVisible()) ApplyLimits();
}

QString TFormPlacement::EffectiveIniFileName() const {
  if (iniFileName_.isEmpty()) return DefaultIniFileName();
  if (QFileInfo(iniFileName_).isAbsolute()) return iniFileName_;
  return QDir(QCoreApplication::applicationDirPath()).filePath(iniFileName_);
}

QString TFormPlacement::EffectiveIniSection() const {
  return iniSection_.isEmpty() ? GetDefaultSection(form_) : iniSection_;
}

void TFormPlacement::SaveFormPlacement() {
  if (!active_ || !form_) return;
  TIniFile ini(QFile::encodeName(EffectiveIniFileName()).toStdString(), TIniFile::TMode::InMemory,
               true);
  const std::string section = ToIni(EffectiveIniSection());
  WriteFormPlacement(form_, ini, section);
  ini.WriteBool(section, "Visible", form_->isVisible());
  if (options_ & fpActiveControl) {
    QWidget* focus = form_->focusWidget();
    WriteValue(ini, section, "ActiveControl",
               focus && focus != form_ ? ToIni(focus->objectName()) : std::string());
  }
  ini.WriteInteger(section, "FormVersion", version_);
  RunLinks(&TIniLink::OnSave, ini, section);
  ini.UpdateFile();
  emit OnSavePlacement();
}

void TFormPlacement::RestoreFormPlacement() {
  if (!active_ || !form_) return;
  TIniFile ini(QFile::encodeName(EffectiveIniFileName()).toStdString(), TIniFile::TMode::InMemory,
               true);
  const std::string section = ToIni(EffectiveIniSection());
  if (ini.ReadInteger(section, "FormVersion", 0) >= version_) {
    // The stored size wins over a frozen one; the limits come back afterwards.
    if (limitsTaken_) {
      form_->setMinimumSize(ownMinimum_);
      form_->setMaximumSize(ownMaximum_);
    }
    ReadFormPlacement(form_, ini, section, options_ & fpState, options_ & fpPosition);
    if (options_ & fpActiveControl) {
      const QString name = FromLatin1(ini.ReadString(section, "ActiveControl", ""));
      QWidget* control = name.isEmpty() ? nullptr : form_->findChild<QWidget*>(name);
      if (control && control->isEnabled() && control->focusPolicy() != Qt::NoFocus) {
        control->setFocus();
      }
    }
    ApplyLimits();
  }
  // What a link writes while restoring stays in memory: restoring never writes the file.
  RunLinks(&TIniLink::OnRestore, ini, section);
  emit OnRestorePlacement();
}

void TFormPlacement::ApplyLimits() {
  if (!form_) return;
  if (!limitsTaken_) {
    if (!preventResize_ && minMaxInfo_ == TWinMinMaxInfo{}) return;
    limitsTaken_ = true;
    ownMinimum_ = form_->minimumSize();
    ownMaximum_ = form_->maximumSize();
  }
  QSize minimum = ownMinimum_;
  QSize maximum = ownMaximum_;
  if (preventResize_) {
    minimum = maximum = form_->size();
  } else {
    const TWinMinMaxInfo& info = minMaxInfo_;
    if (info.MinTrackWidth) minimum.setWidth(info.MinTrackWidth);
    if (info.MinTrackHeight) minimum.setHeight(info.MinTrackHeight);
    if (info.MaxTrackWidth) maximum.setWidth(info.MaxTrackWidth);
    if (info.MaxTrackHeight) maximum.setHeight(info.MaxTrackHeight);
  }
  form_->setMinimumSize(minimum);
  form_->setMaximumSize(maximum);
}

void TFormPlacement::FormShown() {
  if (!restored_) {
    restored_ = true;
    try {
      RestoreFormPlacement();
    } catch (const TovixError& e) {
      ApplicationHandleException(this, e);
    }
  }
  ApplyLimits();
}

void TFormPlacement::FormClosing() {
  try {
    SaveFormPlacement();
  } catch (const TovixError& e) {
    ApplicationHandleException(this, e);
  }
}

void TFormPlacement::RunLinks(TIniLink::TCallback TIniLink::*which, TIniFile& ini,
                              const std::string& section) {
  // A callback may free a link.
  std::vector<QPointer<TIniLink>> links(links_.begin(), links_.end());
  for (const QPointer<TIniLink>& link : links) {
    if (link) link->Run((*link).*which, ini, section);
  }
}

void TFormPlacement::AddLink(TIniLink* link) {
  if (std::find(links_.begin(), links_.end(), link) == links_.end()) links_.push_back(link);
}

void TFormPlacement::RemoveLink(TIniLink* link) {
  links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

// --- TIniLink ---

TIniLink::TIniLink(QObject* owner) : QObject(owner) {}

TIniLink::~TIniLink() {
  if (storage_) storage_->RemoveLink(this);
}

void TIniLink::SetStorage(TFormPlacement* value) {
  if (value == storage_) return;
  if (storage_) storage_->RemoveLink(this);
  storage_ = value;
  if (value) value->AddLink(this);
}

void TIniLink::Run(const TCallback& callback, TIniFile& ini, const std::string& section) {
  if (!callback) return;
  struct TReset {
    TIniLink* link;
    ~TReset() {
      link->ini_ = nullptr;
      link->section_.clear();
    }
  } reset{this};
  ini_ = &ini;
  section_ = section;
  callback(this);
}

}  // namespace tovix
