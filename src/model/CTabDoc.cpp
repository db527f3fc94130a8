#include "CTabDoc.h"

#include "ByteReader.h"
#include "FileIo.h"
#include "GpImport.h"
#include "TbfFormat.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::array<int, 6> kStandardTuning = {2, 7, 12, 17, 21, 26};

std::string lowerExtension(const std::string& path)
{
    std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : path;
    for (char& c : tail)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail;
}

// Rest beats filling `missing` 64ths, longest first, as far as the file can
// hold beats.
void appendRests(CMesure& m, int missing)
{
    for (int code = 6; code >= 0 && missing > 0; --code) {
        const int ticks = 1 << code;
        while (missing >= ticks && m.beats.GetSize() < model::kMaxBeatsPerMeasure) {
            CAccord rest;
            rest.durationCode = code;
            rest.isRest = 1;
            m.beats.Add(rest);
            missing -= ticks;
        }
    }
    m.beatCount = m.beats.GetSize();
}

// Sounding length of the beats in use, in thirds of a 64th: a triplet mark
// makes its beat and the two after it last two thirds of their value.
int usedThirds(const CMesure& m)
{
    int counter = 0;
    int sum = 0;
    const int n = std::min(m.beatCount, m.beats.GetSize());
    for (int i = 0; i < n; ++i) {
        const CAccord& b = m.beats[i];
        int time = (1 << b.durationCode) * (b.isTriplet ? 2 : 3);
        if (b.isDotted)
            time += time / 2;
        if (b.isTriplet)
            counter += 2;
        else if (counter > 0) {
            time = time * 2 / 3;
            --counter;
        }
        sum += time;
    }
    return sum;
}

} // namespace

std::string formatMessage(const std::string& text, const std::string& arg)
{
    std::string out = text;
    const auto p = out.find("%1");
    if (p != std::string::npos)
        out.replace(p, 2, arg);
    return out;
}

CTabDoc::CTabDoc()
{
    instrumentNames = {"Guitare Folk", "Guitare Electrique Clean", "Basse", "Batterie", "Guitare Electrique Saturée",
                       "Guitare Classique", "Piano", "", "", ""};
    trackNames[0] = instrumentNames[0];
    isSaved = 1;
    tripletFeel = showTabber = showAuthor = isFreshLoad = 0;
    trackCount = 1;
    soloTrack = 0;
    arpeggioLatency.fill(7);
    capo.fill(0);
    volume.fill(100);
    pan.fill(50);
    mute.fill(0);
    tuning.fill(kStandardTuning);
    resetSlots();
}

int CTabDoc::instrumentOfSlot(int slot) const
{
    if (slot < 0 || slot >= model::kMaxSlots)
        return model::kFreeSlot;
    return slotInstrument[static_cast<std::size_t>(slot)];
}

int CTabDoc::instrumentOfTrack(int t) const
{
    if (t < 0 || t >= model::kMaxTracks || tracks[static_cast<std::size_t>(t)].IsEmpty())
        return model::kFreeSlot;
    return instrumentOfSlot(tracks[static_cast<std::size_t>(t)][0].instrumentSlot);
}

void CTabDoc::resetSlots()
{
    slotCount = 1;
    slotOrder.fill(model::kFreeSlot);
    slotInstrument.fill(model::kFreeSlot);
    slotOrder[0] = 0;
    slotInstrument[0] = model::kFolkGuitar;
}

std::string CTabDoc::savePathFor(const std::string& path)
{
    return lowerExtension(path) == ".tbf" ? path : path + ".tbf";
}

void CTabDoc::report(const std::string& message)
{
    lastError_ = message;
    if (prompter_)
        prompter_->showMessage(message);
}

bool CTabDoc::modifiedPrompt(bool requireMeasures)
{
    if (isSaved != 0 || (requireMeasures && measureCount == 0) || !prompter_)
        return true;
    if (!prompter_->askYesNo(kModifiedPrompt))
        return true;
    // A score that was never saved has no path to save to: ask for one too.
    std::string target = pathName;
    if (title == kUntitled || target.empty()) {
        auto chosen = prompter_->chooseSavePath(pathName);
        if (!chosen || chosen->empty())
            return false;
        target = *chosen;
    }
    return OnSaveDocument(target);
}

