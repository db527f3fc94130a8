#pragma once

class QDialog;
class QWidget;

// The layout every small dialog of the program shares: its group of controls
// above an "OK" (default) and "Annuler" row.
void layOutWithOkCancel(QDialog& dialog, QWidget* group);
