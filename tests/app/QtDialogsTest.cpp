// The real Qt dialogs behind the document's questions and the file commands.
#include "FileFilter.h"
#include "QtFileChooser.h"
#include "QtPrompter.h"
#include "TempDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

// Runs check on the modal window that the next exec() opens.
void onNextModal(std::function<void(QWidget*)> check)
{
    QTimer::singleShot(0, [check] {
        QWidget* modal = nullptr;
        if (QTest::qWaitFor([&] { return (modal = QApplication::activeModalWidget()) != nullptr; }, 2000))
            check(modal);
    });
}

QStringList shownFiles(QFileDialog* dialog, const QString& folder)
{
    auto* model = dialog->findChild<QFileSystemModel*>();
    const QModelIndex root = model->index(folder);
    QStringList names;
    for (int r = 0; r < model->rowCount(root); ++r) {
        const QModelIndex i = model->index(r, 0, root);
        if (!model->isDir(i))
            names << model->fileName(i);
    }
    names.sort();
    return names;
}

} // namespace

TEST(QtDialogs, OpenDialogShowsTheTypeLinesAsWrittenAndFiltersByEachPattern)
{
    TempDir dir;
    for (const char* name : {"a.tbf", "b.GP3", "c.gp4", "d.txt", "e.Gp5"})
        TempDir::write(dir.file(name), "x");
    std::filesystem::create_directory(dir.path() / "sous-dossier");
    const QString folder = QString::fromStdString(dir.path().string());
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder); // the dialog opens on the current folder

    QStringList lines, all, native;
    onNextModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        lines = dialog->nameFilters();
        EXPECT_TRUE(QTest::qWaitFor([&] { return shownFiles(dialog, folder).size() == 4; }, 3000));
        all = shownFiles(dialog, folder);
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        types->setCurrentIndex(1);
        emit types->activated(1);
        EXPECT_TRUE(QTest::qWaitFor([&] { return shownFiles(dialog, folder).size() == 1; }, 3000));
        native = shownFiles(dialog, folder);
        dialog->reject();
    });
    QtFileChooser chooser;
    EXPECT_FALSE(chooser.chooseOpenPath(FileFilter::documentFilters()).has_value());
    QDir::setCurrent(previous);
    EXPECT_EQ(lines, (QStringList{"Tablatures (*.tbf;*.gp3;*.gp4;*.gp5)", "Fichier Fretlark(*.tbf)",
                                  "Fichier Gp3(*.gp3)", "Fichier Gp4(*.gp4)", "Guitar Pro 5 (*.gp5)"}));
    EXPECT_EQ(all, (QStringList{"a.tbf", "b.GP3", "c.gp4", "e.Gp5"}));
    EXPECT_EQ(native, QStringList{"a.tbf"});
}

TEST(QtDialogs, SaveAsOffersTheScoreNameAsANativeFile)
{
    // The first file type lists four extensions; the name keeps ".tbf", also
    // after the user picks another type and comes back.
    QStringList names;
    onNextModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_TRUE(name && types);
        names << name->text();
        for (int index : {3, 0}) {
            // What a click on a line of the list sends, in this order.
            types->setCurrentIndex(index);
            emit types->activated(index);
            emit types->textActivated(types->itemText(index));
            names << name->text();
        }
        dialog->reject();
    });
    QtFileChooser chooser;
    EXPECT_FALSE(chooser.chooseSaveAsPath(FileFilter::documentFilters(), "/tmp/Riff en la.tbf").has_value());
    EXPECT_EQ(names, (QStringList{"Riff en la.tbf", "Riff en la.gp4", "Riff en la.tbf"}));
}

TEST(QtDialogs, ModifiedQuestionHasYesAndNoAndNoIcon)
{
    QtPrompter prompter;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QStringList buttons;
    QString title;
    onNextModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        icon = box->icon();
        title = box->windowTitle();
        QAbstractButton* no = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            buttons << b->text();
            if (b->text() == QLatin1String("&Non"))
                no = b;
        }
        ASSERT_NE(no, nullptr);
        no->click();
    });
    EXPECT_FALSE(prompter.askYesNo("Voulez-vous la sauver maintenant ?"));
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(title, QStringLiteral("Fretlark"));
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"&Non", "&Oui"}));
}
