#pragma once

#include <QDialog>

// "A propos de Fretlark": the program's name, version and credits.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    static constexpr const char* kTitle = "A propos de Fretlark";
};
