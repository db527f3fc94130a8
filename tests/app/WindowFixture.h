#pragma once

#include "CMainFrame.h"
#include "CTabApp.h"
#include "CTabDoc.h"
#include "DialogButtons.h"
#include "ScriptedFileChooser.h"
#include "ScriptedPrompter.h"
#include "TempDir.h"

#include <QSettings>
#include <QUrl>
#include <gtest/gtest.h>

// Starts the real window for each test, with scripted dialogs and a help
// opener that only records the page asked for.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings settings;
        for (const char* key : {"Recent File List", "Zoom", "Back"})
            settings.remove(QLatin1String(key));
        app().setPrompter(&prompter);
        app().setFileChooser(&chooser);
        app().setUrlOpener([this](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
        // A copy some earlier window of the run left is kept, never asked about.
        app().setRecoveryChooser([](const std::vector<recovery::Entry>&) { return RecoveryChoice{}; });
    }
    void TearDown() override
    {
        app().ExitInstance();
        app().setPrompter(nullptr);
        app().setFileChooser(nullptr);
        app().setUrlOpener(nullptr);
        app().setRecoveryChooser(nullptr);
    }

    static CTabApp& app() { return *CTabApp::instance(); }
    bool start(const QStringList& args = {}) { return app().InitInstance(args); }
    CMainFrame& frame() { return *app().mainFrame(); }
    CTabDoc& doc() { return app().document(); }

    // Writes a score to path through a document of its own.
    template <typename Fill>
    static void writeScore(const std::string& path, Fill fill)
    {
        CTabDoc d;
        ScriptedPrompter quiet;
        d.setPrompter(&quiet);
        d.OnNewDocument();
        fill(d);
        ASSERT_TRUE(d.OnSaveDocument(path));
    }

    // A score of `measures` measures of eighths at 240 (an eighth lasts 125 ms).
    static void writeEighths(const std::string& path, int measures)
    {
        writeScore(path, [measures](CTabDoc& d) {
            d.measureCount = measures;
            for (int m = 0; m < measures; ++m) {
                CMesure& ms = d.tracks[0][m];
                ms.tempo = 240;
                resetMeasureBeats(ms, 8);
                ms.beatCount = 8;
                for (int b = 0; b < 8; ++b) {
                    ms.beats[b].durationCode = 3;
                    ms.beats[b].notes[0].fret = b;
                }
            }
        });
    }

    TempDir dir;
    ScriptedPrompter prompter;
    ScriptedFileChooser chooser;
    std::vector<QUrl> opened;
};

