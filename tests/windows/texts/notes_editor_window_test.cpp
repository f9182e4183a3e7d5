// The notes editor writes a tab only when it was loaded this run and changed (or its file is
// missing); its toolbar, ruler and dialogs format through the control's attributes and the
// formats come back from the file; links of every type go to the desktop's opener; it prints;
// a restore from minimised keeps the user's undo history and caret.

#include "windows/texts/notes_editor_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <fstream>
#include <functional>

#include "controls/color_combo_box.h"

#include "core/settings/save_state.h"
#include "editors/rich_edit.h"
#include "platform/shell.h"
#include "support/recording_ui.h"
#include "support/show_window.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

const char* const kNotes[] = {"{\\rtf1\\ansi one\\par}", "{\\rtf1\\ansi two\\b bold\\b0\\par}",
                              "{\\rtf1\\ansi three\\par}", "{\\rtf1\\ansi four\\par}"};

struct NotesGame {
  NotesGame() { state.GameName = "A/B"; }
  test::TempDir dir;
  GameState state;
};

// Game "A/B" and its notes editor, which reads the notes files when it first shows.
class NotesEditorTest : public NotesGame, public testing::Test {
 protected:
  void Write(int tab, const std::string& bytes) {
    std::ofstream(NotesFileName(dir.path(), tab, state.GameName), std::ios::binary) << bytes;
  }
  // The first `count` notes files.
  void WriteNotes(int count) {
    for (int tab = 0; tab < count; ++tab) Write(tab, kNotes[tab]);
  }
  std::string Bytes(int tab) const {
    return test::ReadFileBytes(NotesFileName(dir.path(), tab, state.GameName));
  }
  TznSaveState store{""};
  test::RecordingUserInterface ui;
  TfrmEditor window{state, store, ui, dir.path()};
};

TEST_F(NotesEditorTest, SaveBeforeShowWritesNothing) {
  WriteNotes(3);
  for (int tab : {0, 3}) {
    window.Tabs()->setCurrentIndex(tab);
    window.SaveCurrentNotes();
  }
  for (int tab = 0; tab < 3; ++tab) EXPECT_EQ(Bytes(tab), kNotes[tab]);
  EXPECT_FALSE(fs::exists(dir.path() / "Notes_A_B.doc"));
}

TEST_F(NotesEditorTest, OnlyTheEditedTabIsWritten) {
  WriteNotes(4);
  ASSERT_TRUE(test::ShowExposed(window));
  EXPECT_TRUE(window.Editor()->toPlainText().startsWith("one"));
  window.Tabs()->setCurrentIndex(1);
  EXPECT_TRUE(window.Editor()->toPlainText().startsWith("twobold"));
  QTextCursor cursor(window.Editor()->document());
  cursor.insertText("typed ");
  for (int tab : {2, 3, 0}) window.Tabs()->setCurrentIndex(tab);
  window.hide();
  for (int tab : {0, 2, 3}) EXPECT_EQ(Bytes(tab), kNotes[tab]) << tab;
  EXPECT_NE(Bytes(1), kNotes[1]);
  // What was written reads back with the typed text and the bold word.
  ASSERT_TRUE(test::ShowExposed(window));
  window.Tabs()->setCurrentIndex(1);
  EXPECT_TRUE(window.Editor()->toPlainText().startsWith("typed twobold"));
  cursor = QTextCursor(window.Editor()->document());
  cursor.setPosition(10);
  EXPECT_GE(cursor.charFormat().fontWeight(), QFont::Bold);
}

