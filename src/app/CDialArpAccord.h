#pragma once

#include <QDialog>

class QRadioButton;

// "Arpeggiation": which way the strings of an arpeggiated chord are struck.
class CDialArpAccord : public QDialog {
    Q_OBJECT
public:
    explicit CDialArpAccord(QWidget* parent = nullptr);

    static constexpr const char* kTitle = "Arpeggiation";

    QRadioButton* upwards() const { return up_; }
    QRadioButton* downwards() const { return down_; }
    // 0 for "De bas en haut", 1 for "De haut en bas".
    int direction() const;
    // The dialog shown modally: the direction on "OK", -1 on "Annuler".
    int ask();

private:
    QRadioButton* up_ = nullptr;
    QRadioButton* down_ = nullptr;
};
