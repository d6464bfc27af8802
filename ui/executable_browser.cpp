#include "ui/executable_browser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <utility>

namespace kestrune {

namespace {

FileDialogAnswer& InstalledAnswer() {
    static FileDialogAnswer answer;
    return answer;
}

// The patterns of a filter "description (pattern pattern ...)".
QStringList PatternsOf(const QString& filter) {
    const qsizetype open = filter.lastIndexOf('(');
    const qsizetype close = filter.lastIndexOf(')');
    if (open < 0 || close < open) {
        return {};
    }
    return filter.mid(open + 1, close - open - 1).split(' ', Qt::SkipEmptyParts);
}

// The first filter that lists a file of this name, so the last choice shows when the dialog opens.
QString FilterListing(const QStringList& filters, const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    if (!name.isEmpty()) {
        for (const QString& filter : filters) {
            if (QDir::match(PatternsOf(filter), name)) {
                return filter;
            }
        }
    }
    return filters.constFirst();
}

std::optional<QString> RunFileDialog(QWidget* owner, const QString& filter,
                                     const QString& fileName) {
    QFileDialog dialog(owner, QString(), QString(), filter);
    dialog.selectNameFilter(FilterListing(dialog.nameFilters(), fileName));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The file and its folder need not exist yet: a typed path is taken as it is.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setSizeGripEnabled(true);
    if (!fileName.isEmpty()) {
        dialog.selectFile(fileName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QString ExecutableBrowser::BrowseForExecutable(const QStringList& filters) {
    const QString filter = filters.join(";;");
    // "mods.kst" is read and written relative to the current directory, so whatever the dialog
    // does, the directory the launcher was started in stays current.
    const QString currentDirectory = QDir::currentPath();
    std::optional<QString> chosen;
    if (const auto& answer = InstalledAnswer()) {
        chosen = answer(filter, fileName_);
    } else {
        chosen = RunFileDialog(owner_, filter, fileName_);
    }
    QDir::setCurrent(currentDirectory);
    if (!chosen) {
        return QStringLiteral("0");
    }
    fileName_ = *chosen;
    return fileName_;
}

void SetFileDialogAnswer(FileDialogAnswer answer) {
    InstalledAnswer() = std::move(answer);
}

}  // namespace kestrune
