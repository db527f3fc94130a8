#include "PracticeCommands.h"

#include "CTabApp.h"
#include "CTabDoc.h"
#include "CTabView.h"
#include "CommandIds.h"
#include "CommandTable.h"
#include "FileChooser.h"
#include "CSoundEngine.h"
#include "RenderCommand.h"
#include "TransportController.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressDialog>
#include <QToolBar>

#include <filesystem>
#include <mutex>

PracticeCommands::PracticeCommands(CTabApp& app, CTabDoc& doc, CTabView& view, QWidget* window)
    : QObject(window), app_(app), doc_(doc), view_(view), window_(window)
{
    connect(&view_, &CTabView::stateChanged, this, &PracticeCommands::refresh);
}

void PracticeCommands::addSpeedCombo(QToolBar* bar, QAction* before, std::function<void(int)> run)
{
    combo_ = new QComboBox(bar);
    combo_->setObjectName(QStringLiteral("speedCombo"));
    combo_->setToolTip(QStringLiteral("Vitesse de lecture"));
    combo_->setStatusTip(QStringLiteral("Vitesse de lecture"));
    combo_->setFocusPolicy(Qt::NoFocus); // the keys stay with the score
    for (int percent : CommandTable::speeds())
        combo_->addItem(QStringLiteral("%1 %").arg(percent), percent);
    connect(combo_, &QComboBox::activated, this, [this, run](int index) {
        run(CommandTable::commandOfSpeed(combo_->itemData(index).toInt()));
    });
    if (before)
        bar->insertWidget(before, combo_);
    else
        bar->addWidget(combo_);
    refresh();
}

void PracticeCommands::refresh()
{
    if (!combo_)
        return;
    const int index = combo_->findData(view_.transport().practice().speedPercent);
    if (index >= 0 && index != combo_->currentIndex())
        combo_->setCurrentIndex(index);
}

bool PracticeCommands::onCommand(int id)
{
    TransportController& transport = view_.transport();
    PlaybackPass::Practice p = transport.practice();
    if (const int speed = CommandTable::speedOfCommand(id)) {
        p.speedPercent = speed;
        transport.setPractice(p);
        refresh();
        return true;
    }
    switch (id) {
    case cmd::CountIn:
        p.countIn = !p.countIn;
        transport.setPractice(p);
        return true;
    case cmd::Metronome:
        p.metronome = !p.metronome;
        transport.setPractice(p);
        return true;
    case cmd::SpeedTrainer:
        p.speedTrainer = !p.speedTrainer;
        transport.setPractice(p);
        return true;
    case cmd::LoopSelection:
        transport.toggleLoopSelection();
        return true;
    case cmd::SelectPreviousMeasure:
        view_.stepSelection(-1);
        return true;
    case cmd::SelectNextMeasure:
        view_.stepSelection(1);
        return true;
    case cmd::ExportWav:
        view_.Stop();
        exportWav();
        return true;
    case cmd::ExportMidi:
        view_.Stop();
        exportMidi();
        return true;
    default:
        return false;
    }
}

bool PracticeCommands::onUpdateCommand(int id, CommandState& state)
{
    const TransportController& transport = view_.transport();
    const PlaybackPass::Practice& p = transport.practice();
    if (const int speed = CommandTable::speedOfCommand(id)) {
        state.checked = speed == p.speedPercent;
        return true;
    }
    switch (id) {
    case cmd::CountIn: state.checked = p.countIn; return true;
    case cmd::Metronome: state.checked = p.metronome; return true;
    case cmd::SpeedTrainer: state.checked = p.speedTrainer; return true;
    case cmd::LoopSelection: state.checked = transport.loopSelection(); return true;
    default: return false;
    }
}

std::string PracticeCommands::suggestedPath(const char* suffix) const
{
    // Beside the score, under its name; "Partition" for a score never saved.
    if (doc_.pathName.empty())
        return std::string("Partition.") + suffix;
    std::filesystem::path p(doc_.pathName);
    p.replace_extension(suffix);
    return p.string();
}

namespace {

std::string withSuffix(std::string path, const std::string& suffix)
{
    const std::string dot = "." + suffix;
    const std::string tail = path.size() >= dot.size() ? path.substr(path.size() - dot.size()) : std::string();
    if (QString::fromStdString(tail).compare(QString::fromStdString(dot), Qt::CaseInsensitive) != 0)
        path += dot;
    return path;
}

} // namespace

void PracticeCommands::exportWav()
{
    const std::vector<FileFilter> filters = {{"Fichiers son WAV (*.wav)", {"*.wav"}}};
    const auto chosen = app_.fileChooser().chooseExportPath(kExportWavTitle, filters, suggestedPath("wav"), "wav");
    if (!chosen)
        return;
    const std::string path = withSuffix(*chosen, "wav");

    RenderRequest request;
    view::MeasureSelection& selection = view_.state().selection;
    selection.clampTo(doc_.measureCount); // edits may have taken measures away
    if (!selection.empty()) {
        request.fromMeasure = selection.first();
        request.toMeasure = selection.last();
    }
    request.practice.speedPercent = view_.transport().practice().speedPercent;
    // The tracks' volume, pan, mute and solo live in the score; the slots'
    // effects live in the window's engine: the render's engine gets a copy.
    std::array<sound::SlotEffects, CSoundEngine::kSlotLimit> effects{};
    const CSoundEngine& live = view_.transport().engine();
    for (int slot = 0; slot < CSoundEngine::kSlotLimit; ++slot)
        effects[static_cast<std::size_t>(slot)] = live.ReadEffectParams(slot);
    request.prepareEngine = [&effects](CSoundEngine& engine) {
        for (int slot = 0; slot < CSoundEngine::kSlotLimit; ++slot)
            engine.ApplyEffects(slot, effects[static_cast<std::size_t>(slot)]);
    };
    QProgressDialog progress(QString::fromUtf8(kRendering), QStringLiteral("Annuler"), 0, 1000, window_);
    progress.setWindowTitle(QString::fromUtf8(kExportWavTitle));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    request.progress = [&](double done) {
        progress.setValue(static_cast<int>(done * 1000));
        if (observer_)
            observer_(progress, done);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
    {
        // The score stays as it is while it is read.
        std::lock_guard<std::recursive_mutex> lock(view_.transport().scoreLock());
        renderScoreToWav(doc_, request, path, app_.baseDirectory(), app_.prompter());
    }
    progress.reset();
}

void PracticeCommands::exportMidi()
{
    const std::vector<FileFilter> filters = {{"Fichiers MIDI (*.mid)", {"*.mid"}}};
    const auto chosen = app_.fileChooser().chooseExportPath(kExportMidiTitle, filters, suggestedPath("mid"), "mid");
    if (!chosen)
        return;
    exportScoreToMidi(doc_, withSuffix(*chosen, "mid"), app_.prompter());
}
