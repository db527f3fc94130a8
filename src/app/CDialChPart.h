#pragma once

#include <QDialog>

#include <array>
#include <functional>
#include <optional>
#include <string>

class InstrumentList;
class MeasureRangeBox;
class QLineEdit;

// "Modifier l'instrument...": a new instrument and title for a range of
// measures of the track being edited.
class CDialChPart : public QDialog {
    Q_OBJECT
public:
    struct Answer {
        std::string title; // empty: the title stays
        int code = 0;
        int first = 1; // measure numbers, 1-based
        int last = 1;
    };
    struct Start {
        std::string title;
        int code = 0;
        int measureCount = 1;
        int cursorMeasure = 1; // 1-based
    };
    // `rangeValid` judges the measure numbers on "OK": a wrong range is
    // reported and the dialog stays open.
    CDialChPart(const std::array<std::string, 10>& names, const Start& start,
                std::function<bool(int, int)> rangeValid, QWidget* parent = nullptr);

    static constexpr const char* kTitle = "Modifier l'instrument...";

    QLineEdit* titleEdit() const { return title_; }
    InstrumentList* instruments() const { return list_; }
    MeasureRangeBox* range() const { return range_; }
    Answer answer() const;
    std::optional<Answer> ask();

    void accept() override;

private:
    QLineEdit* title_ = nullptr;
    InstrumentList* list_ = nullptr;
    MeasureRangeBox* range_ = nullptr;
    std::function<bool(int, int)> rangeValid_;
};
