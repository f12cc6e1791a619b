#pragma once
// The main of a benchmark that drives the plug-in: a Qt application for the
// host, `prepare` run once before the timings.
#include <QApplication>

#include <benchmark/benchmark.h>

namespace rozo::bench
{
template <typename Prepare>
int runBenchmarksWithQt(int argc, char** argv, Prepare prepare)
{
    QApplication app(argc, argv);
    prepare();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
} // namespace rozo::bench