// A file that cannot be read as notes is never written back.
TEST_F(NotesEditorTest, UnreadableFileIsKept) {
  const std::string broken = "{\\rtf1 {\\bin99999 x";
  Write(0, broken);
  ASSERT_TRUE(test::ShowExposed(window));
  window.Editor()->insertPlainText("x");
  window.hide();
  EXPECT_EQ(Bytes(0), broken);
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(NotesEditorTest, LinksGoToTheOpenerFileLinksAfterAQuestion) {
  std::vector<std::string> opened;
  window.SetOpener([&](const std::string& url) { opened.push_back(url); });
  window.OpenLink("http://x.y");
  window.OpenLink("www.x.y");
  ui.answers = {false, true};
  window.OpenLink("file:///tmp/a");
  window.OpenLink("file:///tmp/b");
  EXPECT_EQ(opened, (std::vector<std::string>{"http://x.y", "http://www.x.y", "file:///tmp/b"}));
  EXPECT_EQ(ui.questions.size(), 2u);
}

void Select(TRichEdit98* editor, int from, int to) {
  QTextCursor cursor(editor->document());
  cursor.setPosition(from);
  cursor.setPosition(to, QTextCursor::KeepAnchor);
  editor->setTextCursor(cursor);
}

// Drags a ruler marker so that its left edge ends `left` pixels from the ruler's origin. The
// marker moves with the mouse, so each position is taken in its place at that moment.
void DragMarker(TIndentRuler* ruler, int which, int left) {
  QWidget* marker = ruler->Marker(which);
  const QPoint grab(TIndentRuler::kMarkerWidth / 2, marker->height() / 2);
  const int start = marker->mapTo(ruler, grab).x();
  const int end = ruler->Origin() + left + grab.x();
  auto at = [&](int x) {
    return marker->mapFrom(ruler, QPoint(x, marker->mapTo(ruler, grab).y()));
  };
  QTest::mousePress(marker, Qt::LeftButton, {}, grab);
  QTest::mouseMove(marker, at((start + end) / 2));
  QTest::mouseMove(marker, at(end));
  QTest::mouseRelease(marker, Qt::LeftButton, {}, at(end));
}

TEST_F(NotesEditorTest, EveryToolbarFormatComesBackFromTheFile) {
  window.resize(820, 500);
  ASSERT_TRUE(test::ShowExposed(window));
  TRichEdit98* editor = window.Editor();
  editor->insertPlainText("alpha beta gamma");
  Select(editor, 6, 10);

  auto* fontName = window.findChild<QComboBox*>("FontName");
  ASSERT_TRUE(fontName);
  ASSERT_GT(fontName->count(), 1);
  QString family = fontName->itemText(0);
  if (family == editor->SelAttributes().Name()) family = fontName->itemText(1);
  fontName->lineEdit()->selectAll();
  QTest::keyClicks(fontName->lineEdit(), family);
  QTest::keyClick(fontName->lineEdit(), Qt::Key_Return);
  window.findChild<QSpinBox*>("FontSize")->setValue(14);
  window.findChild<TColorComboBox*>("ColorComboBox1")->SetColorValue(RgbColor(255, 0, 0));
  window.findChild<TColorComboBox*>("ColorComboBox2")->SetColorValue(RgbColor(255, 255, 0));
  for (const char* action :
       {"BoldButton", "ItalicButton", "UnderlineButton", "CenterAlign", "BulletsButton"})
    window.findChild<QAction*>(action)->trigger();
  // The three indents by dragging the ruler's markers.
  const TRulerIndents wanted{12, 18, 24};
  TIndentRuler* ruler = window.Ruler();
  const TRulerMarkers places =
      RulerMarkersFor(wanted, ruler->RulerWidth(), TIndentRuler::kMarkerWidth);
  DragMarker(ruler, TIndentRuler::kFirst, places.First);
  DragMarker(ruler, TIndentRuler::kLeft, places.Left);
  DragMarker(ruler, TIndentRuler::kRight, places.Right);
  window.hide();  // saves
  ASSERT_TRUE(fs::exists(NotesFileName(dir.path(), 0, "A/B")));

  window.LoadNotes(0);
  EXPECT_EQ(editor->toPlainText(), "alpha beta gamma");
  Select(editor, 6, 10);
  TTextAttributes98& text = editor->SelAttributes();
  EXPECT_EQ(text.Name(), family);
  EXPECT_EQ(text.Size(), 14);
  EXPECT_EQ(text.Color(), RgbColor(255, 0, 0));
  EXPECT_EQ(text.BackColor(), RgbColor(255, 255, 0));
  EXPECT_EQ(text.Style(), fsBold | fsItalic | fsUnderline);
  TParaAttributes98& paragraph = editor->Paragraph();
  EXPECT_EQ(paragraph.Alignment(), taCenter);
  EXPECT_EQ(paragraph.Numbering(), nsBullet);
  EXPECT_DOUBLE_EQ(paragraph.FirstIndent(), wanted.First);
  EXPECT_DOUBLE_EQ(paragraph.LeftIndent(), wanted.Left);
  EXPECT_DOUBLE_EQ(paragraph.RightIndent(), wanted.Right);
  Select(editor, 0, 5);  // the rest of the line keeps the note's own format
  EXPECT_EQ(text.Style(), 0);
  EXPECT_EQ(text.Size(), 10);
  // The toolbar follows: the bold button shows the selection's state.
  EXPECT_FALSE(window.findChild<QAction*>("BoldButton")->isChecked());
  Select(editor, 7, 7);
  EXPECT_TRUE(window.findChild<QAction*>("BoldButton")->isChecked());
  EXPECT_EQ(window.findChild<QSpinBox*>("FontSize")->value(), 14);
}

// What the toolbar and the ruler show for a word.
std::string ShownFor(TRichEdit98* editor, const QString& word) {
  const int at = static_cast<int>(editor->toPlainText().indexOf(word));
  Select(editor, at, at + static_cast<int>(word.size()));
  TTextAttributes98& t = editor->SelAttributes();
  TParaAttributes98& p = editor->Paragraph();
  return QString("%1 %2pt style %3 colour %4 on %5 align %6 bullet %7 indents %8/%9/%10")
      .arg(t.Name())
      .arg(t.Size())
      .arg(t.Style())
      .arg(t.Color())
      .arg(t.BackColor())
      .arg(p.Alignment())
      .arg(p.Numbering())
      .arg(p.FirstIndent())
      .arg(p.LeftIndent())
      .arg(p.RightIndent())
      .toStdString();
}

// Notes typed at 10 points read 9 in the next session: the file named no size, and a new
// editor took the desktop's font size for its default. Each format the toolbar sets, on a word
// of its own, reads back in a new editor (a new session) as it was typed.
TEST_F(NotesEditorTest, EveryFormatReadsBackInANewSession) {
  window.resize(820, 500);
  ASSERT_TRUE(test::ShowExposed(window));
  TRichEdit98* editor = window.Editor();
  QTest::keyClicks(editor, "plain named sized bold italic underlined red yellow");
  for (const char* line : {"centred", "right", "indented", "bullet", "big"}) {
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, line);
  }
  auto* fontName = window.findChild<QComboBox*>("FontName");
  const QString family =
      fontName->itemText(fontName->itemText(0) == editor->SelAttributes().Name() ? 1 : 0);
  auto size = [this](int points) { window.findChild<QSpinBox*>("FontSize")->setValue(points); };
  auto colour = [this](const char* combo, TColor c) {
    window.findChild<TColorComboBox*>(combo)->SetColorValue(c);
  };
  auto act = [this](const char* name) { window.findChild<QAction*>(name)->trigger(); };
  const std::pair<QString, std::function<void()>> cases[] = {
      {"plain", [] {}},
      {"named", [&] { emit fontName->textActivated(family); }},
      {"sized", [&] { size(12); }},
      {"bold", [&] { act("BoldButton"); }},
      {"italic", [&] { act("ItalicButton"); }},
      {"underlined", [&] { act("UnderlineButton"); }},
      {"red", [&] { colour("ColorComboBox1", RgbColor(255, 0, 0)); }},
      {"yellow", [&] { colour("ColorComboBox2", RgbColor(255, 255, 0)); }},
      {"centred", [&] { act("CenterAlign"); }},
      {"right", [&] { act("RightAlign"); }},
      {"indented",
       [&] {
         editor->Paragraph().SetFirstIndent(12);
         editor->Paragraph().SetLeftIndent(18);
         editor->Paragraph().SetRightIndent(24);
       }},
      {"bullet", [&] { act("BulletsButton"); }},
      {"big", [&] { size(14); }},
  };
  std::vector<std::string> typed;
  for (const auto& [word, set] : cases) {
    ShownFor(editor, word);
    set();
    typed.push_back(ShownFor(editor, word));
  }
  // An empty line after the big word, as high as the word.
  editor->moveCursor(QTextCursor::End);
  QTest::keyClick(editor, Qt::Key_Return);
  const int emptyLine = editor->document()->blockCount() - 1;
  window.hide();  // saves
  EXPECT_NE(Bytes(0).find("\\fs20 plain"), std::string::npos) << "the default size is named";

  // The next session, on a desktop whose font is 9 points.
  const QFont desktop = QApplication::font();
  QFont small = desktop;
  small.setPointSize(9);
  QApplication::setFont(small);
  TfrmEditor second{state, store, ui, dir.path()};
  QApplication::setFont(desktop);
  EXPECT_EQ(second.Editor()->DefAttributes().Size(), 10) << "new notes are 10 points";
  second.Editor()->DefAttributes().SetSize(9);  // the file decides, whatever the default
  second.resize(820, 500);
  ASSERT_TRUE(test::ShowExposed(second));
  TRichEdit98* reader = second.Editor();
  EXPECT_EQ(reader->toPlainText(), editor->toPlainText());
  for (size_t i = 0; i < typed.size(); ++i)
    EXPECT_EQ(ShownFor(reader, cases[i].first), typed[i]) << cases[i].first.toStdString();
  EXPECT_NE(typed[0].find(" 10pt "), std::string::npos) << typed[0];
  EXPECT_EQ(reader->document()->findBlockByNumber(emptyLine).charFormat().fontPointSize(), 14);
}

