#pragma once

#include "Prompter.h"

class QWidget;

// The document's questions and messages as message boxes and a file dialog.
class QtPrompter : public Prompter {
public:
    // parent: the window the boxes are centred on (may change, may be null).
    void setParent(QWidget* parent) { parent_ = parent; }

    bool askYesNo(const std::string& text) override;
    std::optional<std::string> chooseSavePath(const std::string& suggestedPath) override;
    void showMessage(const std::string& text) override;

private:
    QWidget* parent_ = nullptr;
};
