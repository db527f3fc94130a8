#include "CAboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#ifndef FRETLARK_VERSION
#define FRETLARK_VERSION "0.0.0"
#endif

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setPixmap(QIcon(QStringLiteral(":/icons/fretlark.svg")).pixmap(64, 64));
    picture->setAlignment(Qt::AlignTop);

    auto* text = new QLabel(this);
    text->setTextFormat(Qt::RichText);
    text->setText(QStringLiteral(
                      "<p><b style='font-size:14pt'>Fretlark</b><br>Version %1</p>"
                      "<p>Éditeur et lecteur de tablatures pour guitare, basse, batterie et piano.</p>"
                      "<p>Réalisé avec Qt, PortAudio et FluidSynth ; les sons des instruments sont "
                      "tirés d'une banque de sons General MIDI libre.</p>"
                      "<p>Copyright © les auteurs de Fretlark.</p>")
                      .arg(QStringLiteral(FRETLARK_VERSION)));
    text->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addWidget(text, 1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(row);
    column->addWidget(buttons);
    setFixedWidth(420);
}
