#include "Snapshot.h"

#include "ArgNumber.h"
#include "StderrPrompter.h"

#include "CTabDoc.h"
#include "QPainterCanvas.h"
#include "ScoreLayout.h"
#include "ScorePainter.h"
#include "ViewState.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <charconv>
#include <iostream>
#include <memory>

std::optional<SnapshotOptions> parseSnapshotOptions(const std::vector<std::string>& args, std::string& error)
{
    SnapshotOptions o;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            files.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "L'option " + a + " attend une valeur.";
            return std::nullopt;
        }
        const std::string& v = args[++i];
        int n = 0;
        auto number = [&](int lo, int hi, int& target) {
            if (!parseInt(v, n) || n < lo || n > hi) {
                error = "Valeur incorrecte pour " + a + " : " + v;
                return false;
            }
            target = n;
            return true;
        };
        bool ok = true;
        if (a == "--width")
            ok = number(1, 16384, o.width);
        else if (a == "--height")
            ok = number(1, 16384, o.height);
        else if (a == "--zoom")
            ok = number(view::ViewState::kMinZoom, 1000, o.zoom);
        else if (a == "--background")
            ok = number(0, view::ViewState::kBackgroundCount - 1, o.background);
        else if (a == "--track") {
            ok = number(1, model::kMaxTracks, o.track);
            o.track -= 1;
        } else if (a == "--first-line")
            ok = number(0, 100000, o.firstLine);
        else if (a == "--tracks" || a == "--cursor") {
            std::vector<int> values;
            std::size_t start = 0;
            while (ok) {
                const std::size_t comma = v.find(',', start);
                const std::string item = v.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
                int value = 0;
                if (!parseInt(item, value) || value < 1 || value > 100000) {
                    error = "Valeur incorrecte pour " + a + " : " + v;
                    ok = false;
                    break;
                }
                values.push_back(value - 1);
                if (comma == std::string::npos)
                    break;
                start = comma + 1;
            }
            if (ok && a == "--tracks") {
                for (int t : values)
                    if (t >= model::kMaxTracks)
                        ok = false;
                o.tracks = values;
            } else if (ok) {
                if (values.size() != 3)
                    ok = false;
                else {
                    o.cursorMeasure = values[0];
                    o.cursorBeat = values[1];
                    o.cursorString = values[2];
                }
            }
            if (!ok && error.empty())
                error = "Valeur incorrecte pour " + a + " : " + v;
        } else {
            error = "Option inconnue : " + a;
            ok = false;
        }
        if (!ok)
            return std::nullopt;
    }
    if (files.size() != 2) {
        error = "--snapshot attend un fichier de partition et un fichier PNG.";
        return std::nullopt;
    }
    o.input = files[0];
    o.output = files[1];
    return o;
}

void paintView(QImage& image, const CTabDoc& doc, const view::ViewState& state)
{
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    view::DeviceMetrics device;
    device.width = image.width();
    device.height = image.height();
    device.dpi = 96;
    device.fonts = &canvas;
    const view::ScoreLayout layout = view::ScoreLayout::compute(doc, state, device);
    view::ScorePainter(canvas, doc, state, layout).paint();
}

std::unique_ptr<QGuiApplication> startHeadlessGui(int& argc, char** argv)
{
    // No display is needed to paint into an image or a PDF file.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (QGuiApplication::instance())
        return nullptr;
    return std::make_unique<QGuiApplication>(argc, argv);
}

std::optional<int> runSnapshotCommand(int argc, char** argv)
{
    if (argc < 2 || std::string(argv[1]) != "--snapshot")
        return std::nullopt;
    std::string error;
    const auto options = parseSnapshotOptions(std::vector<std::string>(argv + 2, argv + argc), error);
    if (!options) {
        std::cerr << error << '\n';
        return 2;
    }
    const auto app = startHeadlessGui(argc, argv);

    CTabDoc doc;
    StderrPrompter prompter;
    if (!openScoreForCommand(doc, prompter, options->input))
        return 1;

    view::ViewState state;
    state.resetForNewScore();
    state.zoomPercent = options->zoom;
    state.backgroundIndex = options->background;
    const int track = std::min(options->track, std::max(doc.trackCount - 1, 0));
    state.cursorTrack = track;
    if (!options->tracks.empty()) {
        state.shownTracks.fill(false);
        for (int t : options->tracks)
            state.shownTracks[static_cast<std::size_t>(t)] = true;
        state.multiTrackView = true;
    }
    state.firstLine = state.scrollPosition = options->firstLine;
    state.cursorMeasure = {track, std::clamp(options->cursorMeasure, 0, std::max(doc.measureCount - 1, 0))};
    state.cursorMeasureIndex = state.cursorMeasure.measure;
    state.cursorBeat = options->cursorBeat;
    state.cursorString = options->cursorString;

    QImage image(options->width, options->height, QImage::Format_RGB32);
    paintView(image, doc, state);
    if (!image.save(QString::fromStdString(options->output), "PNG")) {
        std::cerr << formatMessage(CTabDoc::kCannotSave, options->output) << '\n';
        return 1;
    }
    return 0;
}
