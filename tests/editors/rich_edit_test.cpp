// The rich-text control: links as a display overlay, attributes, line lists, loading and
// saving through the RTF reader and writer.
#include "editors/rich_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "controls/key_chords.h"
#include "core/text/file_utils.h"
#include "editors/rtf.h"
#include "support/test_paths.h"

namespace tovix {
namespace {

class RichEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    edit_.resize(400, 300);
    edit_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit_));
  }
  // The viewport point at the middle of the character at a document position.
  QPoint PointAt(int position) {
    QTextCursor cursor(edit_.document());
    cursor.setPosition(position);
    const QRect left = edit_.cursorRect(cursor);
    cursor.setPosition(position + 1);
    const QRect right = edit_.cursorRect(cursor);
    return QPoint((left.x() + right.x()) / 2, left.center().y());
  }
  void Select(int from, int to) {
    QTextCursor cursor(edit_.document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    edit_.setTextCursor(cursor);
  }
  TRichEdit98 edit_;
};

// The notes editor and the report viewer follow the orders editor's rule: an unbound Alt chord
// types nothing (Qt's own controls would type it), AltGr types. Offscreen, as on Windows, AltGr
// arrives as Ctrl+Alt; under X11 (the X server tests) that pair is a chord too.
TEST(ChordKeysTest, QtTextControlsTypeNoUnboundChord) {
  struct Key {
    Qt::KeyboardModifiers modifiers;
    QString text;
    QString typed;
  };
  const Key keys[] = {
      {Qt::NoModifier, ";", ";"},
      {Qt::ShiftModifier, ":", ":"},
      {Qt::AltModifier, ";", ""},
      {Qt::AltModifier | Qt::ShiftModifier, "!", ""},
      {Qt::ControlModifier, ";", ""},
      {Qt::ControlModifier | Qt::AltModifier, "@", "@"},
      {Qt::GroupSwitchModifier, QString::fromUtf8("\xc5\x82"), QString::fromUtf8("\xc5\x82")}};
  TRichEdit98 notes;
  QPlainTextEdit report;
  report.installEventFilter(new TChordKeyFilter(&report));
  for (QWidget* control : {static_cast<QWidget*>(&notes), static_cast<QWidget*>(&report)}) {
    control->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(control));
    for (const Key& key : keys) {
      notes.clear();
      report.clear();
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, key.modifiers, key.text);
      QApplication::sendEvent(control, &press);
      const QString shown = control == &notes ? notes.toPlainText() : report.toPlainText();
      EXPECT_EQ(shown, key.typed) << control->metaObject()->className() << " "
                                  << key.modifiers.toInt() << " " << key.text.toStdString();
    }
    control->hide();
  }
}

