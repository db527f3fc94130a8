#pragma once

#include <QDialog>

#include <array>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;

// "Pistes à afficher": which tracks the multi-track view shows.
class CDialMulti : public QDialog {
    Q_OBJECT
public:
    using Ticks = std::array<bool, 10>;
    // `titles` holds one title per existing track; the other places are
    // shown empty and cannot be ticked.
    CDialMulti(const std::vector<std::string>& titles, const Ticks& shown, QWidget* parent = nullptr);

    static constexpr const char* kTitle = "Pistes à afficher";
    static constexpr const char* kEmpty = "****** VIDE ******";

    QCheckBox* box(int t) const { return boxes_[static_cast<std::size_t>(t)]; }
    QLabel* label(int t) const { return labels_[static_cast<std::size_t>(t)]; }
    Ticks ticks() const;
    std::optional<Ticks> ask();

private:
    std::array<QCheckBox*, 10> boxes_{};
    std::array<QLabel*, 10> labels_{};
};
