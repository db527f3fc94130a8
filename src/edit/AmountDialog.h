#pragma once

namespace edit {

// "Choisissez le nombre de tons": the amount of a bend or a bar dip.
class AmountDialog {
public:
    virtual ~AmountDialog() = default;
    // The spin position 0..7 ("1/4" .. "3.5") on OK, -1 on "Annuler".
    virtual int askAmount() = 0;
};

} // namespace edit
