#pragma once

#include <QGuiApplication>
#include <benchmark/benchmark.h>

// The main of a benchmark that draws: a Qt application without a display.
inline int runBenchmarksWithQt(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
