#pragma once

// What the document tells the view and the sound engine around a change of
// score. Every method has a harmless default so the document works alone.
class DocumentListener {
public:
    virtual ~DocumentListener() = default;
    // True once the main window exists (before that there is nothing to stop).
    virtual bool isWindowUp() const { return false; }
    virtual void stopPlayback() {}
    virtual void releaseSamples() {}
    // The measures are about to be freed: the view forgets its cursor measure.
    virtual void clearCursorMeasure() {}
    // Open succeeded: cursor to track 0, beat 0.
    virtual void resetCursor() {}
    // Open is about to read: the cursor beat goes back to 0.
    virtual void resetCursorBeat() {}
    // Index of the measure under the cursor, or -1 without one.
    virtual int cursorMeasureIndex() const { return -1; }
    // Puts the cursor on measure index (of its track), or clears it with -1.
    virtual void setCursorMeasureIndex(int /*index*/) {}
    // The whole document changed (new, open, save): lay out and repaint.
    virtual void documentUpdated() {}
};
