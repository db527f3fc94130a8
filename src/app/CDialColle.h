#pragma once

#include "MeasureClipboard.h"

#include <QDialog>

#include <optional>

class QRadioButton;

// "Coller...": insert the clipboard after the cursor's measure, or write it
// over the measures from there on.
class CDialColle : public QDialog {
    Q_OBJECT
public:
    explicit CDialColle(QWidget* parent = nullptr);

    static constexpr const char* kTitle = "Coller...";

    QRadioButton* insertButton() const { return insert_; }
    QRadioButton* replaceButton() const { return replace_; }
    edit::PasteMode mode() const;
    std::optional<edit::PasteMode> ask();

private:
    QRadioButton* insert_ = nullptr;
    QRadioButton* replace_ = nullptr;
};
