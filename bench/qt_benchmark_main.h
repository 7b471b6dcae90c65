#pragma once
// The main of the benchmarks that need widgets: the application object first, then the runner.

#include <benchmark/benchmark.h>

#include <QApplication>

#define VARDO_QT_BENCHMARK_MAIN()            \
    int main(int argc, char** argv) {        \
        QApplication qapp(argc, argv);       \
        benchmark::Initialize(&argc, argv);  \
        benchmark::RunSpecifiedBenchmarks(); \
        benchmark::Shutdown();               \
        return 0;                            \
    }