void CTabDoc::DeleteContents()
{
    listener_->clearCursorMeasure();
    for (auto& track : tracks)
        track.RemoveAll();
}

bool CTabDoc::OnNewDocument()
{
    if (!modifiedPrompt(true))
        return false;
    return newDocumentSteps();
}

bool CTabDoc::newDocumentSteps()
{
    if (listener_->isWindowUp()) {
        listener_->stopPlayback();
        listener_->releaseSamples();
    }
    DeleteContents();
    pathName.clear();

    scoreNumerator = 4;
    scoreDenominator = 4;
    soloTrack = 0;
    for (int t = 0; t < model::kMaxTracks; ++t) {
        const auto ti = static_cast<std::size_t>(t);
        mute[ti] = 0;
        CArray<CMesure>& track = tracks[ti];
        track.SetSize(model::kNewScoreMeasures);
        for (int m = 0; m < model::kNewScoreMeasures; ++m) {
            CMesure& measure = track[m];
            measure.index = m;
            measure.instrumentSlot = t;
            measure.flags = m == 0 ? (model::kFlagFirst | model::kFlagLast) : model::kFlagMiddle;
        }
        CMesure& first = track[0];
        resetMeasureBeats(first, 1);
        first.isCompacted = 0;
        first.beatCount = 1;
        trackNames[ti].clear();
    }
    showTabber = 1;
    showAuthor = 1;
    tripletFeel = 0;
    tabber.clear();
    author.clear();
    scoreTempo = 60;
    resetSlots();
    for (int t = 0; t < model::kMaxTracks; ++t) {
        const auto ti = static_cast<std::size_t>(t);
        arpeggioLatency[ti] = 7;
        capo[ti] = 0;
        volume[ti] = 100;
        pan[ti] = 50;
        tuning[ti] = kStandardTuning;
    }
    needsInit = 1;
    trackCount = 1;
    title = kUntitled;
    measureCount = 1;
    isFreshLoad = 1;
    if (recorder_)
        recorder_->scoreReplaced();
    listener_->documentUpdated();
    isSaved = 1;
    return true;
}

void CTabDoc::failOpen(const std::string& message)
{
    lastOpenFailed_ = true;
    if (!message.empty())
        report(message);
}

bool CTabDoc::OnOpenDocument(const std::string& path)
{
    lastOpenFailed_ = false;
    lastError_.clear();
    if (!modifiedPrompt(true))
        return false;
    if (listener_->isWindowUp()) {
        listener_->stopPlayback();
        listener_->releaseSamples();
        listener_->resetCursorBeat();
    }

    const std::optional<std::string> bytes = fileio::readAll(path);
    if (!bytes) {
        clearSettingsForOpen();
        failOpen(formatMessage(kCannotOpen, path));
    } else {
        readScore(path, *bytes);
    }
    return finishOpen(path);
}

bool CTabDoc::OnRecoverDocument(const std::string& copyPath, const std::string& originalPath)
{
    lastError_.clear();
    const std::optional<std::string> bytes = fileio::readAll(copyPath);
    if (!bytes) {
        lastError_ = formatMessage(kCannotOpen, copyPath);
        return false;
    }
    {
        // Read on the side first: a damaged copy must not cost the current score.
        CTabDoc trial;
        if (!trial.readScore(copyPath, *bytes)) {
            lastError_ = trial.lastError();
            return false;
        }
    }
    if (!OnOpenDocument(copyPath) || lastOpenFailed_)
        return false;
    pathName = originalPath;
    isSaved = 0;
    listener_->documentUpdated();
    return true;
}

bool CTabDoc::readScore(const std::string& path, const std::string& bytes)
{
    lastOpenFailed_ = false;
    lastError_.clear();
    clearSettingsForOpen();
    readBytes(path, bytes);
    if (lastOpenFailed_)
        return false;
    if (measureCount != 0 && trackCount != 0) {
        const CMesure& first = tracks[0][0];
        scoreTempo = first.tempo;
        scoreDenominator = first.denominator;
        scoreNumerator = first.numerator;
    }
    return true;
}

