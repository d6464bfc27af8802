#pragma once

#include <QWidget>

#include <string_view>

#include "ui_logic/secondary_window_steps.h"

class QLabel;
class QTimer;

namespace kestrune {

class ClickableLabel;

// The splash window: open from its creation, over the main window, for 1.5 seconds; then it shows
// the main window and hides for good.
class TForm3 : public QWidget, private SplashWindowView {
    Q_OBJECT

public:
    // A window of the main window's own (its child, transient for it).
    explicit TForm3(QWidget& mainWindow);

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // SecondaryWindowView
    void BringMainWindowForward() override;
    void CloseWindow() override;
    void OpenWebSite(std::string_view url) override;
    bool TimerActive() const override;
    void StartTimer() override;
    void StopTimer() override;

    QWidget& mainWindow_;
    SplashWindowSteps steps_{*this};
    QLabel* Label1;
    ClickableLabel* Image1;
    ClickableLabel* Label2;
    QTimer* Timer1;
};

}  // namespace kestrune
