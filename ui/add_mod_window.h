#pragma once

#include <QWidget>

#include <optional>
#include <string>
#include <string_view>

#include "ui_logic/secondary_window_steps.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrune {

// The Add-mod window: appends names to the main window's mods list and writes the list out.
// Modeless; its close box and Escape hide it without writing.
class TForm4 : public QWidget, private AddModWindowView {
    Q_OBJECT

public:
    // A window of the main window's own (its child, transient for it). The list is written to
    // modsListPath.
    TForm4(QWidget& mainWindow, QComboBox& mods, std::string modsListPath = kModsListFileName);

    // Placed, when first shown, at its fixed place on the screen; later where it was left.
    void setVisible(bool visible) override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void Retranslate();
    void LayOut();

    // SecondaryWindowView
    void BringMainWindowForward() override;
    void CloseWindow() override;
    void OpenWebSite(std::string_view url) override;
    std::u16string NameTyped() const override;
    int ModsCount() const override;
    void AppendMod(std::u16string_view name) override;
    std::optional<ModsList> ModsListToWrite() const override;

    QWidget& mainWindow_;
    QComboBox& mods_;
    AddModWindowSteps steps_;
    bool placed_ = false;
    QLabel* Label1;
    QLineEdit* edmods;
    QPushButton* btMods;
    QPushButton* Button1;
};

}  // namespace kestrune