TEST_F(RichEditTest, TypedLinkIsShownClickedAndNeverSaved) {
  edit_.SetAutoURLDetect(adDefault);
  edit_.setFocus();
  QTest::keyClicks(edit_.viewport(), "see http://x.y now http: end");
  // "now" is red in the document; the overlay must leave it so.
  Select(15, 18);
  edit_.SelAttributes().SetColor(RgbColor(255, 0, 0));

  const QTextBlock block = edit_.document()->firstBlock();
  const QList<QTextLayout::FormatRange> overlay = block.layout()->formats();
  ASSERT_EQ(overlay.size(), 1);  // "http:" alone is no link
  EXPECT_EQ(overlay[0].start, 4);
  EXPECT_EQ(overlay[0].length, 10);
  EXPECT_TRUE(overlay[0].format.fontUnderline());
  EXPECT_EQ(overlay[0].format.foreground().color(), QColor(0, 0, 255));
  Select(16, 16);
  EXPECT_EQ(edit_.SelAttributes().Color(), RgbColor(255, 0, 0));
  Select(2, 2);
  EXPECT_EQ(edit_.SelAttributes().Color(), clWindowText);

  QSignalSpy clicked(&edit_, &TRichEdit98::urlClicked);
  QSignalSpy moved(&edit_, &TRichEdit98::urlMoved);
  QTest::mouseMove(edit_.viewport(), PointAt(8));
  EXPECT_EQ(edit_.viewport()->cursor().shape(), Qt::PointingHandCursor);
  ASSERT_FALSE(moved.isEmpty());
  EXPECT_EQ(moved.last().at(0).toString(), "http://x.y");
  QTest::mouseClick(edit_.viewport(), Qt::LeftButton, {}, PointAt(8));
  ASSERT_EQ(clicked.size(), 1);
  EXPECT_EQ(clicked[0].at(0).toString(), "http://x.y");
  QTest::mouseClick(edit_.viewport(), Qt::LeftButton, {}, PointAt(1));
  EXPECT_EQ(clicked.size(), 1);  // "see" is no link
  // A link of no type still reports, with the control's link cursor.
  QTextCursor end(edit_.document());
  end.movePosition(QTextCursor::End);
  end.insertText(" www.x.org");
  QTest::mouseMove(edit_.viewport(), PointAt(32));
  EXPECT_EQ(moved.last().at(0).toString(), "www.x.org");
  EXPECT_EQ(edit_.viewport()->cursor().shape(), Qt::PointingHandCursor);
  QTest::mouseClick(edit_.viewport(), Qt::LeftButton, {}, PointAt(32));
  EXPECT_EQ(clicked.last().at(0).toString(), "www.x.org");

  // The file holds the text and the red word, no link formatting.
  const std::string rtf = edit_.Lines().SaveToStream();
  EXPECT_EQ(rtf.find("\\ul"), std::string::npos) << rtf;
  const RichDocument saved = *ReadRtf(rtf).document;
  ASSERT_EQ(saved.paragraphs[0].runs.size(), 3u);
  EXPECT_EQ(saved.paragraphs[0].runs[1].text, u"now");
  EXPECT_EQ(saved.paragraphs[0].runs[1].format.color, (RichColor{255, 0, 0}));
  EXPECT_FALSE(saved.paragraphs[0].runs[0].format.color);
}

TEST_F(RichEditTest, OneTypedCharacterRescansOnlyItsParagraph) {
  edit_.SetAutoURLDetect(adDefault);
  QStringList lines;
  for (int i = 0; i < 300; ++i) lines << QString("line %1 http://host/%1").arg(i);
  edit_.WideLines().SetText(lines.join("\n"));
  QTextCursor cursor(edit_.document()->findBlockByNumber(150));
  edit_.setTextCursor(cursor);
  edit_.setFocus();
  const int before = edit_.Overlay()->ScanCount();
  QTest::keyClick(edit_.viewport(), Qt::Key_X);
  EXPECT_EQ(edit_.Overlay()->ScanCount() - before, 1);
  EXPECT_EQ(edit_.WideLines().Get(150), "xline 150 http://host/150");
}

