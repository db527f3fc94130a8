#pragma once

namespace view {
struct ViewState;
}

// The view's two settings that outlive a run, "Zoom" and "Back", kept with
// QSettings under the application's organisation ("Fretlark").
namespace ViewSettings {

// Applies the saved values; missing or unusable ones leave the state's.
void load(view::ViewState& state);
void save(const view::ViewState& state);

} // namespace ViewSettings
