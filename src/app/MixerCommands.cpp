#include "MixerCommands.h"

#include "CDialFx.h"
#include "CDialVolTip.h"
#include "CDialVolume.h"
#include "CSoundEngine.h"
#include "CTabDoc.h"
#include "CTabView.h"
#include "TransportController.h"

#include <mutex>

MixerCommands::MixerCommands(CTabDoc& doc, CTabView& view, TransportController& transport)
    : doc_(doc), view_(view), transport_(transport), mixer_(doc)
{
}

template <typename F>
void MixerCommands::locked(F&& change)
{
    {
        std::lock_guard<std::recursive_mutex> lock(transport_.scoreLock());
        change();
    }
    emit view_.stateChanged();
}

std::optional<edit::TrackVolumes> MixerCommands::askVolumes(const edit::VolumeRows& rows)
{
    CDialVolume dialog(rows, &view_);
    auto answer = dialog.ask();
    view_.setFocus(Qt::OtherFocusReason);
    return answer;
}

void MixerCommands::volumes()
{
    view_.Stop();
    const std::optional<edit::TrackVolumes> answer = askVolumes(mixer_.volumeRows(view_.state().cursorTrack));
    if (answer)
        locked([&] { mixer_.applyVolumes(*answer); });
}

void MixerCommands::effects()
{
    const view::ViewState& state = view_.state();
    const auto& track = doc_.tracks[static_cast<std::size_t>(state.cursorTrack)];
    const int measure = state.cursorMeasure.measure;
    const int slot = measure >= 0 && measure < track.GetSize() ? track[measure].instrumentSlot : 0;
    CSoundEngine& engine = transport_.engine();
    CDialFx dialog(sound::FxDialogModel::fromEngine(engine.ReadEffectParams(slot)), &view_);
    const std::optional<sound::FxDialogModel> answer = dialog.ask();
    view_.setFocus(Qt::OtherFocusReason);
    if (answer)
        engine.ApplyEffects(slot, answer->toEngine(engine.ReadEffectParams(slot)));
}

CDialVolTip* MixerCommands::makePopup(int track, QWidget* parent)
{
    if (track < 0 || track >= doc_.trackCount)
        return nullptr;
    CDialVolTip::Handlers h;
    h.volume = [this, track](int v) { locked([&] { mixer_.setVolume(track, v); }); };
    h.pan = [this, track](int p) { locked([&] { mixer_.setPan(track, p); }); };
    h.solo = [this, track](bool on) { locked([&] { mixer_.setSolo(track, on); }); };
    h.mute = [this, track](bool on) { locked([&] { mixer_.setMute(track, on); }); };
    return new CDialVolTip(track, mixer_.strip(track), std::move(h), parent);
}
