#include "QtPrompter.h"

#include "CommandTable.h"
#include "QtFileChooser.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

// Runs a box on top of everything: some window managers stack a box asked
// for while the main window maps itself underneath it, and the box then
// takes every key unseen.
void runOnTop(QMessageBox& box)
{
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    QTimer::singleShot(0, &box, [&box] {
        box.raise();
        box.activateWindow();
    });
    box.exec();
}

} // namespace

bool QtPrompter::askYesNo(const std::string& text)
{
    // No Cancel and no icon: whatever the answer, the operation goes on.
    QMessageBox box(QMessageBox::NoIcon, CommandTable::kTitle, qs(text), QMessageBox::NoButton, parent_);
    QPushButton* yes = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    runOnTop(box);
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
    runOnTop(box);
}
