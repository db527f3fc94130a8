#include "QtFileChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>

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

std::optional<std::string> run(QFileDialog& dialog, const std::vector<FileFilter>& filters)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!filters.empty()) {
        QStringList texts;
        for (const FileFilter& f : filters)
            texts << QString::fromStdString(f.text);
        dialog.setNameFilters(texts);
        auto* model = dialog.findChild<QFileSystemModel*>();
        auto apply = [model, &filters](const QString& text) {
            if (model)
                model->setNameFilters(patternsOf(filters, text));
        };
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, apply);
        dialog.selectNameFilter(texts.front());
        apply(texts.front());
    }
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
    if (!suggested.empty())
        dialog.selectFile(start.fileName());
    return run(dialog, filters);
}
