#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

class CTabDoc;
class QGuiApplication;
class QImage;
namespace view {
struct ViewState;
}

// `fretlark --snapshot IN OUT.png [--width W] [--height H] [--zoom Z]
// [--background B]` paints the score view as the screen shows it, without a
// display. Extra options help to look at other parts of a score:
// `--track T` (single-track view of track T, 1-based), `--tracks 1,2,...`
// (multi-track view), `--first-line N` (scrolled to line N),
// `--cursor M,B,S` (cursor on measure M, beat B, string S; 1-based).
// Returns the exit code when argv asks for a snapshot, nothing otherwise.
std::optional<int> runSnapshotCommand(int argc, char** argv);

struct SnapshotOptions {
    std::string input;
    std::string output;
    int width = 1280;
    int height = 800;
    int zoom = 100;
    int background = 4;
    int track = 0;
    std::vector<int> tracks;
    int firstLine = 0;
    int cursorMeasure = 0;
    int cursorBeat = 0;
    int cursorString = 3;
};

// Parses the arguments after "--snapshot"; the French reason on failure.
std::optional<SnapshotOptions> parseSnapshotOptions(const std::vector<std::string>& args, std::string& error);

// Paints the view of a score into an image of the image's size.
void paintView(QImage& image, const CTabDoc& doc, const view::ViewState& state);

// What a headless mode that paints needs: Qt's offscreen platform unless the
// user chose another, and a QGuiApplication when none runs yet (returned,
// null when one was already running).
std::unique_ptr<QGuiApplication> startHeadlessGui(int& argc, char** argv);
