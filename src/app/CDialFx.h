#pragma once

#include "FxDialogModel.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;

// "Paramètres des Effects": the eight effects of an instrument slot, each
// with a check box (on or off) and a button that shows its parameters on
// the right: six slider rows, the waveform and the phase choices.
class CDialFx : public QDialog {
    Q_OBJECT
public:
    explicit CDialFx(const sound::FxDialogModel& model, QWidget* parent = nullptr);

    static constexpr int kRows = 6;

    const sound::FxDialogModel& model() const { return model_; }
    int shownEffect() const { return shown_; }
    void showEffect(int k);

    QCheckBox* enableBox(int k) const { return boxes_[static_cast<std::size_t>(k)]; }
    QPushButton* effectButton(int k) const { return buttons_[static_cast<std::size_t>(k)]; }
    QGroupBox* parameterGroup() const { return params_; }
    QSlider* slider(int row) const { return rows_[static_cast<std::size_t>(row)].slider; }
    QLabel* valueText(int row) const { return rows_[static_cast<std::size_t>(row)].value; }
    QLabel* labelText(int row) const { return rows_[static_cast<std::size_t>(row)].label; }
    QGroupBox* waveGroup() const { return waveGroup_; }
    QGroupBox* phaseGroup() const { return phaseGroup_; }
    QRadioButton* waveButton(int i) const { return waves_[static_cast<std::size_t>(i)]; }
    QRadioButton* phaseButton(int i) const { return phases_[static_cast<std::size_t>(i)]; }

    // The settings on "OK", nothing on "Annuler".
    std::optional<sound::FxDialogModel> ask();

private:
    struct Row {
        QWidget* line = nullptr;
        QLabel* label = nullptr;
        QLabel* value = nullptr;
        QLabel* min = nullptr;
        QLabel* max = nullptr;
        QSlider* slider = nullptr;
    };
    void sliderMoved(int row, int position);
    sound::FxDescriptor& shown() { return model_.effects[static_cast<std::size_t>(shown_)]; }

    sound::FxDialogModel model_;
    int shown_ = 0;
    bool filling_ = false; // showing an effect moves the sliders: not a user's move
    std::array<QCheckBox*, sound::kEffectCount> boxes_{};
    std::array<QPushButton*, sound::kEffectCount> buttons_{};
    QGroupBox* params_ = nullptr;
    std::array<Row, kRows> rows_{};
    QGroupBox* waveGroup_ = nullptr;
    QGroupBox* phaseGroup_ = nullptr;
    std::array<QRadioButton*, 3> waves_{};
    std::array<QRadioButton*, 5> phases_{};
};
