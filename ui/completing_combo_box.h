#pragma once

#include <QComboBox>
#include <QStringList>

class QKeyEvent;

namespace kestrune {

// An editable combo box that completes what the user types from its list: the first entry that
// begins with the typed text (case ignored) is selected and its rest shown highlighted. A text
// that begins no entry leaves no entry selected. Changes made from code are silent; changed()
// reports only the user's edits and picks.
class CompletingComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit CompletingComboBox(QWidget* parent = nullptr);

    // Replaces the list; nothing is selected afterwards and the edit part keeps its text.
    void ReplaceItems(const QStringList& items);
    // Selects an entry (-1 for none) without touching the edit part's text.
    void SelectKeepingText(int index);
    QStringList Items() const;

signals:
    void changed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Complete();
    int FindEntryBeginningWith(const QString& prefix) const;
};

}  // namespace kestrune
