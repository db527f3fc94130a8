#pragma once

#include <QAbstractButton>
#include <QString>
#include <QWidget>

// The button of a dialog that shows `text`, or nullptr.
inline QAbstractButton* buttonNamed(QWidget* dialog, const QString& text)
{
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}
