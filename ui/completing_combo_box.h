#pragma once

#include <QComboBox>
#include <QStringList>

namespace kestrune {

// An editable combo box that completes what the user types from its list: the first entry that
// begins with the typed text (case ignored) is selected and its rest shown highlighted. A text
// that begins no entry leaves no entry selected. Changes made from code are silent; changed()
// reports each of the user's edits (typed, pasted, dropped, composed, cut, undone) and picks
// once.
class CompletingComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit CompletingComboBox(QWidget* parent = nullptr);

    // Replaces the list; nothing is selected afterwards and the edit part keeps its text.
    void ReplaceItems(const QStringList& items);
    // Selects an entry (-1 for none) without touching the edit part's text.
    void SelectKeepingText(int index);

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TextEdited();
    void Complete();
    int FindEntryBeginningWith(const QString& prefix) const;

    // The edit part's text length and selected length before the edit now being handled.
    qsizetype lastTextLength_ = 0;
    qsizetype lastSelectionLength_ = 0;
    // An input method is composing text in the edit part, and has changed it meanwhile.
    bool composing_ = false;
    bool editedWhileComposing_ = false;
};

}  // namespace kestrune
