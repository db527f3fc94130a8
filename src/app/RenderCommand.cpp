#include "RenderCommand.h"

#include "CSoundEngine.h"
#include "CTabDoc.h"
#include "PlaybackController.h"
#include "StderrPrompter.h"

#include <charconv>
#include <iostream>
#include <mutex>
#include <vector>

namespace {

constexpr const char* kBadStart = "Le numéro de la mesure de début est incorrect";
constexpr const char* kNothingToPlay = "La partition ne contient rien à jouer.";
constexpr const char* kCannotWrite = "Impossible d'enregistrer le fichier %1.";
constexpr float kInaudible = 0.001f; // -60 dBFS
constexpr double kLongestRenderMs = 4.0 * 3600 * 1000; // a runaway loop stops after four hours of sound

} // namespace

bool renderScoreToWav(CTabDoc& doc, int fromMeasure, const std::string& wavPath, const std::string& baseDirectory,
                      Prompter& prompter, double tailMs)
{
    CSoundEngine engine(baseDirectory, &prompter);
    engine.Open(CSoundEngine::Output::Offline);
    if (!engine.LoadBank(std::span<const int>(doc.slotInstrument.data(), doc.slotInstrument.size()), doc.slotCount))
        return false; // the engine has said why
    std::recursive_mutex scoreLock;
    PlaybackController controller(doc, engine, scoreLock);
    PlaybackPass::Start start;
    start.measure = fromMeasure;
    if (!controller.play(start, 0)) {
        prompter.showMessage(kNothingToPlay);
        return false;
    }

    const auto rate = static_cast<double>(engine.outputFormat().samplesPerSec);
    const auto maxFrames = static_cast<std::int64_t>(kLongestRenderMs / 1000.0 * rate);
    double endedAt = -1;
    const bool written = engine.renderToWav(wavPath, maxFrames, [&] {
        if (controller.isPlaying())
            return false;
        const double now = engine.audioClockMs();
        if (endedAt < 0)
            endedAt = now;
        // The last notes ring out until they are inaudible, or for tailMs at most.
        return now - endedAt >= tailMs || engine.lastChunkPeak() < kInaudible;
    });
    controller.stop();
    if (!written)
        prompter.showMessage(formatMessage(kCannotWrite, wavPath));
    return written;
}

std::optional<int> runRenderCommand(int argc, char** argv)
{
    if (argc < 2 || std::string(argv[1]) != "--render")
        return std::nullopt;
    std::vector<std::string> args(argv + 2, argv + argc);
    int from = 1;
    if (args.size() == 4 && args[2] == "--from") {
        const std::string& n = args[3];
        auto [ptr, ec] = std::from_chars(n.data(), n.data() + n.size(), from);
        if (ec != std::errc() || ptr != n.data() + n.size()) {
            std::cerr << kBadStart << '\n';
            return 2;
        }
        args.resize(2);
    }
    if (args.size() != 2) {
        std::cerr << "--render attend un fichier d'entrée et un fichier WAV de sortie, puis éventuellement --from N.\n";
        return 2;
    }

    CTabDoc doc;
    StderrPrompter prompter;
    doc.setPrompter(&prompter);
    doc.OnNewDocument();
    doc.OnOpenDocument(args[0]);
    if (doc.lastOpenFailed())
        return 1;
    if (from < 1 || from > doc.measureCount) {
        std::cerr << kBadStart << '\n';
        return 1;
    }
    return renderScoreToWav(doc, from - 1, args[1], "./", prompter) ? 0 : 1;
}
