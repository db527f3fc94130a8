#pragma once

#include "FileChooser.h"

class QWidget;

// The Open and Save As dialogs. Qt's own file dialog is used everywhere so
// the type lines read exactly as written and filter by every pattern they
// list (Qt would only split patterns at spaces, not at ';').
class QtFileChooser : public FileChooser {
public:
    explicit QtFileChooser(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    std::optional<std::string> chooseOpenPath(const std::vector<FileFilter>& filters) override;
    std::optional<std::string> chooseSaveAsPath(const std::vector<FileFilter>& filters,
                                                const std::string& suggested) override;
    std::optional<std::string> chooseExportPath(const std::string& title, const std::vector<FileFilter>& filters,
                                                const std::string& suggested, const std::string& suffix) override;

private:
    QWidget* parent_;
};
