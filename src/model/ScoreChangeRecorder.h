#pragma once

// Told of the score changes the document makes by itself, so the edit
// history can keep its steps exact across them.
class ScoreChangeRecorder {
public:
    virtual ~ScoreChangeRecorder() = default;
    // Around the tidy-up of the end of the score that saving does.
    virtual void beforeTidy() = 0;
    virtual void afterTidy() = 0;
    // A new, opened or closed score took the place of the one edited.
    virtual void scoreReplaced() = 0;
};