TEST_F(RichEditTest, LoadingKeepsEveryFormatAndTheObject) {
  const std::string file = test::ReadFileBytes(test::DataDir() / "rtf" / "notes_richedit.rtf");
  edit_.Lines().LoadFromStream(file);
  const RichDocument original = *ReadRtf(file).document;
  const RichDocument shown = *ReadRtf(edit_.Lines().SaveToStream()).document;
  ASSERT_EQ(shown.paragraphs.size(), original.paragraphs.size());
  for (size_t i = 0; i < original.paragraphs.size(); ++i) {
    EXPECT_EQ(shown.paragraphs[i].format, original.paragraphs[i].format) << i;
    EXPECT_TRUE(shown.paragraphs[i].runs == original.paragraphs[i].runs) << i;
  }
  EXPECT_EQ(edit_.Lines().Count(), 5);

  // Copy and paste through the clipboard keeps the object's bytes.
  const QTextBlock picture = edit_.document()->findBlockByNumber(4);
  Select(picture.position(), picture.position() + 1);
  edit_.copy();
  QTextCursor end(edit_.document());
  end.movePosition(QTextCursor::End);
  edit_.setTextCursor(end);
  edit_.paste();
  const RichDocument pasted = *ReadRtf(edit_.Lines().SaveToStream()).document;
  ASSERT_EQ(pasted.paragraphs[4].runs.size(), 2u);
  EXPECT_EQ(pasted.paragraphs[4].runs[1].opaque, original.paragraphs[4].runs[0].opaque);

  // Without objects the picture is left out; as text the Cyrillic line is 8-bit in 1251.
  edit_.SetOutputFormat(ofRTFNoObjs);
  EXPECT_EQ(edit_.Lines().SaveToStream().find("\\pict"), std::string::npos);
  edit_.SetLanguage(1049);
  EXPECT_EQ(edit_.Lines().Get(3), "\xCF\xF0\xE8\xE2\xE5\xF2 mir");

  // Plain text given as RTF loads through the text retry.
  edit_.Lines().LoadFromStream("first\r\nsecond \xE0\r\n");
  EXPECT_EQ(edit_.WideLines().Get(1), QString::fromUtf16(u"second \u0430"));
}

TEST_F(RichEditTest, CharacterAndParagraphAttributes) {
  edit_.WideLines().SetText("alpha beta gamma");
  Select(0, 5);
  edit_.SelAttributes().SetSize(10);
  edit_.SelAttributes().SetStyle(fsBold | fsStrikeOut);
  QTextCursor cursor(edit_.document());
  cursor.setPosition(0);
  cursor.setPosition(5, QTextCursor::KeepAnchor);
  QTextCharFormat half;
  half.setFontPointSize(10.5);
  cursor.mergeCharFormat(half);
  EXPECT_EQ(edit_.SelAttributes().Size(), 10);  // whole points, truncated

  // Copies to and from a font keep the exact style, strike-out included.
  QFont font;
  font.setItalic(true);
  edit_.SelAttributes().AssignTo(font);
  EXPECT_TRUE(font.bold());
  EXPECT_TRUE(font.strikeOut());
  EXPECT_FALSE(font.italic());
  font.setBold(false);
  font.setUnderline(true);
  edit_.SelAttributes().Assign(font, clWindowText);
  EXPECT_EQ(edit_.SelAttributes().Style(), fsUnderline | fsStrikeOut);
  EXPECT_EQ(edit_.SelAttributes().Color(), clWindowText);

  // With nothing selected, a format goes to the word at the caret.
  Select(8, 8);
  edit_.SelAttributes().SetBackColor(RgbColor(255, 255, 0));
  Select(6, 10);
  EXPECT_EQ(edit_.SelAttributes().BackColor(), RgbColor(255, 255, 0));
  Select(12, 12);
  EXPECT_EQ(edit_.SelAttributes().BackColor(), clNone);

  edit_.Paragraph().SetFirstIndent(10);
  edit_.Paragraph().SetLeftIndent(20);
  edit_.Paragraph().SetRightIndent(5);
  edit_.Paragraph().SetAlignment(taCenter);
  edit_.Paragraph().SetNumbering(nsBullet);
  EXPECT_DOUBLE_EQ(edit_.Paragraph().FirstIndent(), 10);
  EXPECT_DOUBLE_EQ(edit_.Paragraph().LeftIndent(), 20);
  const RichParaFormat para = ReadRtf(edit_.Lines().SaveToStream()).document->paragraphs[0].format;
  EXPECT_EQ(para.left_indent, 600);
  EXPECT_EQ(para.first_indent, -400);
  EXPECT_EQ(para.right_indent, 100);
  EXPECT_EQ(para.alignment, RichAlignment::kCenter);
  EXPECT_TRUE(para.bullet);
  edit_.Paragraph().SetNumbering(nsNone);
  EXPECT_EQ(edit_.Paragraph().Numbering(), nsNone);
}

