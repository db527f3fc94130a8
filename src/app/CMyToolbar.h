#pragma once

#include <QToolBar>

// A toolbar painted over a soft gradient strip: across the bar when it lies
// horizontally, along it when it stands upright.
class CMyToolbar : public QToolBar {
    Q_OBJECT
public:
    explicit CMyToolbar(const QString& title, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
