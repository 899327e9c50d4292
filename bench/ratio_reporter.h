// File: bench/ratio_reporter.h
//
// The console reporter every benchmark program uses: output as usual, plus
// each run's real and process-CPU time per iteration kept under its name
// without the "/min_time:…", "/repeats:…", "/real_time" and "/process_time"
// decorations, so main() can print our time over the peer's.  With
// repetitions each aggregate is kept as "<name>_median", "<name>_mean", ...
//
//   bench::RatioReporter reporter;
//   benchmark::RunSpecifiedBenchmarks(&reporter);
//   reporter.PrintRatio("undo snapshot / write()", "BM_Undo", "BM_PeerWrite", 1.2);
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.error_occurred || r.iterations <= 0) continue;
      std::string name = r.benchmark_name();
      const bool aggregate = r.run_type == Run::RT_Aggregate;
      if (aggregate && name.ends_with("_" + r.aggregate_name)) name.resize(name.size() - r.aggregate_name.size() - 1);
      for (const char* tag : {"/min_time", "/repeats", "/real_time", "/process_time"})
        if (const size_t cut = name.find(tag); cut != std::string::npos) name.resize(cut);
      // Repeated runs: each aggregate under its own name ("<name>_median").
      if (aggregate) name += "_" + r.aggregate_name;
      times_[name] = {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
    }
  }

  // Real and CPU time per iteration in the run's own unit; 0 when the run
  // is missing or failed.
  double Real(const std::string& name) const { return Find(name).real; }
  double Cpu(const std::string& name) const { return Find(name).cpu; }

  // PrintRatio() prints the real-time ratio ours / peer, against `target`
  // when it is above 0, and the CPU-time ratio when `with_cpu`; false when
  // a run is missing.
  bool PrintRatio(const std::string& label, const std::string& ours, const std::string& peer, double target,
                  bool with_cpu = false) const {
    const Times a = Find(ours), b = Find(peer);
    if (a.real <= 0 || b.real <= 0) return false;
    const double ratio = a.real / b.real;
    std::printf("%-44s %6.2f", label.c_str(), ratio);
    if (with_cpu && b.cpu > 0) std::printf("  (cpu %.2f)", a.cpu / b.cpu);
    std::printf("  (%.1f vs %.1f)", a.real, b.real);
    if (target > 0) std::printf("  target <= %.2f %s", target, ratio <= target ? "ok" : "SLOW");
    std::printf("\n");
    return true;
  }

 private:
  struct Times {
    double real = 0, cpu = 0;
  };
  Times Find(const std::string& name) const {
    const auto it = times_.find(name);
    return it == times_.end() ? Times{} : it->second;
  }
  std::map<std::string, Times> times_;
};

}  // namespace bench
