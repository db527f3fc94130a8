#pragma once

#include "DrumPalette.h"

#include <QAbstractButton>
#include <QWidget>

#include <array>

class QPushButton;

// The percussion palette "  ***  Percussions  ***": a small tool window over
// a drum kit, one toggle button per drum. It follows the cursor beat of a
// drum track, adds or removes drums with a click, and hands every key but
// Tab to the score view so typing goes on while it has the focus.
class CDialBat : public QWidget {
    Q_OBJECT
public:
    explicit CDialBat(QWidget* view);

    static constexpr const char* kTitle = "  ***  Percussions  ***";

    // The drums of `beat`, shown pressed.
    void synchronise(const CAccord& beat);
    const edit::DrumPalette& state() const { return palette_; }
    QAbstractButton* drumButton(int n) const { return buttons_[static_cast<std::size_t>(n)]; }
    QPushButton* pinButton() const { return pin_; }
    bool pinned() const { return palette_.pinned; }

signals:
    // A click added (or removed) drum n: the view applies it to the beat.
    void drumRequest(int drum, bool added);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void clicked(int n);
    void forward(QKeyEvent* event);

    QWidget* view_;
    edit::DrumPalette palette_;
    std::array<QAbstractButton*, edit::kDrumCount> buttons_{};
    QPushButton* pin_ = nullptr;
};
