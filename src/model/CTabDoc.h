#pragma once

#include "CMesure.h"
#include "DocumentListener.h"
#include "Prompter.h"
#include "ScoreChangeRecorder.h"

#include <array>
#include <string>

// The single score document: the score fields and its life cycle
// (new, open, save, close) with the question about unsaved changes.
class CTabDoc {
public:
    CTabDoc();

    // ---- score (field names and order as the rest of the program knows them) ----
    std::array<CArray<CMesure>, model::kMaxTracks> tracks;
    int slotCount = 1;
    std::array<int, model::kMaxSlots> slotOrder{};
    std::array<int, model::kMaxSlots> slotInstrument{};
    int scoreTempo = 60;
    int scoreNumerator = 4;
    int scoreDenominator = 4;
    int measureCount = 1;
    int trackCount = 1;
    std::array<int, model::kMaxTracks> arpeggioLatency{};
    std::array<int, model::kMaxTracks> capo{};
    std::array<int, model::kMaxTracks> volume{};
    std::array<std::array<int, 6>, model::kMaxTracks> tuning{};
    std::array<int, model::kMaxTracks> pan{};
    std::string title;
    std::string notes;
    std::string tabber;
    std::string author;
    int isSaved = 1;
    int tripletFeel = 0;
    int showTabber = 1;
    int showAuthor = 1;
    int isFreshLoad = 1;
    std::array<std::string, model::kMaxTracks> trackNames;
    std::array<std::string, model::kMaxTracks> instrumentNames;
    int soloTrack = 0;
    std::array<int, model::kMaxTracks> mute{};
    std::string signature = "TBF";
    int needsInit = 1;

    // ---- framework state ----
    std::string pathName; // file the score was loaded from or saved to

    static constexpr const char* kUntitled = "Sans Titre";
    static constexpr const char* kModifiedPrompt =
        "La partition n'a pas été sauvée depuis la dernière modification\n\nVoulez-vous la sauver maintenant ?";
    static constexpr const char* kImportProblem = "Un problème est survenu lors de l'ouverture de la partition";
    static constexpr const char* kEndOfFile = "Tentative d'accès à %1 après sa fin.";
    static constexpr const char* kBadFormat = "Format de fichier inattendu.";
    static constexpr const char* kCannotOpen = "Impossible d'ouvrir le fichier %1.";
    static constexpr const char* kCannotSave = "Impossible d'enregistrer le fichier %1.";

    void setPrompter(Prompter* p) { prompter_ = p; }
    void setListener(DocumentListener* l) { listener_ = l ? l : &noListener_; }
    void setChangeRecorder(ScoreChangeRecorder* r) { recorder_ = r; }

    // ---- life cycle ----
    // Each returns false when the user's answer to the modified prompt stopped
    // it (Yes, then no file chosen or the save failed): the score is untouched.
    bool OnNewDocument();
    // True when the file was read; on failure the score is reset to a new one
    // (see lastOpenFailed) and the result of that reset is returned.
    bool OnOpenDocument(const std::string& path);
    // The reading part of open on bytes in memory: settings cleared, the
    // reader chosen by the path's extension or the bytes, the score values
    // taken from the first measure. False on failure (see lastError), the
    // score then being half read: nothing is reset and no listener is told.
    bool readScore(const std::string& path, const std::string& bytes);
    bool OnSaveDocument(const std::string& path);
    // Opens a recovery copy as the score it stands for: the path becomes the
    // original one (empty for a score never saved) and the score stays marked
    // modified. A copy that cannot be read leaves the score as it was and
    // returns false, with the reason in lastError.
    bool OnRecoverDocument(const std::string& copyPath, const std::string& originalPath);
    // The save steps that shape the score (end of score tidied, minimum
    // rebuilt) and the bytes the save writes. Throws CannotWrite.
    std::string bytesForSave();
    bool OnCloseDocument();
    void DeleteContents();

    // Whether the last OnOpenDocument failed to read its file (and why).
    bool lastOpenFailed() const { return lastOpenFailed_; }
    const std::string& lastError() const { return lastError_; }

    // ---- helpers other parts use ----
    int instrumentOfTrack(int t) const;
    int instrumentOfSlot(int slot) const;
    static int stringCountOfInstrument(int code) { return code == model::kBass ? 4 : 6; }
    // Shared by new score and close: the slot table back to one folk-guitar slot.
    void resetSlots();
    // Path the save step really writes: ".tbf" appended when missing.
    static std::string savePathFor(const std::string& path);

    // Tidies the end of the score before writing (public for tests): drops
    // the measures at the end that hold nothing in any track, then completes
    // the new last measure with rests.
    void normalizeEndOfScore();
    // How many measures at the end hold nothing in any track (what the tidy-up drops).
    int emptyMeasuresAtEnd() const;

private:
    // Returns false when the operation must be abandoned.
    bool modifiedPrompt(bool requireMeasures);
    bool newDocumentSteps();
    void failOpen(const std::string& message);
    void clearSettingsForOpen();
    void shapeForSave();
    // True when the last measure was empty in every track and dropped.
    bool tidyLastMeasure();
    void readBytes(const std::string& path, const std::string& bytes);
    bool finishOpen(const std::string& path);
    void report(const std::string& message);

    Prompter* prompter_ = nullptr;
    DocumentListener noListener_;
    DocumentListener* listener_ = &noListener_;
    ScoreChangeRecorder* recorder_ = nullptr;
    bool lastOpenFailed_ = false;
    std::string lastError_;
};

// Replaces %1 in a message with the argument.
std::string formatMessage(const std::string& text, const std::string& arg);
