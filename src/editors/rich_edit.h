#pragma once
// The rich-text editor control: a QTextEdit that reads and writes RTF through the rich document
// model, keeps embedded objects and pictures as opaque groups, converts its 8-bit text with the
// code page of its language, and shows links as a display overlay that is never saved.

#include <QSyntaxHighlighter>
#include <QTextEdit>
#include <deque>
#include <memory>

#include "editors/rich_attributes.h"
#include "editors/rich_document.h"
#include "editors/url_types.h"

namespace tovix {

enum TInputFormat { ifText, ifRTF, ifUnicode };
enum TOutputFormat { ofText, ofRTF, ofRTFNoObjs, ofTextized, ofUnicode };

class TRichEdit98;

// Colours and underlines the links of each paragraph on screen only.
class LinkOverlay : public QSyntaxHighlighter {
  Q_OBJECT

 public:
  LinkOverlay(TRichEdit98* control, QTextDocument* document);
  // Paragraphs scanned so far.
  int ScanCount() const { return scans_; }

 protected:
  void highlightBlock(const QString& text) override;

 private:
  TRichEdit98* control_;
  int scans_ = 0;
};

class TRichEdit98 : public QTextEdit {
  Q_OBJECT
  // The wide lines' text as four hexadecimal digits per character (see TWideStrings).
  Q_PROPERTY(QString WideStrings READ WideStrings WRITE SetWideStrings)

 public:
  explicit TRichEdit98(QWidget* parent = nullptr);
  ~TRichEdit98() override;

  TAutoURLDetect AutoURLDetect() const { return auto_url_detect_; }
  void SetAutoURLDetect(TAutoURLDetect mode);
  const TURLCollection& CustomURLs() const { return url_types_; }
  void SetCustomURLs(const TURLCollection& types);
  void AddURLType(const QString& name, TColor color, bool underline, int cursor);
  TColor URLColor() const { return url_color_; }
  void SetURLColor(TColor color);
  int URLCursor() const { return url_cursor_; }
  void SetURLCursor(int cursor) { url_cursor_ = cursor; }
  bool ShowSelectionBar() const { return show_selection_bar_; }
  void SetShowSelectionBar(bool on);
  TLanguage Language() const { return language_; }
  void SetLanguage(TLanguage language);
  int CodePageNumber() const { return code_page_; }
  bool WordFormatting() const { return word_formatting_; }
  void SetWordFormatting(bool on) { word_formatting_ = on; }
  TInputFormat InputFormat() const { return input_format_; }
  void SetInputFormat(TInputFormat format) { input_format_ = format; }
  TOutputFormat OutputFormat() const { return output_format_; }
  void SetOutputFormat(TOutputFormat format) { output_format_ = format; }
  bool SelectedInOut() const { return selected_in_out_; }
  void SetSelectedInOut(bool on) { selected_in_out_ = on; }
  // Loading and saving keep to the words common to all languages (no language words).
  bool PlainRTF() const { return plain_rtf_; }
  void SetPlainRTF(bool on) { plain_rtf_ = on; }
  // 0 until set: undo without a limit. Set to n above 0: the last n steps can be undone, the
  // oldest dropped when a new one comes (typing that goes on at the same place is one step);
  // set to 0: no undo. Setting it forgets the steps so far.
  int UndoLimit() const { return undo_limit_; }
  void SetUndoLimit(int limit);
  bool CanUndo() const;
  bool CanRedo() const;
  // Undo and Redo under the limit; without one they are QTextEdit's.
  void Undo();
  void Redo();
  QString WideStrings() const { return wide_lines_.WideStringsText(); }
  // A text that is not four hexadecimal digits per character changes nothing.
  void SetWideStrings(const QString& hex) { wide_lines_.SetWideStringsText(hex); }

  TTextAttributes98& SelAttributes() { return sel_attributes_; }
  TTextAttributes98& DefAttributes() { return def_attributes_; }
  TParaAttributes98& Paragraph() { return paragraph_; }
  TRichEditStrings98& Lines() { return lines_; }
  TWideRichEditStrings98& WideLines() { return wide_lines_; }
  // The default text's character format beyond the document's default font (colour,
  // highlight, language ...).
  QTextCharFormat& DefaultFormat() { return default_format_; }

  // The content as a rich document, and replacing the content with one (or, with
  // SelectedInOut, only the selection).
  RichDocument ToRichDocument() const;
  void LoadRichDocument(const RichDocument& document);

  // The link at a viewport point, empty when there is none; `type` gets its type index.
  QString LinkAt(const QPoint& viewport_point, int* type = nullptr) const;
  // The colour and underline a link of the given type index is drawn with (-1: no type).
  QColor LinkColor(int type) const;
  bool LinkUnderline(int type) const;
  const LinkOverlay* Overlay() const { return overlay_.get(); }
  // The width of the selection bar in pixels.
  static constexpr int kSelectionBarWidth = 8;

 signals:
  void urlClicked(const QString& url);
  void urlMoved(const QString& url);
  // The stream's position and size before each block is read, and after each block is
  // written.
  void loadProgress(int position, int size);
  void saveProgress(int position, int size);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // The clipboard carries "text/rtf" too, so objects and formats survive copy and paste.
  QMimeData* createMimeDataFromSelection() const override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  void RescanLinks();
  void PlaceSelectionBar();

  // The limited undo: whole states of the text with the selection, one per step.
  struct TUndoState {
    RichDocument Document;
    int Anchor = 0;
    int Position = 0;
  };
  TUndoState CurrentState() const;
  void RestoreState(const TUndoState& state);
  void ContentsChanging(int position, int removed, int added);
  void ContentsChanged();
  void UndoAvailabilityChanged();
  // The state on top of `from` becomes the current one; the current one goes onto `to`.
  void Replay(std::deque<TUndoState>& from, std::deque<TUndoState>& to);

  TAutoURLDetect auto_url_detect_ = adNone;
  TURLCollection url_types_ = TURLCollection::Defaults();
  TColor url_color_ = RgbColor(0, 0, 255);
  int url_cursor_ = kCursorHandPoint;
  bool show_selection_bar_ = false;
  TLanguage language_ = 1033;  // the system's language when the table knows it (constructor)
  int code_page_ = 1252;
  bool word_formatting_ = true;
  TInputFormat input_format_ = ifRTF;
  TOutputFormat output_format_ = ofRTF;
  bool selected_in_out_ = false;
  bool plain_rtf_ = false;
  int undo_limit_ = 0;
  bool limited_undo_ = false;  // the undo below, not the document's
  std::deque<TUndoState> undo_steps_;
  std::deque<TUndoState> redo_steps_;
  TUndoState undo_current_;  // the state after the last step
  bool undo_restoring_ = false;
  bool undo_state_stale_ = false;
  int typing_end_ = -1;  // where the last one-character insertion ended
  TTextAttributes98 sel_attributes_{this, atSelected};
  TTextAttributes98 def_attributes_{this, atDefaultText};
  TParaAttributes98 paragraph_{this};
  TRichEditStrings98 lines_{this};
  TWideRichEditStrings98 wide_lines_{this};
  QTextCharFormat default_format_;
  std::unique_ptr<LinkOverlay> overlay_;
  QWidget* selection_bar_ = nullptr;
};

// Qt colour of a program colour value; system colours come from the palette.
QColor ToQColor(TColor color, const QPalette& palette);
TColor FromQColor(const QColor& color);

}  // namespace tovix
