#pragma once

#include <QWidget>

#include <string_view>

#include "ui_logic/secondary_window_steps.h"

class QLabel;
class QPushButton;

namespace kestrune {

class ClickableLabel;

// The About window: the maker's picture and the partner's logo, both linking to their web sites,
// the version and three lines about the maker. Modeless; OK, Escape and the close box hide it.
class TForm2 : public QWidget, private AboutWindowView {
    Q_OBJECT

public:
    // A window of the main window's own (its child, transient for it).
    explicit TForm2(QWidget& mainWindow);

    // Placed, when first shown, centred on the main window; later where it was left.
    void setVisible(bool visible) override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void Retranslate();

    // SecondaryWindowView
    void BringMainWindowForward() override;
    void CloseWindow() override;
    void OpenWebSite(std::string_view url) override;

    QWidget& mainWindow_;
    AboutWindowSteps steps_{*this};
    bool placed_ = false;
    ClickableLabel* Image2;
    ClickableLabel* Image1;
    QLabel* Label5;
    QLabel* Label2;
    QLabel* Label1;
    QLabel* Label4;
    QPushButton* Button1;
};

}  // namespace kestrune
