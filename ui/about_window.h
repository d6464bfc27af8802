#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace kestrune {

class ClickableLabel;

// The About window: the maker's picture and the partner's logo, both linking to their web sites,
// the version and three lines about the maker. Modeless; OK hides it.
class TForm2 : public QWidget {
    Q_OBJECT

public:
    explicit TForm2(QWidget& mainWindow);

    // Placed, when first shown, centred on the main window; later where it was left.
    void setVisible(bool visible) override;

private:
    void Button1Click();
    void Image1Click();
    void Image2Click();

    QWidget& mainWindow_;
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
