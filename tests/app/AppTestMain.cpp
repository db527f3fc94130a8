#include "CTabApp.h"
#include "TempDir.h"

#include <QSettings>
#include <gtest/gtest.h>

// One application object for the whole run, as in the program; each test
// starts its own window with CTabApp::InitInstance.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Sound goes to the null device: paced in real time, no sound card needed.
    qputenv("FRETLARK_AUDIO", "null");
    ::testing::InitGoogleTest(&argc, argv);
    // The recent-file list of the person running the tests is left alone.
    TempDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(settings.path().string()));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(settings.path().string()));
    // Recovery copies go to a data folder of the run's own.
    TempDir data;
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.path().string()));
    CTabApp app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
