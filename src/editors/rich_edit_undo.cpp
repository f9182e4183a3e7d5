// The rich-text control's undo under a limit: QTextDocument keeps no limit and cannot drop its
// oldest step, so under a limit the control keeps the states of the text itself.
#include <QKeyEvent>
#include <QTextDocument>

#include "controls/key_chords.h"
#include "editors/rich_edit.h"
#include "editors/rich_text_mapping.h"

namespace tovix {

void TRichEdit98::SetUndoLimit(int limit) {
  undo_limit_ = limit;
  undo_steps_.clear();
  redo_steps_.clear();
  typing_end_ = -1;
  if (!limited_undo_) {
    limited_undo_ = true;
    connect(document(), &QTextDocument::contentsChange, this, &TRichEdit98::ContentsChanging);
    connect(document(), &QTextDocument::contentsChanged, this, &TRichEdit98::ContentsChanged);
  }
  // The document's own steps go: they could reach past the limit.
  document()->setUndoRedoEnabled(false);
  undo_current_ = CurrentState();
  undo_state_stale_ = false;
  UndoAvailabilityChanged();
}

bool TRichEdit98::CanUndo() const {
  return limited_undo_ ? !undo_steps_.empty() : document()->isUndoAvailable();
}

bool TRichEdit98::CanRedo() const {
  return limited_undo_ ? !redo_steps_.empty() : document()->isRedoAvailable();
}

TRichEdit98::TUndoState TRichEdit98::CurrentState() const {
  const QTextCursor cursor = textCursor();
  return {RichDocumentFromQt(document(), code_page_, language_), cursor.anchor(),
          cursor.position()};
}

void TRichEdit98::RestoreState(const TUndoState& state) {
  undo_restoring_ = true;
  RichDocumentToQt(state.Document, document());
  QTextCursor cursor(document());
  const int end = document()->characterCount() - 1;
  cursor.setPosition(std::clamp(state.Anchor, 0, end));
  cursor.setPosition(std::clamp(state.Position, 0, end), QTextCursor::KeepAnchor);
  setTextCursor(cursor);
  undo_current_ = state;
  undo_state_stale_ = false;
  typing_end_ = -1;
  undo_restoring_ = false;
  UndoAvailabilityChanged();
}

void TRichEdit98::ContentsChanging(int position, int removed, int added) {
  if (undo_restoring_ || undo_limit_ <= 0) return;

  // One more character where the last one went in: the same step; so is a change that comes
  // before the document said the last one was done.
  const bool typing = removed == 0 && added == 1;
  if (!(typing && position == typing_end_) && !undo_state_stale_) {
    undo_steps_.push_back(std::move(undo_current_));
    while (static_cast<int>(undo_steps_.size()) > undo_limit_) undo_steps_.pop_front();
    redo_steps_.clear();
  }
  typing_end_ = typing ? position + 1 : -1;
  undo_state_stale_ = true;
}

void TRichEdit98::ContentsChanged() {
  if (undo_restoring_ || !undo_state_stale_) return;
  undo_current_ = CurrentState();
  undo_state_stale_ = false;
  UndoAvailabilityChanged();
}

void TRichEdit98::UndoAvailabilityChanged() {
  emit undoAvailable(CanUndo());
  emit redoAvailable(CanRedo());
}

void TRichEdit98::Undo() {
  if (!limited_undo_) return undo();
  Replay(undo_steps_, redo_steps_);
}

void TRichEdit98::Redo() {
  if (!limited_undo_) return redo();
  Replay(redo_steps_, undo_steps_);
}

void TRichEdit98::Replay(std::deque<TUndoState>& from, std::deque<TUndoState>& to) {
  if (from.empty()) return;
  if (undo_state_stale_) ContentsChanged();
  to.push_back(std::move(undo_current_));
  TUndoState state = std::move(from.back());
  from.pop_back();
  RestoreState(state);
}

void TRichEdit98::keyPressEvent(QKeyEvent* event) {
  // The program's rule for chords: an unbound Alt or Ctrl+Alt chord types nothing.
  if (QtControlWouldTypeChord(*event)) {
    event->accept();
    return;
  }
  if (limited_undo_ && event->matches(QKeySequence::Undo)) {
    Undo();
    event->accept();
    return;
  }
  if (limited_undo_ && event->matches(QKeySequence::Redo)) {
    Redo();
    event->accept();
    return;
  }
  QTextEdit::keyPressEvent(event);
}

}  // namespace tovix
