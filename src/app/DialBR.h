#pragma once

#include <QDialog>

class QSpinBox;

// "Choisissez le nombre de tons": how far a bend goes, or how deep a bar dip,
// chosen with a spin control whose field shows the amount in tones.
class DialBR : public QDialog {
    Q_OBJECT
public:
    explicit DialBR(QWidget* parent = nullptr);

    static constexpr const char* kTitle = "Choisissez le nombre de tons";
    static constexpr int kStart = 2;
    // The text shown for a spin position 0..7.
    static QString label(int position);

    QSpinBox* spin() const { return spin_; }
    int position() const;
    // The dialog shown modally: the position on "OK", -1 on "Annuler".
    int ask();

private:
    QSpinBox* spin_ = nullptr;
};
