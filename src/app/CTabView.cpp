#include "CTabView.h"

#include "CTabApp.h"
#include "CTabDoc.h"
#include "CommandIds.h"
#include "CommandTable.h"

#include <QPainter>

#include <algorithm>

CTabView::CTabView(CTabApp& app, CTabDoc& doc, QWidget* parent) : QAbstractScrollArea(parent), app_(app), doc_(doc)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    doc_.setListener(this);
}

CTabView::~CTabView()
{
    doc_.setListener(nullptr);
}

void CTabView::paintEvent(QPaintEvent*)
{
    // The plain colour of the first background, the one a new view starts with.
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), QColor(236, 255, 223));
}

void CTabView::relayout()
{
    viewport()->update();
}

void CTabView::Stop()
{
    // Playback does not exist yet: nothing runs, but the request is made so
    // every caller is already wired.
    isPlaying = false;
    emit stopRequested();
}

void CTabView::clampCursor()
{
    const int tracks = std::clamp(doc_.trackCount, 0, model::kMaxTracks);
    if (cursorTrack >= tracks)
        cursorTrack = std::max(0, tracks - 1);
    const int measures = tracks > 0 ? doc_.tracks[static_cast<std::size_t>(cursorTrack)].GetSize() : 0;
    const int last = std::min(doc_.measureCount, measures) - 1;
    if (last < 0)
        cursorMeasure_ = -1;
    else
        cursorMeasure_ = std::clamp(cursorMeasure_, 0, last);
}

void CTabView::resetCursor()
{
    cursorTrack = 0;
    cursorBeat = 0;
    cursorString = 3;
    cursorMeasure_ = 0;
}

void CTabView::setCursorMeasureIndex(int index)
{
    cursorMeasure_ = index;
}

void CTabView::documentUpdated()
{
    if (cursorMeasure_ < 0)
        cursorMeasure_ = 0;
    clampCursor();
    emit trackListChanged();
    emit stateChanged();
    viewport()->update();
}

void CTabView::switchToTrack(int track)
{
    if (track < 0 || track >= doc_.trackCount || track == cursorTrack)
        return;
    cursorBeat = 0;
    cursorTrack = track;
    cursorString = 3;
    // Same measure index in the new track.
    clampCursor();
    viewport()->update();
    emit stateChanged();
}

bool CTabView::onCommand(int id)
{
    if (const int track = CommandTable::trackOfCommand(id); track >= 0) {
        switchToTrack(track);
        return true;
    }
    switch (id) {
    case cmd::FileNew:
        Stop();
        app_.OnFileNew();
        return true;
    case cmd::FileOpen:
        Stop();
        app_.OnFileOpen();
        return true;
    case cmd::FilePrintSetup:
        Stop();
        app_.OnFilePrintSetup();
        return true;
    case cmd::AppExit:
        app_.OnAppExit();
        return true;
    case cmd::HelpBrowser:
    case cmd::Help:
    case cmd::DefaultHelp:
        app_.openHelp(CTabApp::HelpFrom::CurrentDirectory);
        return true;
    case cmd::Stop:
        Stop();
        return true;
    case cmd::ScrollDuringPlayback:
        scrollDuringPlayback = !scrollDuringPlayback;
        emit stateChanged();
        return true;
    default:
        return false;
    }
}

bool CTabView::onUpdateCommand(int id, CommandState& state)
{
    if (const int track = CommandTable::trackOfCommand(id); track >= 0) {
        state.checked = track == cursorTrack;
        return true;
    }
    if (id == cmd::ScrollDuringPlayback) {
        state.checked = scrollDuringPlayback;
        return true;
    }
    return false;
}
