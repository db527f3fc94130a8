#pragma once

#include "ScoreSettingsEdits.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

// "Propriétés du morceau": title, author, tabber, notes and display options.
class CDialPiece : public QDialog {
    Q_OBJECT
public:
    explicit CDialPiece(const edit::ScoreProperties& start, QWidget* parent = nullptr);

    static constexpr const char* kTitle = "Propriétés du morceau";

    QLineEdit* titleField() const { return title_; }
    QLineEdit* authorField() const { return author_; }
    QLineEdit* tabberField() const { return tabber_; }
    QPlainTextEdit* notesField() const { return notes_; }
    QCheckBox* tripletFeelBox() const { return tripletFeel_; }
    QCheckBox* showAuthorBox() const { return showAuthor_; }
    QCheckBox* showTabberBox() const { return showTabber_; }

    edit::ScoreProperties properties() const;
    std::optional<edit::ScoreProperties> ask();

private:
    QLineEdit* title_ = nullptr;
    QLineEdit* author_ = nullptr;
    QLineEdit* tabber_ = nullptr;
    QPlainTextEdit* notes_ = nullptr;
    QCheckBox* tripletFeel_ = nullptr;
    QCheckBox* showAuthor_ = nullptr;
    QCheckBox* showTabber_ = nullptr;
};
