#pragma once

#include "NumberDialog.h"

// "Entrez le nombre de répétitions": how many times a repeat goes back.
class CDialRep : public NumberDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Entrez le nombre de répétitions";
    // Counts beyond three digits make no music.
    static constexpr int kMaxDigits = 3;

    explicit CDialRep(Prompter& prompter, QWidget* parent = nullptr);
};
