#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrune {

// The Add-mod window: appends names to the main window's mods list and writes the list out.
// Modeless; its close box hides it without writing.
class TForm4 : public QWidget {
    Q_OBJECT

public:
    TForm4(QWidget& mainWindow, QComboBox& mods);

    // Placed, when first shown, at its fixed place on the screen; later where it was left.
    void setVisible(bool visible) override;

private:
    void btModsClick();
    void Button1Click();

    QWidget& mainWindow_;
    QComboBox& mods_;
    bool placed_ = false;
    QLabel* Label1;
    QLineEdit* edmods;
    QPushButton* btMods;
    QPushButton* Button1;
};

}  // namespace kestrune