TEST_F(RichEditTest, SelectionBarSelectsTheLineOrParagraph) {
  edit_.SetShowSelectionBar(true);
  edit_.WideLines().SetText("first line\nsecond line");
  QWidget* bar = edit_.childAt(edit_.contentsRect().topLeft() + QPoint(2, 2));
  ASSERT_TRUE(bar);
  ASSERT_NE(bar, edit_.viewport());
  const int y = edit_.cursorRect(QTextCursor(edit_.document()->findBlockByNumber(1))).center().y();
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(3, y));
  EXPECT_EQ(edit_.textCursor().selectedText(), "second line");
  edit_.SetShowSelectionBar(false);
  EXPECT_FALSE(bar->isVisible());
}

// Under a limit of two, three steps (typing goes on as one step at the same place) leave two
// to undo: the oldest is gone. Redo brings them back until a new edit; a limit of 0 is no undo.
TEST_F(RichEditTest, UndoLimitDropsTheOldestStep) {
  EXPECT_EQ(edit_.UndoLimit(), 0);
  edit_.setFocus();
  edit_.SetUndoLimit(2);
  QTest::keyClicks(edit_.viewport(), "one");
  for (const char* typed : {"x", "y"}) {
    QTest::keyClick(edit_.viewport(), Qt::Key_Home);
    QTest::keyClicks(edit_.viewport(), typed);
  }
  ASSERT_EQ(edit_.toPlainText(), "yxone");
  EXPECT_TRUE(edit_.CanUndo());
  std::vector<QString> seen;
  for (int i = 0; i < 3; ++i) {
    edit_.Undo();
    seen.push_back(edit_.toPlainText());
  }
  EXPECT_EQ(seen, (std::vector<QString>{"xone", "one", "one"}));
  EXPECT_FALSE(edit_.CanUndo());
  edit_.Redo();
  EXPECT_EQ(edit_.toPlainText(), "xone");
  EXPECT_EQ(edit_.textCursor().position(), 1) << "the caret comes back with the text";
  // Ctrl+Z reaches the limited undo too; a new edit forgets what could be redone.
  QTest::keyClick(edit_.viewport(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(edit_.toPlainText(), "one");
  QTest::keyClick(edit_.viewport(), Qt::Key_End);
  QTest::keyClicks(edit_.viewport(), "!");
  EXPECT_FALSE(edit_.CanRedo());
  // Formatting is a step of its own.
  Select(0, 3);
  edit_.SelAttributes().SetBold(true);
  edit_.Undo();
  Select(1, 1);
  EXPECT_FALSE(edit_.SelAttributes().Bold());
  EXPECT_EQ(edit_.toPlainText(), "one!");

  edit_.SetUndoLimit(0);
  QTest::keyClicks(edit_.viewport(), "z");
  EXPECT_FALSE(edit_.CanUndo());
  edit_.Undo();
  EXPECT_EQ(edit_.toPlainText(), "ozne!");
}

// A style set on a selection of several colours keeps each part's colour.
TEST_F(RichEditTest, StyleOfAMixedSelectionKeepsEachPartsColour) {
  edit_.WideLines().SetText("abcd");
  Select(0, 2);
  edit_.SelAttributes().SetColor(RgbColor(255, 0, 0));
  Select(2, 4);
  edit_.SelAttributes().SetColor(RgbColor(0, 0, 255));
  Select(0, 4);
  edit_.SelAttributes().SetStyle(fsUnderline);
  for (const auto& [at, colour] : {std::pair{1, RgbColor(255, 0, 0)}, {3, RgbColor(0, 0, 255)}}) {
    Select(at, at);
    EXPECT_EQ(edit_.SelAttributes().Color(), colour) << at;
    EXPECT_EQ(edit_.SelAttributes().Style(), fsUnderline) << at;
  }
}

// The control's "WideStrings" property is its wide lines in hexadecimal, read and written.
TEST_F(RichEditTest, WideStringsProperty) {
  edit_.WideLines().SetText(QString::fromUtf16(u"ab\r\n\u00E9"));
  EXPECT_EQ(edit_.property("WideStrings").toString(), "00610062000D000A00E9000D000A");
  EXPECT_TRUE(edit_.setProperty("WideStrings", "0078000D000A0079"));
  EXPECT_EQ(edit_.WideLines().Text(), "x\r\ny\r\n");
  edit_.setProperty("WideStrings", "00G1");  // not hexadecimal: nothing changes
  EXPECT_EQ(edit_.WideLines().Text(), "x\r\ny\r\n");
  // The control's lines are a TWideStrings: exchanging two keeps the rest.
  edit_.WideLines().Add("z");
  edit_.WideLines().Exchange(0, 2);
  EXPECT_EQ(edit_.WideLines().Text(), "z\r\ny\r\nx\r\n");
}

// The wide lines' file is their UTF-16 text, not the 8-bit lines' stream: a Western control's
// 8-bit text cannot hold Cyrillic, its wide lines keep it, and a plain wide list reads the file.
TEST_F(RichEditTest, WideLinesFileKeepsWhatTheCodePageCannotHold) {
  edit_.SetLanguage(1033);
  edit_.SetOutputFormat(ofText);
  const QString text = QString::fromUtf16(u"Caf\u00E9 \u041F\u0440\u0438\r\nend\r\n");
  edit_.WideLines().SetText(text);
  EXPECT_EQ(AnsiToWide(edit_.Lines().Get(0), edit_.CodePageNumber()), u"Caf\u00E9 ???")
      << "the 8-bit line loses the Cyrillic";

  const std::string bytes = edit_.WideLines().SaveToStream();
  EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE"
                                            "C\0",
                                            4));
  TWideStringList plain;
  plain.LoadFromStream(bytes);
  EXPECT_EQ(plain.Text(), text);
  edit_.clear();
  edit_.WideLines().LoadFromStream(bytes);
  EXPECT_EQ(edit_.WideLines().Text(), text);
}

