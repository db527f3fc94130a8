#pragma once

#include "CommandTarget.h"

#include <QObject>

#include <functional>
#include <string>

class CTabApp;
class CTabDoc;
class CTabView;
class QComboBox;
class QProgressDialog;
class QToolBar;
class QAction;

// The practice and export commands: count-in, metronome, playback speed
// (menu ticks and the transport toolbar's combo), looping the selected
// measures, the speed trainer, the measure selection keys, and the WAV and
// MIDI exports. None of them changes the score.
class PracticeCommands : public QObject, public CommandTarget {
    Q_OBJECT
public:
    PracticeCommands(CTabApp& app, CTabDoc& doc, CTabView& view, QWidget* window);

    // Puts the speed combo on `bar`, before `before` (at the end when null);
    // choosing in it runs the speed command through `run`.
    void addSpeedCombo(QToolBar* bar, QAction* before, std::function<void(int)> run);
    QComboBox* speedCombo() const { return combo_; }
    // Brings the combo up to date with the speed in use.
    void refresh();

    bool onCommand(int id) override;
    bool onUpdateCommand(int id, CommandState& state) override;

    void exportWav();
    void exportMidi();
    // Tests watch the progress dialog of the WAV export (to cancel it).
    void setProgressObserver(std::function<void(QProgressDialog&, double)> observer)
    {
        observer_ = std::move(observer);
    }

    static constexpr const char* kExportWavTitle = "Exporter en WAV";
    static constexpr const char* kExportMidiTitle = "Exporter en MIDI";
    static constexpr const char* kRendering = "Enregistrement du fichier son...";

private:
    std::string suggestedPath(const char* suffix) const;

    CTabApp& app_;
    CTabDoc& doc_;
    CTabView& view_;
    QWidget* window_;
    QComboBox* combo_ = nullptr;
    std::function<void(QProgressDialog&, double)> observer_;
};