TEST_F(NotesEditorTest, DialogsAndTheDefaultFont) {
  ASSERT_TRUE(test::ShowExposed(window));
  TRichEdit98* editor = window.Editor();
  const QFont expected = TfrmEditor::DefaultNotesFont();
  EXPECT_EQ(editor->DefAttributes().Name(), expected.family());
  EXPECT_EQ(editor->DefAttributes().Size(), 10);  // a new note: 10 points, black on white
  EXPECT_EQ(editor->DefAttributes().Color(), RgbColor(0, 0, 0));
  editor->insertPlainText("one two");
  Select(editor, 4, 7);
  window.SetFontDialog([](QFont& font) {
    font.setPointSize(16);
    font.setItalic(true);
    font.setStrikeOut(true);
    return true;
  });
  window.SetColorDialog([](std::uint32_t& color) {
    color = RgbColor(0, 0, 255);
    return true;
  });
  window.findChild<QAction*>("EditFontCmd")->trigger();
  window.findChild<QAction*>("actSelectColor")->trigger();
  EXPECT_EQ(editor->SelAttributes().Size(), 16);
  EXPECT_EQ(editor->SelAttributes().Style(), fsItalic | fsStrikeOut);
  EXPECT_EQ(editor->SelAttributes().Color(), RgbColor(0, 0, 255));
  // A cancelled dialog changes nothing.
  window.SetFontDialog([](QFont& font) {
    font.setPointSize(30);
    return false;
  });
  window.findChild<QAction*>("EditFontCmd")->trigger();
  EXPECT_EQ(editor->SelAttributes().Size(), 16);
}

