#pragma once

namespace edit {

// "Arpeggiation": the direction of an arpeggiated chord.
class ArpeggioDialog {
public:
    virtual ~ArpeggioDialog() = default;
    // 0 for "De bas en haut", 1 for "De haut en bas", -1 on "Annuler".
    virtual int askDirection() = 0;
};

} // namespace edit
