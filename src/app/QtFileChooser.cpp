#include "QtFileChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>

namespace {

QStringList patternsOf(const std::vector<FileFilter>& filters, const QString& text)
{
    for (const FileFilter& f : filters) {
        if (QString::fromStdString(f.text) != text)
            continue;
        QStringList out;
        for (const std::string& p : f.patterns)
            out << QString::fromStdString(p);
        return out;
    }
    return {};
}

// The extension of a filter's first pattern ("*.tbf" gives "tbf"), empty for
// a pattern that is not a plain extension.
QString firstSuffix(const std::vector<FileFilter>& filters, const QString& text)
{
    const QStringList patterns = patternsOf(filters, text);
    if (patterns.isEmpty() || !patterns.front().startsWith(QLatin1String("*.")))
        return {};
    const QString suffix = patterns.front().mid(2);
    return suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?')) ? QString() : suffix;
}

// Save dialogs get their file name after the filters: Qt reads a line such as
// "(*.tbf;*.gp3)" as one pattern and would give the name its last extension.
std::optional<std::string> run(QFileDialog& dialog, const std::vector<FileFilter>& filters,
                               const QString& fileName = {})
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!filters.empty()) {
        QStringList texts;
        for (const FileFilter& f : filters)
            texts << QString::fromStdString(f.text);
        dialog.setNameFilters(texts);
        auto* model = dialog.findChild<QFileSystemModel*>();
        auto* nameEdit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const bool saving = dialog.acceptMode() == QFileDialog::AcceptSave;
        auto apply = [model, nameEdit, saving, &filters](const QString& text) {
            if (model)
                model->setNameFilters(patternsOf(filters, text));
            const QString suffix = firstSuffix(filters, text);
            if (!saving || !nameEdit || suffix.isEmpty())
                return;
            // Runs after Qt's own renaming: the name takes the chosen type's extension.
            const QString name = nameEdit->text();
            const int dot = name.lastIndexOf(QLatin1Char('.'));
            if (dot > 0)
                nameEdit->setText(name.left(dot + 1) + suffix);
        };
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, apply);
        dialog.selectNameFilter(texts.front());
        apply(texts.front());
    }
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::cleanPath(QFileInfo(dialog.selectedFiles().front()).absoluteFilePath()).toStdString();
}

} // namespace

std::optional<std::string> QtFileChooser::chooseOpenPath(const std::vector<FileFilter>& filters)
{
    QFileDialog dialog(parent_, QStringLiteral("Ouvrir"), QDir::currentPath());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return run(dialog, filters);
}

std::optional<std::string> QtFileChooser::chooseSaveAsPath(const std::vector<FileFilter>& filters,
                                                           const std::string& suggested)
{
    const QFileInfo start(QString::fromStdString(suggested));
    const QString folder = start.path().isEmpty() || start.path() == QLatin1String(".") ? QDir::currentPath() : start.absolutePath();
    QFileDialog dialog(parent_, QStringLiteral("Enregistrer sous"), folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The file gets the type of the first filter (scores are always written
    // as .tbf): the overwrite question then names the file really replaced.
    QString suffix = QStringLiteral("tbf");
    if (!filters.empty() && !filters.front().patterns.empty())
        suffix = QString::fromStdString(filters.front().patterns.front()).section(QLatin1Char('.'), -1);
    dialog.setDefaultSuffix(suffix);
    return run(dialog, filters, suggested.empty() ? QString() : start.fileName());
}

std::optional<std::string> QtFileChooser::chooseExportPath(const std::string& title,
                                                           const std::vector<FileFilter>& filters,
                                                           const std::string& suggested, const std::string& suffix)
{
    const QFileInfo start(QString::fromStdString(suggested));
    const QString folder = start.path().isEmpty() || start.path() == QLatin1String(".") ? QDir::currentPath() : start.absolutePath();
    QFileDialog dialog(parent_, QString::fromStdString(title), folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromStdString(suffix));
    return run(dialog, filters, suggested.empty() ? QString() : start.fileName());
}
