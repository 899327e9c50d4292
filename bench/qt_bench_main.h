// File: bench/qt_bench_main.h
//
// main() of the benchmark programs that need widgets: a QApplication
// (offscreen unless QT_QPA_PLATFORM names another platform), the
// registered benchmarks through a bench::RatioReporter, then `finish` with
// the reporter to print ratios and to drop widgets before the application
// object goes.
//
//   int main(int argc, char** argv) {
//     return bench::RunQtBenchmarks(argc, argv, [](const bench::RatioReporter& r) {
//       r.PrintRatio("repaint / drawImage", "BM_Repaint", "BM_Peer", 2.0);
//     });
//   }
#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

#include "bench/ratio_reporter.h"

namespace bench {

template <typename Finish>
int RunQtBenchmarks(int argc, char** argv, Finish&& finish) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  finish(static_cast<const RatioReporter&>(reporter));
  benchmark::Shutdown();
  return 0;
}

}  // namespace bench
