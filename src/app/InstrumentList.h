#pragma once

#include <QListWidget>

#include <array>
#include <string>

// The instrument list of the track dialogs: the first `count` instruments in
// the dialogs' order, each entry holding its code.
class InstrumentList : public QListWidget {
public:
    InstrumentList(const std::array<std::string, 10>& names, int count, QWidget* parent);
    // Code of the selected entry (the first entry's when none is).
    int code() const;
    void selectCode(int code);
};
