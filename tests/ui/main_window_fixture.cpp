#include "tests/ui/main_window_fixture.h"

#include <QAction>

namespace kestrune::test_support {

void MainWindowTest::Trigger(const char* actionName) {
    auto* action = window_->findChild<QAction*>(QString::fromLatin1(actionName));
    ASSERT_NE(action, nullptr) << actionName;
    action->trigger();
}

std::optional<QByteArray> MainWindowTest::SavedValue(const QByteArray& key) {
    for (const QByteArray& line : Settings().split('\n')) {
        const QByteArray trimmed = line.endsWith('\r') ? line.chopped(1) : line;
        if (trimmed.startsWith(key + "=")) {
            return trimmed.mid(key.size() + 1);
        }
    }
    return std::nullopt;
}

}  // namespace kestrune::test_support