void CTabDoc::clearSettingsForOpen()
{
    slotCount = 0;
    trackCount = 0;
    for (auto& name : trackNames)
        name.clear();
    slotOrder.fill(model::kFreeSlot);
    slotInstrument.fill(model::kFreeSlot);
    arpeggioLatency.fill(7);
    capo.fill(0);
    volume.fill(100);
    pan.fill(50);
    tripletFeel = showAuthor = showTabber = 0;
    author.clear();
    tabber.clear();
    notes.clear();
    needsInit = 1;
}

void CTabDoc::readBytes(const std::string& path, const std::string& bytes)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::string ext = lowerExtension(path);
    const bool isGp3 = ext == ".gp3";
    const bool isGp4 = ext == ".gp4";
    const bool isGp5 = ext == ".gp5";
    const bool isGp = isGp3 || isGp4 || isGp5;
    const bool native = ext == ".tbf" || (!isGp && bytes.size() >= 4 && bytes.compare(1, 3, "TBF") == 0);
    try {
        if (isGp) {
            DeleteContents();
            const auto import = isGp3 ? importGp3 : (isGp4 ? importGp4 : importGp5);
            if (!import(*this, data, bytes.size()))
                failOpen(kImportProblem);
        } else if (native) {
            tbf::read(*this, data, bytes.size());
        } else {
            failOpen(kBadFormat);
        }
    } catch (const EndOfData&) {
        failOpen(isGp ? std::string(kImportProblem) : formatMessage(kEndOfFile, path));
    } catch (const DamagedFile&) {
        failOpen(kBadFormat);
    } catch (const std::exception&) {
        // An importer's array index out of range: the file is not usable.
        failOpen(isGp ? std::string(kImportProblem) : std::string(kBadFormat));
    }
}

bool CTabDoc::finishOpen(const std::string& path)
{
    if (lastOpenFailed_) {
        // The user already answered the question about unsaved changes, and a
        // half-read score is not worth saving: reset without asking again.
        return newDocumentSteps();
    }

    pathName = path;
    listener_->resetCursor();
    isFreshLoad = 1;
    needsInit = 0;
    if (recorder_)
        recorder_->scoreReplaced();
    listener_->documentUpdated();
    isSaved = 1;
    if (listener_->isWindowUp())
        listener_->stopPlayback();
    return true;
}

void CTabDoc::normalizeEndOfScore()
{
    // The measure before a dropped one becomes the last and is tidied in
    // turn, so saving what was saved changes nothing.
    while (measureCount >= 1 && trackCount >= 1 && tidyLastMeasure()) {
    }
}

int CTabDoc::emptyMeasuresAtEnd() const
{
    int count = 0;
    for (int m = measureCount - 1; m >= 0; --m, ++count) {
        for (int t = 0; t < trackCount; ++t) {
            const CArray<CMesure>& track = tracks[static_cast<std::size_t>(t)];
            if (m >= track.GetSize())
                continue;
            const CMesure& measure = track[m];
            const int n = std::clamp(measure.beatCount, 0, measure.beats.GetSize());
            for (int b = 0; b < n; ++b)
                if (measure.beats[b].isRest || !measure.beats[b].hasNoFrets())
                    return count;
        }
    }
    return count;
}

