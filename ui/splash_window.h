#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace kestrune {

class ClickableLabel;

// The splash window: open from its creation, over the main window, for 1.5 seconds; then it shows
// the main window and hides for good.
class TForm3 : public QWidget {
    Q_OBJECT

public:
    explicit TForm3(QWidget& mainWindow);

protected:
    bool event(QEvent* event) override;

private:
    void FormActivate();
    void Timer1Timer();
    void Image1Click();
    void Label2Click();

    QWidget& mainWindow_;
    QLabel* Label1;
    ClickableLabel* Image1;
    ClickableLabel* Label2;
    QTimer* Timer1;
};

}  // namespace kestrune
