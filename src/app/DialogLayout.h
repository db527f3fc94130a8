#pragma once

#include <QDialog>

#include <optional>

class QWidget;

// The layout every small dialog of the program shares: its group of controls
// above an "OK" (default) and "Annuler" row.
void layOutWithOkCancel(QDialog& dialog, QWidget* group);

// Shows `dialog` modally: what `read` takes from it on "OK", nothing on "Annuler".
template <class Read>
auto askModal(QDialog& dialog, Read read) -> std::optional<decltype(read())>
{
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return read();
}
