#pragma once

// Checks a window's controls against a table of their captions, hints, places and tab order.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QWidget>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

namespace kestrune::test_support {

struct Control {
    const char* name;
    const char* caption;  // text, title or the text an edit or combo box shows
    QRect geometry;       // in the client area; a width of 0: the size is the caption's
    int tab;              // -1: not in the tab order (nor, for a group, its own tab stop)
    const char* hint;
};

inline QString CaptionOf(const QWidget& widget) {
    if (auto* label = qobject_cast<const QLabel*>(&widget)) {
        return label->text();
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        return button->text();
    }
    if (auto* group = qobject_cast<const QGroupBox*>(&widget)) {
        return group->title();
    }
    if (auto* edit = qobject_cast<const QLineEdit*>(&widget)) {
        return edit->text();
    }
    if (auto* combo = qobject_cast<const QComboBox*>(&widget)) {
        return combo->currentText();
    }
    return {};
}

inline void ExpectControls(const QWidget& window, std::span<const Control> table) {
    std::vector<const Control*> tabbed;
    for (const Control& control : table) {
        SCOPED_TRACE(control.name);
        auto* widget = window.findChild<QWidget*>(control.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(CaptionOf(*widget).toStdString(), control.caption);
        EXPECT_EQ(widget->toolTip().toStdString(), control.hint);
        const QRect at = widget->geometry();
        EXPECT_EQ(at.topLeft(), control.geometry.topLeft());
        // A caption in a wider substitute font may widen its label, check box or button (and
        // heighten its label) to fit, and no further.
        QSize size = control.geometry.size();
        if (qobject_cast<QLabel*>(widget) != nullptr) {
            size = size.expandedTo(widget->sizeHint());
        } else if (qobject_cast<QCheckBox*>(widget) != nullptr) {
            size.setWidth(std::max(size.width(), widget->sizeHint().width()));
        } else if (qobject_cast<QPushButton*>(widget) != nullptr && at.width() > size.width()) {
            EXPECT_LE(at.width(), widget->sizeHint().width());
            size.setWidth(at.width());
        }
        if (control.geometry.width() > 0) {
            EXPECT_EQ(at.size(), size);
        }
        if (control.tab >= 0) {
            tabbed.push_back(&control);
        }
    }
    // The order in which Tab visits them: each control once, at its first tab stop (its own or
    // a child's).
    std::sort(tabbed.begin(), tabbed.end(),
              [](const Control* a, const Control* b) { return a->tab < b->tab; });
    if (tabbed.empty()) {
        return;
    }
    std::vector<std::string> expected;
    std::vector<const QWidget*> widgets;
    for (const Control* control : tabbed) {
        expected.emplace_back(control->name);
        widgets.push_back(window.findChild<QWidget*>(control->name));
    }
    std::vector<std::string> visited;
    const QWidget* first = widgets.front();
    const QWidget* step = first;
    do {
        for (std::size_t i = 0; i < widgets.size(); ++i) {
            if ((step->focusPolicy() & Qt::TabFocus) &&
                (widgets[i] == step || widgets[i]->isAncestorOf(step)) &&
                std::find(visited.begin(), visited.end(), expected[i]) == visited.end()) {
                visited.push_back(expected[i]);
            }
        }
        step = step->nextInFocusChain();
    } while (step != first);
    EXPECT_EQ(visited, expected);
}

}  // namespace kestrune::test_support
