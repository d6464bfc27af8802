#include "ui/completing_combo_box.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace kestrune {

namespace {

bool TypesCharacter(const QKeyEvent& event) {
    const auto modifiers = event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (modifiers != Qt::NoModifier || event.text().isEmpty()) {
        return false;
    }
    const QChar first = event.text().front();
    return first.isPrint();
}

}  // namespace

CompletingComboBox::CompletingComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // Completion is ours, and Enter must not add the typed text to the list.
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    // A pick from the list, the arrow keys or the wheel.
    connect(this, &QComboBox::activated, this, [this] { emit changed(); });
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

QStringList CompletingComboBox::Items() const {
    QStringList items;
    items.reserve(count());
    for (int i = 0; i < count(); ++i) {
        items.append(itemText(i));
    }
    return items;
}

void CompletingComboBox::keyPressEvent(QKeyEvent* event) {
    QLineEdit* edit = lineEdit();
    if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier) {
        // Removes the highlighted completion, or the character before the caret.
        edit->backspace();
        SelectKeepingText(-1);
        event->accept();
        emit changed();
        return;
    }
    if (TypesCharacter(*event)) {
        QComboBox::keyPressEvent(event);
        Complete();
        return;
    }
    const QString before = edit->text();
    QComboBox::keyPressEvent(event);
    // Delete, cut, paste: the text no longer stands for the entry that was selected.
    if (edit->text() != before && currentIndex() >= 0 && edit->text() != itemText(currentIndex())) {
        SelectKeepingText(-1);
        emit changed();
    } else if (edit->text() != before && currentIndex() < 0) {
        emit changed();
    }
}

void CompletingComboBox::Complete() {
    QLineEdit* edit = lineEdit();
    const QString typed = edit->text().left(edit->cursorPosition());
    const int match = FindEntryBeginningWith(typed);
    if (match < 0) {
        SelectKeepingText(-1);
        emit changed();
        return;
    }
    const bool selectionChanges = match != currentIndex();
    const QString entry = itemText(match);
    setCurrentIndex(match);
    edit->setText(typed + entry.mid(typed.size()));
    edit->setSelection(typed.size(), entry.size() - typed.size());
    if (selectionChanges) {
        emit changed();
    }
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
