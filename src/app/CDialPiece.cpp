#include "CDialPiece.h"

#include "DialogLayout.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {
template <typename Field>
Field* inGroup(QWidget* body, QVBoxLayout* column, const char* title, const char* name)
{
    auto* group = new QGroupBox(QString::fromUtf8(title), body);
    auto* field = new Field(group);
    field->setObjectName(QString::fromLatin1(name));
    auto* inside = new QVBoxLayout(group);
    inside->addWidget(field);
    column->addWidget(group);
    return field;
}

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}
} // namespace

CDialPiece::CDialPiece(const edit::ScoreProperties& start, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setModal(true);

    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    title_ = inGroup<QLineEdit>(body, column, "Titre : ", "title");
    author_ = inGroup<QLineEdit>(body, column, "Auteur du morceau : ", "author");
    tabber_ = inGroup<QLineEdit>(body, column, "Tableur du morceau : ", "tabber");
    notes_ = inGroup<QPlainTextEdit>(body, column, "Notes : ", "notes");
    notes_->setTabChangesFocus(true);
    notes_->setMinimumSize(360, 110);

    auto* options = new QGroupBox(QStringLiteral("Options : "), body);
    tripletFeel_ = new QCheckBox(QStringLiteral("Triplet Feel"), options);
    showAuthor_ = new QCheckBox(QStringLiteral("Afficher l'auteur"), options);
    showTabber_ = new QCheckBox(QStringLiteral("Afficher le rédacteur"), options);
    auto* optionColumn = new QVBoxLayout(options);
    optionColumn->addWidget(tripletFeel_);
    optionColumn->addWidget(showAuthor_);
    optionColumn->addWidget(showTabber_);
    column->addWidget(options);

    title_->setText(text(start.title));
    author_->setText(text(start.author));
    tabber_->setText(text(start.tabber));
    notes_->setPlainText(text(start.notes));
    tripletFeel_->setChecked(start.tripletFeel);
    showAuthor_->setChecked(start.showAuthor);
    showTabber_->setChecked(start.showTabber);

    layOutWithOkCancel(*this, body);
    title_->setFocus();
}

edit::ScoreProperties CDialPiece::properties() const
{
    return {title_->text().toStdString(),
            author_->text().toStdString(),
            tabber_->text().toStdString(),
            notes_->toPlainText().toStdString(),
            tripletFeel_->isChecked(),
            showAuthor_->isChecked(),
            showTabber_->isChecked()};
}

std::optional<edit::ScoreProperties> CDialPiece::ask()
{
    return askModal(*this, [this] { return properties(); });
}
