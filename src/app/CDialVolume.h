#pragma once

#include "TrackMixer.h"

#include <QDialog>

#include <array>

class QFrame;
class QLabel;
class QSlider;

// "Volume": one labelled slider per track, the cursor track's row on a dark
// band. The sliders change a copy; the score takes it only on "OK".
class CDialVolume : public QDialog {
    Q_OBJECT
public:
    explicit CDialVolume(const edit::VolumeRows& rows, QWidget* parent = nullptr);

    static constexpr const char* kTitle = "Volume";

    const edit::TrackVolumes& volumes() const { return volumes_; }
    QSlider* slider(int row) const { return sliders_[static_cast<std::size_t>(row)]; }
    QLabel* label(int row) const { return labels_[static_cast<std::size_t>(row)]; }
    QFrame* row(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    // The volumes on "OK", nothing on "Annuler".
    std::optional<edit::TrackVolumes> ask();

private:
    edit::TrackVolumes volumes_;
    std::array<QFrame*, model::kMaxTracks> rows_{};
    std::array<QLabel*, model::kMaxTracks> labels_{};
    std::array<QSlider*, model::kMaxTracks> sliders_{};
};
