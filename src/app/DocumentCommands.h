#pragma once

#include "CommandTarget.h"

#include <functional>
#include <string>

class CTabDoc;
class FileChooser;

// The document's own commands: Save and Save As.
class DocumentCommands : public CommandTarget {
public:
    explicit DocumentCommands(CTabDoc& doc) : doc_(doc) {}

    void setFileChooser(FileChooser* chooser) { chooser_ = chooser; }
    // Called with the path written after every successful save.
    void setSavedHandler(std::function<void(const std::string&)> handler) { saved_ = std::move(handler); }

    bool onCommand(int id) override;

    // Saves to the document's path, or asks for one when it has none.
    // False when nothing was written (cancelled or failed).
    bool save();
    bool saveAs();

    // The file name offered by Save As: the current path, else the score's
    // title made safe for a file name, else "Sans Titre.tbf".
    static std::string suggestedName(const CTabDoc& doc);

private:
    bool saveTo(const std::string& path);

    CTabDoc& doc_;
    FileChooser* chooser_ = nullptr;
    std::function<void(const std::string&)> saved_;
};
