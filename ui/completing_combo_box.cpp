#include "ui/completing_combo_box.h"

#include <QEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMetaObject>

namespace kestrune {

CompletingComboBox::CompletingComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // Completion is ours, and Enter must not add the typed text to the list.
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    // A pick from the list, the arrow keys or the wheel.
    connect(this, &QComboBox::activated, this, [this] { emit changed(); });
    // Every edit of the user's, however made, comes through textEdited, which the line edit
    // sends before it tells of the new text and selection: until then these keep the old ones.
    connect(lineEdit(), &QLineEdit::textEdited, this, &CompletingComboBox::TextEdited);
    connect(lineEdit(), &QLineEdit::textChanged, this,
            [this] { lastTextLength_ = lineEdit()->text().size(); });
    connect(lineEdit(), &QLineEdit::selectionChanged, this,
            [this] { lastSelectionLength_ = lineEdit()->selectedText().size(); });
    lineEdit()->installEventFilter(this);
}

bool CompletingComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::InputMethod) {
        composing_ = !static_cast<QInputMethodEvent*>(event)->preeditString().isEmpty();
        // A composition that ends without a text of its own only took away what was selected.
        if (!composing_ && editedWhileComposing_) {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (editedWhileComposing_) {
                        editedWhileComposing_ = false;
                        SelectKeepingText(-1);
                        emit changed();
                    }
                },
                Qt::QueuedConnection);
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void CompletingComboBox::ReplaceItems(const QStringList& items) {
    const QString text = currentText();
    clear();
    addItems(items);
    SelectKeepingText(-1);
    setEditText(text);
}

void CompletingComboBox::SelectKeepingText(int index) {
    QLineEdit* edit = lineEdit();
    const QString text = edit->text();
    const int selectionStart = edit->selectionStart();
    const int selectionLength = edit->selectedText().size();
    const int cursor = edit->cursorPosition();
    setCurrentIndex(index);
    if (edit->text() != text) {
        edit->setText(text);
    }
    if (selectionStart >= 0) {
        edit->setSelection(selectionStart, selectionLength);
    } else {
        edit->setCursorPosition(cursor);
    }
}

void CompletingComboBox::TextEdited() {
    // Touching the text now would end the composition; it is done once the text is in.
    if (composing_) {
        editedWhileComposing_ = true;
        return;
    }
    editedWhileComposing_ = false;
    // What the edit put in: what it left beyond the text that was not selected.
    const qsizetype inserted = lineEdit()->text().size() - (lastTextLength_ - lastSelectionLength_);
    if (inserted <= 0) {
        // Backspace removes the highlighted completion or a character; nothing is completed, and
        // the text no longer stands for the entry that was selected.
        SelectKeepingText(-1);
    } else {
        Complete();
    }
    emit changed();
}

void CompletingComboBox::Complete() {
    QLineEdit* edit = lineEdit();
    const QString typed = edit->text().left(edit->cursorPosition());
    const int match = FindEntryBeginningWith(typed);
    if (match < 0) {
        SelectKeepingText(-1);
        return;
    }
    const QString entry = itemText(match);
    setCurrentIndex(match);
    edit->setText(typed + entry.mid(typed.size()));
    edit->setSelection(typed.size(), entry.size() - typed.size());
}

int CompletingComboBox::FindEntryBeginningWith(const QString& prefix) const {
    if (prefix.isEmpty()) {
        return -1;
    }
    for (int i = 0; i < count(); ++i) {
        if (itemText(i).startsWith(prefix, Qt::CaseInsensitive)) {
            return i;
        }
    }
    return -1;
}

}  // namespace kestrune
