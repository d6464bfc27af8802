#pragma once

#include <QLabel>

class QMouseEvent;

namespace kestrune {

// A label (text or picture) that reports a click: the left button pressed and released over it,
// as a button does. Used for the pictures and links that open web sites.
class ClickableLabel : public QLabel {
    Q_OBJECT

public:
    explicit ClickableLabel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

}  // namespace kestrune
