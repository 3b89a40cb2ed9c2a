// The parallel maps of an 8192 x 8192 float field on 1, 2 and 4 ranks under
// mpiexec, beside the one-process calls on the whole grid, measured in the
// same run. Each configuration is a whole MPI run of parallel_map_process,
// which reports per call: the slowest rank's time for screen_map and
// data_map, the largest rank's peak memory beside its block, and the
// largest rank's bytes sent.
//
// Counters: screen_ms and data_ms per call; x_screen and x_data, those
// times as ratios to the one-process call in the same run; peak_mb and
// block_mb per rank; screen_sent_kb and data_sent_kb per rank and call.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>

namespace {

constexpr int side = 8192;
constexpr int calls = 3;

std::map<std::string, double> run_configuration(const std::string& mode, int ranks) {
  const std::string command = "mpiexec --oversubscribe --allow-run-as-root -n " +
                              std::to_string(ranks) + " " PARALLEL_MAP_PROCESS " " + mode + " " +
                              std::to_string(side) + " " + std::to_string(calls) + " 2>/dev/null";
  std::map<std::string, double> figures;
  std::FILE* output = ::popen(command.c_str(), "r");
  if (output == nullptr) return figures;
  char line[512];
  std::string text;
  while (std::fgets(line, sizeof line, output) != nullptr) text += line;
  if (::pclose(output) != 0) return {};
  std::istringstream words(text);
  std::string word;
  while (words >> word) {
    const auto equals = word.find('=');
    if (equals != std::string::npos)
      figures[word.substr(0, equals)] = std::stod(word.substr(equals + 1));
  }
  return figures;
}

// The one-process baseline, measured once per run of this program.
const std::map<std::string, double>& baseline() {
  static const std::map<std::string, double> figures = run_configuration("single", 1);
  return figures;
}

void report(benchmark::State& state, const std::map<std::string, double>& figures) {
  if (figures.empty()) {
    state.SkipWithError("the MPI run failed");
    return;
  }
  const auto& base = baseline();
  state.SetIterationTime(figures.at("screen_ms") / 1e3);
  state.counters["screen_ms"] = figures.at("screen_ms");
  state.counters["data_ms"] = figures.at("data_ms");
  state.counters["peak_mb"] = figures.at("peak_rss_mb");
  state.counters["block_mb"] = figures.at("block_mb");
  state.counters["screen_sent_kb"] = figures.at("screen_sent_kb");
  state.counters["data_sent_kb"] = figures.at("data_sent_kb");
  if (!base.empty()) {
    state.counters["x_screen"] = figures.at("screen_ms") / base.at("screen_ms");
    state.counters["x_data"] = figures.at("data_ms") / base.at("data_ms");
  }
}

void one_process_whole_grid(benchmark::State& state) {
  for (auto _ : state) report(state, baseline());
}

void parallel_ranks(benchmark::State& state) {
  const int ranks = static_cast<int>(state.range(0));
  for (auto _ : state) report(state, run_configuration("parallel", ranks));
}

BENCHMARK(one_process_whole_grid)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(parallel_ranks)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
