#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

namespace kestrune {

// The file-open dialog of the path entries. One instance serves every entry, so each browse
// starts from the file chosen last.
class ExecutableBrowser {
public:
    explicit ExecutableBrowser(QWidget* owner) : owner_(owner) {}

    // Lets the user pick a file that the first of the dialog's filters lists (each one such as
    // "Linux game (ioquake3.* quake3)"), or one that another lists. Gives the full path of the
    // chosen or typed file, or "0" when the dialog is cancelled. The process's current directory
    // is left as it was.
    QString BrowseForExecutable(const QStringList& filters);

private:
    QPointer<QWidget> owner_;
    // The last confirmed path, shown in the dialog's file name box next time.
    QString fileName_;
};

// Answers the dialog instead of the user (tests): given the filter text and the pre-filled name,
// gives the chosen path or nothing for a cancel. An empty function restores the real dialog.
using FileDialogAnswer =
    std::function<std::optional<QString>(const QString& filter, const QString& fileName)>;
void SetFileDialogAnswer(FileDialogAnswer answer);

}  // namespace kestrune
