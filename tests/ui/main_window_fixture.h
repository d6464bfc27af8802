#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ui/exception_display.h"
#include "ui/executable_browser.h"
#include "ui/main_window.h"
#include "ui_logic/web_sites.h"

// Failures print texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace kestrune::test_support {

// A main window over a temporary folder that is also the current directory, with every box,
// dialog and browser replaced by a recorder.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        previousDirectory_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(folder_.path()));
        settingsPath_ = folder_.filePath("kestrune.ini").toStdString();
        SetExceptionPresenter([this](const QString& text) { messages_.push_back(text); });
        SetWebSiteOpener([this](std::string_view url) { openedSites_.emplace_back(url); });
        SetFileDialogAnswer([this](const QString& filter, const QString& fileName) {
            dialogFilters_.push_back(filter);
            dialogFileNames_.push_back(fileName);
            std::optional<QString> answer;
            if (!dialogAnswers_.empty()) {
                answer = dialogAnswers_.front();
                dialogAnswers_.pop_front();
            }
            return answer;
        });
    }

    void TearDown() override {
        window_.reset();
        SetExceptionPresenter({});
        SetWebSiteOpener({});
        SetFileDialogAnswer({});
        QDir::setCurrent(previousDirectory_);
    }

    TForm1& Create() {
        window_ = std::make_unique<TForm1>(settingsPath_);
        return *window_;
    }

    template <class Widget>
    Widget& Get(const char* name) {
        auto* widget = window_->findChild<Widget*>(QString::fromLatin1(name));
        if (widget == nullptr) {
            ADD_FAILURE() << "no control " << name;
            throw std::runtime_error(name);
        }
        return *widget;
    }

    QString Message() { return Get<QLabel>("Label1").text(); }

    void Trigger(const char* actionName);

    void WriteFile(const QString& name, const QByteArray& bytes) {
        QFile file(folder_.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    QByteArray ReadFile(const QString& name) {
        QFile file(folder_.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void WriteSettings(const QByteArray& ini) { WriteFile("kestrune.ini", ini); }
    QByteArray Settings() { return ReadFile("kestrune.ini"); }
    // The value of a key of the saved settings file, or nothing when the key is missing.
    std::optional<QByteArray> SavedValue(const QByteArray& key);

    QTemporaryDir folder_;
    QString previousDirectory_;
    std::string settingsPath_;
    std::unique_ptr<TForm1> window_;
    std::vector<QString> messages_;
    std::vector<std::string> openedSites_;
    std::deque<std::optional<QString>> dialogAnswers_;
    std::vector<QString> dialogFilters_;
    std::vector<QString> dialogFileNames_;
};

}  // namespace kestrune::test_support
