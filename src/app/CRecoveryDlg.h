#pragma once

#include "RecoveryOffer.h"

#include <QDialog>

class QListWidget;

// The start-up question about recovery copies: one line per copy (file name
// and time), with "Récupérer", "Ignorer" and "Supprimer".
class CRecoveryDlg : public QDialog {
    Q_OBJECT
public:
    CRecoveryDlg(const std::vector<recovery::Entry>& entries, QWidget* parent = nullptr);

    RecoveryChoice choice() const { return choice_; }
    QListWidget* list() const { return list_; }

    // Shows the dialog and returns the answer; closing it means "Ignorer".
    static RecoveryChoice ask(const std::vector<recovery::Entry>& entries, QWidget* parent);
    // The line shown for an entry.
    static QString describe(const recovery::Entry& entry);

    static constexpr const char* kTitle = "Récupération";

private:
    void finish(RecoveryChoice::Action action);

    QListWidget* list_ = nullptr;
    RecoveryChoice choice_;
};