bool CTabDoc::tidyLastMeasure()
{
    const int last = measureCount - 1;
    bool allEmpty = true;
    for (int t = 0; t < trackCount; ++t) {
        CArray<CMesure>& track = tracks[static_cast<std::size_t>(t)];
        if (track.GetSize() <= last)
            track.SetSize(last + 1);
        CMesure& m = track[last];
        if (isMeasureFull(m))
            compactMeasure(m);
        else
            m.isCompacted = 0;
        m.flags |= model::kFlagLast;
        // Spare beats past beatCount are not part of the score.
        m.beats.SetSize(std::clamp(m.beatCount, 0, m.beats.GetSize()));
        while (m.beats.GetSize() > 0) {
            const CAccord& b = m.beats[m.beats.GetSize() - 1];
            if (b.isRest || !b.hasNoFrets())
                break;
            m.beats.RemoveAt(m.beats.GetSize() - 1);
        }
        m.beatCount = m.beats.GetSize();
        if (m.beatCount > 0)
            allEmpty = false;
    }

    if (allEmpty) {
        // The last measure holds nothing in any track: drop it everywhere.
        --measureCount;
        for (int t = 0; t < trackCount; ++t) {
            CArray<CMesure>& track = tracks[static_cast<std::size_t>(t)];
            track.SetSize(measureCount);
            if (measureCount > 0)
                track[measureCount - 1].flags |= model::kFlagLast;
        }
    } else {
        // Keep the measure; complete every track's copy of it with rests so no
        // beat holding notes is lost and every track has the same length.
        for (int t = 0; t < trackCount; ++t) {
            CMesure& m = tracks[static_cast<std::size_t>(t)][last];
            // Rests after triplet marks count two thirds (marks in a row add
            // up), so one pass may leave the measure short: fill until it no
            // longer is, or the next save would add more rests. Each pass adds
            // a rest, so this ends, at the latest when the measure is full.
            while (m.beats.GetSize() < model::kMaxBeatsPerMeasure) {
                const int missingThirds = measureLengthTicks(m) * 3 - usedThirds(m);
                if (missingThirds < 3)
                    break;
                appendRests(m, missingThirds / 3);
            }
        }
    }

    for (int t = 0; t < trackCount; ++t) {
        CArray<CMesure>& track = tracks[static_cast<std::size_t>(t)];
        track.SetSize(std::max(measureCount, 0));
        track.FreeExtra();
    }
    return allEmpty;
}

void CTabDoc::shapeForSave()
{
    normalizeEndOfScore();
    if (measureCount <= 0) {
        measureCount = 1;
        scoreNumerator = 4;
        scoreDenominator = 4;
        for (int t = 0; t < model::kMaxTracks; ++t) {
            CArray<CMesure>& track = tracks[static_cast<std::size_t>(t)];
            track.SetSize(1);
            CMesure& m = track[0];
            m.index = 0;
            resetMeasureBeats(m, 1);
            m.beats[0].isRest = 0;
            m.beats[0].durationCode = 6;
            m.beatCount = 1;
            m.tempo = scoreTempo;
            m.numerator = scoreNumerator;
            m.denominator = scoreDenominator;
            compactMeasure(m);
            m.flags |= model::kFlagFirst | model::kFlagLast;
        }
    }
}

std::string CTabDoc::bytesForSave()
{
    shapeForSave();
    return tbf::write(*this);
}

bool CTabDoc::OnSaveDocument(const std::string& requestedPath)
{
    lastError_.clear();
    if (listener_->isWindowUp())
        listener_->stopPlayback();
    int remembered = listener_->cursorMeasureIndex();
    const std::string path = savePathFor(requestedPath);

    const int before = measureCount;
    if (recorder_)
        recorder_->beforeTidy();
    shapeForSave();
    if (recorder_)
        recorder_->afterTidy();
    if (measureCount < before && remembered > 0)
        remembered = std::max(0, remembered - (before - measureCount));
    if (remembered >= 0)
        listener_->setCursorMeasureIndex(std::clamp(remembered, 0, measureCount - 1));

    bool ok = false;
    try {
        const std::string bytes = tbf::write(*this);
        const std::string why = fileio::writeAtomically(path, bytes);
        ok = why.empty();
        if (!ok)
            report(formatMessage(kCannotSave, path) + "\n" + why);
    } catch (const std::exception& e) {
        report(formatMessage(kCannotSave, path) + "\n" + e.what());
    }
    isSaved = ok ? 1 : 0;
    if (ok)
        pathName = path;
    needsInit = 0;
    listener_->documentUpdated();
    return ok;
}

bool CTabDoc::OnCloseDocument()
{
    if (!modifiedPrompt(false))
        return false;
    if (listener_->isWindowUp()) {
        listener_->stopPlayback();
        listener_->releaseSamples();
    }
    DeleteContents();
    scoreNumerator = 4;
    scoreDenominator = 4;
    showTabber = 1;
    showAuthor = 1;
    tripletFeel = 0;
    tabber.clear();
    author.clear();
    scoreTempo = 60;
    resetSlots();
    if (recorder_)
        recorder_->scoreReplaced();
    return true;
}
