#include "CRecoveryDlg.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

CRecoveryDlg::CRecoveryDlg(const std::vector<recovery::Entry>& entries, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setModal(true);

    auto* question = new QLabel(QString::fromUtf8(kRecoveryQuestion), this);
    question->setWordWrap(true);

    list_ = new QListWidget(this);
    for (const recovery::Entry& entry : entries)
        list_->addItem(describe(entry));
    list_->setCurrentRow(static_cast<int>(entries.size()) - 1); // the newest
    list_->setMinimumWidth(420);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* recover = buttons->addButton(QStringLiteral("&Récupérer"), QDialogButtonBox::AcceptRole);
    QPushButton* ignore = buttons->addButton(QStringLiteral("&Ignorer"), QDialogButtonBox::RejectRole);
    QPushButton* discard = buttons->addButton(QStringLiteral("&Supprimer"), QDialogButtonBox::DestructiveRole);
    recover->setDefault(true);
    connect(recover, &QPushButton::clicked, this, [this] { finish(RecoveryChoice::Action::Recover); });
    connect(ignore, &QPushButton::clicked, this, [this] { finish(RecoveryChoice::Action::Ignore); });
    connect(discard, &QPushButton::clicked, this, [this] { finish(RecoveryChoice::Action::Discard); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { finish(RecoveryChoice::Action::Recover); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

void CRecoveryDlg::finish(RecoveryChoice::Action action)
{
    choice_.action = action;
    choice_.index = static_cast<std::size_t>(std::max(list_->currentRow(), 0));
    accept();
}

QString CRecoveryDlg::describe(const recovery::Entry& entry)
{
    QDateTime when;
    if (entry.info)
        when = QDateTime::fromSecsSinceEpoch(entry.info->savedAt);
    else
        when = QFileInfo(QString::fromStdString(entry.hasCopy ? entry.copyPath : entry.infoPath)).lastModified();
    const QString time = QLocale(QLocale::French).toString(when, QStringLiteral("dd/MM/yyyy HH:mm"));
    return QStringLiteral("%1 — %2").arg(QString::fromStdString(recoveryEntryName(entry)), time);
}

RecoveryChoice CRecoveryDlg::ask(const std::vector<recovery::Entry>& entries, QWidget* parent)
{
    CRecoveryDlg dialog(entries, parent);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.choice();
}
