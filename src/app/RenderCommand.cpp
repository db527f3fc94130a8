#include "RenderCommand.h"

#include "ArgNumber.h"
#include "CSoundEngine.h"
#include "CTabDoc.h"
#include "MidiExport.h"
#include "PlaybackController.h"
#include "RepeatWalk.h"
#include "StderrPrompter.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <vector>

namespace {

constexpr const char* kBadStart = "Le numéro de la mesure de début est incorrect";
constexpr const char* kBadSpeed = "La vitesse de lecture doit être comprise entre 25 et 150 %.";
constexpr const char* kNothingToPlay = "La partition ne contient rien à jouer.";
constexpr const char* kCannotWrite = "Impossible d'enregistrer le fichier %1.";
constexpr float kInaudible = 0.001f; // -60 dBFS
constexpr double kLongestRenderMs = 4.0 * 3600 * 1000; // a runaway loop stops after four hours of sound

void removeQuietly(const std::string& path)
{
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

} // namespace

double playedLengthMs(const CTabDoc& doc, const RenderRequest& request)
{
    if (doc.trackCount < 1 || request.fromMeasure < 0 || request.fromMeasure >= doc.measureCount)
        return 0;
    const double speed = std::clamp(request.practice.speedPercent, PlaybackPass::kMinSpeed, PlaybackPass::kMaxSpeed);
    auto lengthOf = [&](int m) {
        const CMesure& ms = doc.tracks[0][m];
        const int den = ms.denominator > 0 ? ms.denominator : 4;
        return ms.numerator * 192.0 / den * 60000.0 / (std::max(ms.tempo, 1) * 48.0) * 100.0 / speed;
    };
    double total = request.practice.countIn ? lengthOf(request.fromMeasure) : 0;
    RepeatWalk walk(doc);
    walk.arm(request.fromMeasure);
    for (int m = request.fromMeasure, guard = 0; m >= 0 && guard < (1 << 20); ++guard) {
        total += lengthOf(m);
        if (m == request.toMeasure && !walk.repeatsAgain(m))
            break;
        m = walk.advance(m);
    }
    return total;
}

bool renderScoreToWav(CTabDoc& doc, const RenderRequest& request, const std::string& wavPath,
                      const std::string& baseDirectory, Prompter& prompter)
{
    CSoundEngine engine(baseDirectory, &prompter);
    engine.Open(CSoundEngine::Output::Offline);
    if (!engine.LoadBank(std::span<const int>(doc.slotInstrument.data(), doc.slotInstrument.size()), doc.slotCount))
        return false; // the engine has said why
    if (request.prepareEngine)
        request.prepareEngine(engine);
    std::recursive_mutex scoreLock;
    PlaybackController controller(doc, engine, scoreLock);
    PlaybackPass::Start start;
    start.measure = request.fromMeasure;
    start.endMeasure = request.toMeasure;
    start.practice = request.practice;
    start.practice.loopFirst = start.practice.loopLast = -1; // a file plays once
    if (!controller.play(start, 0)) {
        prompter.showMessage(kNothingToPlay);
        return false;
    }

    const double expected = std::max(1.0, playedLengthMs(doc, request) + request.tailMs);
    const auto rate = static_cast<double>(engine.outputFormat().samplesPerSec);
    const auto maxFrames = static_cast<std::int64_t>(kLongestRenderMs / 1000.0 * rate);
    double endedAt = -1;
    bool cancelled = false;
    // Written aside and renamed at the end: a cancelled or failed render
    // leaves neither half a file nor a damaged earlier one.
    const std::string partPath = wavPath + ".part";
    bool written = engine.renderToWav(partPath, maxFrames, [&] {
        const double now = engine.audioClockMs();
        if (request.progress && !request.progress(std::min(1.0, now / expected))) {
            cancelled = true;
            return true;
        }
        if (controller.isPlaying())
            return false;
        if (endedAt < 0)
            endedAt = now;
        // The last notes ring out until they are inaudible, or for tailMs at most.
        return now - endedAt >= request.tailMs || engine.lastChunkPeak() < kInaudible;
    });
    controller.stop();
    if (cancelled) {
        removeQuietly(partPath);
        return false;
    }
    if (written) {
        std::error_code ec;
        std::filesystem::rename(partPath, wavPath, ec);
        written = !ec;
    }
    // The ring-out may end before the longest tail the estimate allowed for.
    if (written && request.progress)
        request.progress(1.0);
    if (!written) {
        removeQuietly(partPath);
        prompter.showMessage(formatMessage(kCannotWrite, wavPath));
    }
    return written;
}

bool renderScoreToWav(CTabDoc& doc, int fromMeasure, const std::string& wavPath, const std::string& baseDirectory,
                      Prompter& prompter, double tailMs)
{
    RenderRequest request;
    request.fromMeasure = fromMeasure;
    request.tailMs = tailMs;
    return renderScoreToWav(doc, request, wavPath, baseDirectory, prompter);
}

bool exportScoreToMidi(const CTabDoc& doc, const std::string& midiPath, Prompter& prompter)
{
    if (MidiExport::write(doc, midiPath))
        return true;
    prompter.showMessage(formatMessage(kCannotWrite, midiPath));
    return false;
}

std::optional<int> runRenderCommand(int argc, char** argv)
{
    if (argc < 2 || std::string(argv[1]) != "--render")
        return std::nullopt;
    std::vector<std::string> files;
    int from = 1;
    RenderRequest request;
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--from" && i + 1 < args.size()) {
            if (!parseInt(args[++i], from)) {
                std::cerr << kBadStart << '\n';
                return 2;
            }
        } else if (a == "--speed" && i + 1 < args.size()) {
            int speed = 0;
            if (!parseInt(args[++i], speed) || speed < PlaybackPass::kMinSpeed || speed > PlaybackPass::kMaxSpeed) {
                std::cerr << kBadSpeed << '\n';
                return 2;
            }
            request.practice.speedPercent = speed;
        } else if (a == "--count-in") {
            request.practice.countIn = true;
        } else if (a == "--metronome") {
            request.practice.metronome = true;
        } else if (a.rfind("--", 0) == 0) {
            files.clear();
            break;
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) {
        std::cerr << "--render attend un fichier d'entrée et un fichier WAV de sortie, puis éventuellement --from N, "
                     "--speed POURCENTAGE, --count-in et --metronome.\n";
        return 2;
    }

    CTabDoc doc;
    StderrPrompter prompter;
    if (!openScoreForCommand(doc, prompter, files[0]))
        return 1;
    if (from < 1 || from > doc.measureCount) {
        std::cerr << kBadStart << '\n';
        return 1;
    }
    request.fromMeasure = from - 1;
    return renderScoreToWav(doc, request, files[1], "./", prompter) ? 0 : 1;
}

std::optional<int> runExportMidiCommand(int argc, char** argv)
{
    if (argc < 2 || std::string(argv[1]) != "--export-midi")
        return std::nullopt;
    if (argc != 4) {
        std::cerr << "--export-midi attend un fichier d'entrée et un fichier MIDI de sortie.\n";
        return 2;
    }
    CTabDoc doc;
    StderrPrompter prompter;
    if (!openScoreForCommand(doc, prompter, argv[2]))
        return 1;
    return exportScoreToMidi(doc, argv[3], prompter) ? 0 : 1;
}
