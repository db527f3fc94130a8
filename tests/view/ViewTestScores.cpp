#include "ViewTestScores.h"

namespace vt {

void score(CTabDoc& doc, int tracks, int measures, std::vector<int> instruments)
{
    doc.OnNewDocument();
    doc.trackCount = tracks;
    doc.measureCount = measures;
    doc.slotCount = tracks;
    for (int t = 0; t < tracks; ++t) {
        const auto ti = static_cast<std::size_t>(t);
        doc.slotInstrument[ti] = ti < instruments.size() ? instruments[ti] : model::kFolkGuitar;
        auto& track = doc.tracks[ti];
        track.SetSize(measures);
        for (int m = 0; m < measures; ++m) {
            CMesure& measure = track[m];
            measure.index = m;
            measure.instrumentSlot = t;
            measure.flags = 0;
            measure.beats.SetSize(0);
            measure.beatCount = 0;
        }
    }
}

CMesure& setBeats(CTabDoc& doc, int track, int measure, const std::vector<CAccord>& beats)
{
    CMesure& m = doc.tracks[static_cast<std::size_t>(track)][measure];
    m.beats.SetSize(static_cast<int>(beats.size()));
    for (std::size_t i = 0; i < beats.size(); ++i)
        m.beats[static_cast<int>(i)] = beats[i];
    m.beatCount = static_cast<int>(beats.size());
    return m;
}

std::vector<CAccord> fourQuarters()
{
    return {beat(4, {{0, 1}}), beat(4, {{0, 2}}), beat(4, {{0, 3}}), beat(4, {{0, 4}})};
}

View::View()
{
    device.width = 1000;
    device.height = 700;
    device.dpi = 96;
    device.fonts = &canvas;
    state.resetForNewScore();
}

view::ScoreLayout View::layout() const
{
    return view::ScoreLayout::compute(doc, state, device);
}

RecordingCanvas View::paint()
{
    RecordingCanvas rec;
    view::DeviceMetrics d = device;
    d.fonts = &rec;
    const view::ScoreLayout l = view::ScoreLayout::compute(doc, state, d);
    view::ScorePainter(rec, doc, state, l).paint();
    return rec;
}

const view::MeasureSlot* View::slotOf(const view::ScoreLayout& l, int measure, int track)
{
    for (const view::LineRecord& r : l.lineRecords())
        for (const view::MeasureSlot& s : r.measureSlots)
            if (s.measure == measure && s.track == track)
                return &s;
    return nullptr;
}

} // namespace vt
