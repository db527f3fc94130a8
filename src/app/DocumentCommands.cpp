#include "DocumentCommands.h"

#include "CTabDoc.h"
#include "CommandIds.h"
#include "FileChooser.h"
#include "TrackLabels.h"

#include <cctype>

bool DocumentCommands::onCommand(int id)
{
    switch (id) {
    case cmd::FileSave:
        save();
        return true;
    case cmd::FileSaveAs:
        saveAs();
        return true;
    default:
        return false;
    }
}

bool DocumentCommands::save()
{
    if (doc_.pathName.empty())
        return saveAs();
    return saveTo(doc_.pathName);
}

bool DocumentCommands::saveAs()
{
    if (!chooser_)
        return false;
    const auto path = chooser_->chooseSaveAsPath(FileFilter::documentFilters(), suggestedName(doc_));
    if (!path || path->empty())
        return false;
    return saveTo(*path);
}

bool DocumentCommands::saveTo(const std::string& path)
{
    if (!doc_.OnSaveDocument(path))
        return false;
    if (saved_)
        saved_(doc_.pathName);
    return true;
}

std::string DocumentCommands::suggestedName(const CTabDoc& doc)
{
    if (!doc.pathName.empty()) {
        // An imported score is offered under its own name as a native file.
        std::string path = doc.pathName;
        std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : "";
        for (char& c : tail)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (tail == ".gp3" || tail == ".gp4" || tail == ".gp5")
            path.replace(path.size() - 4, 4, ".tbf");
        return path;
    }
    std::string name;
    for (char c : TrackLabels::trimmed(doc.title)) {
        const auto u = static_cast<unsigned char>(c);
        name += (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) ? '_' : c;
    }
    // Stay well inside the usual 255-byte limit, without cutting a UTF-8 sequence.
    constexpr std::size_t kLongest = 120;
    if (name.size() > kLongest) {
        std::size_t cut = kLongest;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    if (name.empty() || name == "." || name == "..")
        name = CTabDoc::kUntitled;
    return name + ".tbf";
}
