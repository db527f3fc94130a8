#pragma once

#include "NumberDialog.h"

// "Entrez la valeur du capodastre": the fret the capo of a track sits on.
class CDialCapo : public NumberDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Entrez la valeur du capodastre";

    CDialCapo(Prompter& prompter, int capo, QWidget* parent = nullptr);
};