TEST_F(RichEditTest, LineListInsertsDeletesAndSavesSafely) {
  TWideRichEditStrings98& lines = edit_.WideLines();
  lines.SetText("a\r\n\r\n");  // "a" and an empty last line
  ASSERT_EQ(lines.Count(), 2);
  lines.Add("b");  // after an empty last line: appended, not lost
  lines.Insert(0, "first");
  lines.Put(1, "A");
  EXPECT_EQ(lines.Text(), "first\r\nA\r\n\r\nb\r\n");
  lines.Delete(2);
  lines.Delete(2);
  lines.Delete(7);
  EXPECT_EQ(lines.Text(), "first\r\nA\r\n");
  edit_.SetLanguage(1049);
  edit_.Lines().Add("\xCF\xF0\xE8");
  EXPECT_EQ(lines.Get(2), QString::fromUtf16(u"\u041F\u0440\u0438"));

  test::TempDir dir;
  const std::string name = (dir / "notes.doc").string();
  SaveStringToFile(name, "old notes");
  SetAtomicWriteFailure(AtomicWriteStep::kRename);
  try {
    edit_.Lines().SaveToFile(name);
    ADD_FAILURE() << "saving reported success";
  } catch (const ERichEditError& error) {
    EXPECT_STREQ(error.what(), "Failed to Save Stream");
  }
  SetAtomicWriteFailure(AtomicWriteStep::kNone);
  EXPECT_EQ(LoadFileToString(name), "old notes");
  edit_.Lines().SaveToFile(name);
  edit_.clear();
  edit_.Lines().LoadFromFile(name);
  EXPECT_EQ(lines.Text(), QString::fromUtf16(u"first\r\nA\r\n\u041F\u0440\u0438\r\n"));
  EXPECT_THROW(edit_.Lines().LoadFromFile((dir / "missing.doc").string()), ERichEditError);

  // Unicode text: written little-endian after FF FE; read by its mark in either byte order.
  edit_.SetOutputFormat(ofUnicode);
  EXPECT_EQ(edit_.Lines().SaveToStream().substr(0, 6), std::string("\xFF\xFE"
                                                                   "f\0i\0",
                                                                   6));
  edit_.SetInputFormat(ifUnicode);
  edit_.Lines().LoadFromStream(std::string("\xFE\xFF\x04\x1F\0\n\0b", 8));
  EXPECT_EQ(lines.Text(), QString::fromUtf16(u"\u041F\r\nb\r\n"));
  edit_.Lines().LoadFromStream(std::string("\xFF\xFE\x1F\x04", 4));
  EXPECT_EQ(lines.Get(0), QString::fromUtf16(u"\u041F"));
}

