#include "platform/shell.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <utility>

#include "core/base/user_interface.h"
#include "platform/latin1.h"
#include "platform/window_in_use.h"

namespace tovix {

namespace {

TDesktopOpener& Opener() {
  static TDesktopOpener opener;
  return opener;
}

QString WithLineBreaks(QString s) {
  s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

}  // namespace

QString DisplayText(std::string_view text) {
  return WithLineBreaks(FromLatin1(text));
}

QString DisplayUtf8Text(std::string_view text) {
  return WithLineBreaks(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

bool YesNoBox(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), DisplayText(text),
                  QMessageBox::Yes | QMessageBox::No, WindowInUse());
  // Texts may quote report contents; never let them be read as markup.
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

TYesNoAll YesNoAllBox(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), DisplayText(text),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll, WindowInUse());
  box.setTextFormat(Qt::PlainText);
  box.button(QMessageBox::YesToAll)->setText(QStringLiteral("All"));
  box.setDefaultButton(QMessageBox::Yes);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return TYesNoAll::Yes;
    case QMessageBox::YesToAll:
      return TYesNoAll::All;
    default:
      return TYesNoAll::No;
  }
}

int RunAndWait(const QString& program, const QStringList& args) {
  QProcess process;
  process.setProgram(program);
  process.setArguments(args);
  // The child gets none of our handles: no terminal input, its output goes nowhere.
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  process.start();
  if (!process.waitForStarted(-1)) return -1;
  if (QCoreApplication::instance() != nullptr) {
    // A nested loop keeps the windows painted; user input stays queued until the program ends.
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    if (process.state() != QProcess::NotRunning) loop.exec(QEventLoop::ExcludeUserInputEvents);
  } else {
    process.waitForFinished(-1);
  }
  if (process.exitStatus() == QProcess::CrashExit) return -1;
  return process.exitCode();
}

int RunAndWait(const std::string& program, const std::vector<std::string>& args) {
  QStringList list;
  list.reserve(static_cast<qsizetype>(args.size()));
  for (const std::string& a : args) list << QFile::decodeName(QByteArray::fromStdString(a));
  return RunAndWait(QFile::decodeName(QByteArray::fromStdString(program)), list);
}

std::string NothingCouldOpenText(const QUrl& url) {
  const QString where = url.isLocalFile() ? url.toLocalFile() : url.toString();
  return "No program on this computer could open it:\r" + where.toStdString();
}

bool OpenInDesktop(const QUrl& url, UserInterface& ui) {
  const bool opened = Opener() ? Opener()(url) : QDesktopServices::openUrl(url);
  if (!opened) ui.ShowMessageUtf8(NothingCouldOpenText(url));
  return opened;
}

TDesktopOpener SetDesktopOpener(TDesktopOpener opener) {
  return std::exchange(Opener(), std::move(opener));
}

std::string FileVersionString() {
  // Always four numbers, however many the project's version names.
  std::string version = TOVIX_VERSION;
  int parts = 1;
  for (char c : version)
    if (c == '.') ++parts;
  for (; parts < 4; ++parts) version += ".0";
  return version;
}

}  // namespace tovix
