#include "ViewSettings.h"

#include "ViewState.h"

#include <QSettings>

namespace ViewSettings {

namespace {
const char* kZoom = "Zoom";
const char* kBack = "Back";

int stored(const QSettings& settings, const char* key, int fallback)
{
    bool ok = false;
    const int value = settings.value(QLatin1String(key)).toInt(&ok);
    return ok ? value : fallback;
}
} // namespace

void load(view::ViewState& state)
{
    const QSettings settings;
    state.restoreSettings(stored(settings, kZoom, state.zoomPercent), stored(settings, kBack, state.backgroundIndex));
}

void save(const view::ViewState& state)
{
    QSettings settings;
    settings.setValue(QLatin1String(kZoom), state.zoomPercent);
    settings.setValue(QLatin1String(kBack), state.backgroundIndex);
}

} // namespace ViewSettings