// What Qt cannot show is kept: the effects file loads and saves in the same control words, and
// the same attributes set through the control reach the file.
TEST_F(RichEditTest, EffectsQtCannotShowSurviveTheControl) {
  const std::string file = test::ReadFileBytes(test::DataDir() / "rtf" / "notes_effects.rtf");
  QSignalSpy loaded(&edit_, &TRichEdit98::loadProgress);
  edit_.Lines().LoadFromStream(file);
  ASSERT_EQ(loaded.size(), 2);  // before the one block, and at its end
  EXPECT_EQ(loaded[1].at(0).toInt(), static_cast<int>(file.size()));
  EXPECT_EQ(loaded[1].at(1).toInt(), static_cast<int>(file.size()));
  const RichDocument original = *ReadRtf(file).document;
  const std::string saved = edit_.Lines().SaveToStream();
  const RichDocument back = *ReadRtf(saved).document;
  ASSERT_EQ(back.paragraphs.size(), original.paragraphs.size());
  for (size_t i = 0; i < original.paragraphs.size(); ++i)
    EXPECT_TRUE(back.paragraphs[i].runs == original.paragraphs[i].runs) << i << saved;

  // The same attributes set through the control reach the file.
  edit_.WideLines().SetText("alpha beta");
  Select(0, 5);
  TTextAttributes98& a = edit_.SelAttributes();
  a.SetOffset(-2.5);
  a.SetSpacing(1.5);
  a.SetKerning(12);
  a.SetAnimation(4);
  a.SetOutline(true);
  a.SetShadow(true);
  a.SetEmboss(true);
  a.SetImprint(true);
  a.SetSmallCaps(true);
  a.SetLink(true);
  a.SetShadow(false);
  QSignalSpy saving(&edit_, &TRichEdit98::saveProgress);
  const std::string rtf = edit_.Lines().SaveToStream();
  ASSERT_EQ(saving.size(), 1);
  EXPECT_EQ(saving[0].at(0).toInt(), static_cast<int>(rtf.size()));
  const RichCharFormat f = ReadRtf(rtf).document->paragraphs[0].runs[0].format;
  EXPECT_EQ(f.offset, -5);
  EXPECT_EQ(f.spacing, 30);
  EXPECT_EQ(f.kerning, 24);
  EXPECT_EQ(f.animation, 4);
  EXPECT_TRUE(f.outline && f.emboss && f.imprint && f.small_caps && !f.shadow);
  EXPECT_TRUE(f.link);
  EXPECT_EQ(f.link_target, u"alpha");

  // Plain RTF leaves the language words out.
  edit_.SetLanguage(1043);
  EXPECT_NE(edit_.Lines().SaveToStream().find("\\deflang1043"), std::string::npos);
  edit_.SetPlainRTF(true);
  EXPECT_EQ(edit_.Lines().SaveToStream().find("lang"), std::string::npos);
}

}  // namespace
}  // namespace tovix