TEST_F(NotesEditorTest, LinksOfEveryTypeGoToTheOpener) {
  window.resize(640, 600);
  std::vector<std::string> opened;
  window.SetOpener([&](const std::string& url) { opened.push_back(url); });
  ASSERT_TRUE(test::ShowExposed(window));
  const QStringList links = {
      "me@home.nl",          "http://a.example/x",     "file:///tmp/notes.txt",
      "mailto:you@home.nl",  "ftp://ftp.example/",     "https://b.example/",
      "gopher://g.example/", "nntp://n.example/group", "prospero://p.example/",
      "telnet://t.example/", "news:comp.games",        "wais://w.example/db"};
  QStringList lines;
  for (const QString& link : links) lines << "see " + link + " now";
  TRichEdit98* editor = window.Editor();
  editor->WideLines().SetText(lines.join("\n"));
  ui.answers = {true};  // the "file:" link asks first
  auto click = [&](int line, int column) {
    QTextCursor cursor(editor->document()->findBlockByNumber(line));
    cursor.setPosition(cursor.position() + column);
    const QRect at = editor->cursorRect(cursor);
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, at.center() + QPoint(3, 0));
  };
  for (int i = 0; i < links.size(); ++i) click(i, 6);
  click(0, 1);                            // "see" is plain text
  click(3, 1 + 4 + links[3].size() + 1);  // so is "now"
  std::vector<std::string> expected{"mailto:me@home.nl"};
  for (int i = 1; i < links.size(); ++i) expected.push_back(links[i].toStdString());
  EXPECT_EQ(opened, expected);
  EXPECT_EQ(ui.questions, (std::vector<std::string>{"Open file:///tmp/notes.txt?"}));
}

