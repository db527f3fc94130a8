#include "QtPrompter.h"

#include "CommandTable.h"
#include "QtFileChooser.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

bool QtPrompter::askYesNo(const std::string& text)
{
    // No Cancel and no icon: whatever the answer, the operation goes on.
    QMessageBox box(QMessageBox::NoIcon, CommandTable::kTitle, qs(text), QMessageBox::NoButton, parent_);
    QPushButton* yes = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return box.clickedButton() == yes;
}

std::optional<std::string> QtPrompter::chooseSavePath(const std::string& suggestedPath)
{
    return QtFileChooser(parent_).chooseSaveAsPath({}, suggestedPath);
}

void QtPrompter::showMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::Warning, CommandTable::kTitle, qs(text), QMessageBox::NoButton, parent_);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}