// A link that no program on the computer opens is not clicked in vain: the player is told, with
// the address.
TEST_F(NotesEditorTest, ALinkNothingOpensIsTold) {
  std::vector<std::string> tried;
  const TDesktopOpener previous = SetDesktopOpener([&tried](const QUrl& url) {
    tried.push_back(url.toString().toStdString());
    return false;
  });
  window.OpenLink("www.galaxy.example/rules");
  SetDesktopOpener(previous);
  EXPECT_EQ(tried, std::vector<std::string>{"http://www.galaxy.example/rules"});
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], NothingCouldOpenText(QUrl("http://www.galaxy.example/rules")));
}

TEST_F(NotesEditorTest, PrintingGivesAPdfWithTheNotes) {
  WriteNotes(2);
  ASSERT_TRUE(test::ShowExposed(window));
  window.Tabs()->setCurrentIndex(1);
  window.Editor()->insertPlainText("Attack Castle at turn 30.");
  const std::string pdf = (dir / "notes.pdf").string();
  window.SetPrintDialog([&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    return true;
  });
  window.findChild<QAction*>("actPrint")->trigger();
  ASSERT_TRUE(fs::exists(pdf));
  // The player is told where the file went.
  EXPECT_EQ(ui.messages, std::vector<std::string>{"The notes were printed to the file:\r" + pdf});
  auto run = [](const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) return QString("(%1 did not run)").arg(program);
    return QString::fromUtf8(process.readAllStandardOutput());
  };
  const QString text = run("pdftotext", {QString::fromStdString(pdf), "-"});
  EXPECT_TRUE(text.contains("Attack Castle at turn 30.")) << text.toStdString();
  EXPECT_TRUE(text.contains("twobold")) << text.toStdString();
  EXPECT_TRUE(run("pdfinfo", {QString::fromStdString(pdf)}).contains("General - Other Players"));
}

// Minimising (also through "Minimize All") and restoring the window read the notes again, so
// the undo history and the caret were lost. They are read once per game.
TEST_F(NotesEditorTest, RestoreFromMinimisedKeepsUndoAndCaret) {
  WriteNotes(1);
  ASSERT_TRUE(test::ShowExposed(window));
  TRichEdit98* editor = window.Editor();
  QTest::keyClicks(editor, "abc");
  QTextCursor cursor = editor->textCursor();
  cursor.setPosition(2);
  editor->setTextCursor(cursor);
  window.setWindowState(window.windowState() | Qt::WindowMinimized);
  QCoreApplication::processEvents();
  window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  QCoreApplication::processEvents();
  EXPECT_TRUE(editor->toPlainText().startsWith("abcone"));
  EXPECT_TRUE(editor->document()->isUndoAvailable());
  EXPECT_EQ(editor->textCursor().position(), 2);
  // Hidden and shown again: still the same text, undo and caret.
  window.hide();
  ASSERT_TRUE(test::ShowExposed(window));
  EXPECT_TRUE(editor->document()->isUndoAvailable());
  EXPECT_EQ(editor->textCursor().position(), 2);
  editor->undo();
  EXPECT_TRUE(editor->toPlainText().startsWith("one"));
}

}  // namespace
}  // namespace tovix
