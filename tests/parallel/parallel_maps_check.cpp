// Runs under mpiexec: each rank takes its block of a known field, by one of
// several tilings, and makes the three parallel maps; the root then makes
// the same maps from the assembled grid on its own and compares pictures,
// console lines and file bytes. Hostile cases check that every rank fails
// alike. Exit status 0 only when every rank found what it expected.
//
//   parallel_maps_check equal TILING     the outputs equal the one-process ones
//   parallel_maps_check hostile          collective failures
//   parallel_maps_check cancel           the root's cancellation reaches every rank
#include <mpi.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <mapplot/console.hpp>
#include <mapplot/data_map.hpp>
#include <mapplot/parallel_map.hpp>
#include <mapplot/postscript_map.hpp>
#include <mapplot/screen_map.hpp>
#include <mapplot/window_pictures.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/cancellation.hpp"
#include "scratch_folder.hpp"

namespace {

using mapplot::parallel::grid_block;

int rank_of(MPI_Comm comm) {
  int rank = 0;
  MPI_Comm_rank(comm, &rank);
  return rank;
}

int size_of(MPI_Comm comm) {
  int size = 1;
  MPI_Comm_size(comm, &size);
  return size;
}

int failures = 0;

void expect(bool holds, const std::string& what) {
  if (holds) return;
  ++failures;
  std::fprintf(stderr, "rank %d: FAILED: %s\n", rank_of(MPI_COMM_WORLD), what.c_str());
}

// A field with everything a map must get right: uneven coordinates, a
// negative zero, NaN and infinities.
struct field {
  std::vector<float> x, y, z;
  std::size_t nx() const { return x.size(); }
  std::size_t ny() const { return y.size(); }
};

field make_field(std::size_t nx, std::size_t ny, bool special_values, bool decreasing_x) {
  field f;
  for (std::size_t i = 0; i < nx; ++i) {
    const double t = static_cast<double>(i);
    f.x.push_back(static_cast<float>((decreasing_x ? -1 : 1) * (t + 0.3 * std::sin(t))));
  }
  for (std::size_t j = 0; j < ny; ++j) f.y.push_back(static_cast<float>(0.5 * j * j + j));
  for (std::size_t j = 0; j < ny; ++j)
    for (std::size_t i = 0; i < nx; ++i)
      f.z.push_back(static_cast<float>(std::sin(0.05 * i) * std::cos(0.07 * j) + 0.001 * i * j));
  if (special_values && nx * ny > 8) {
    f.z[3] = std::numeric_limits<float>::quiet_NaN();
    f.z[nx * ny / 2] = std::numeric_limits<float>::infinity();
    f.z[nx * ny - 2] = -std::numeric_limits<float>::infinity();
  }
  return f;
}

struct shape {
  std::size_t first_x, first_y, columns, rows;
};

// Cut points that split `count` into `parts` uneven pieces, some possibly empty.
std::vector<std::size_t> cuts(std::size_t count, int parts, bool with_empty) {
  std::vector<std::size_t> points{0};
  for (int k = 1; k < parts; ++k) {
    const double share = static_cast<double>(k * k) / (parts * parts);
    points.push_back(static_cast<std::size_t>(share * count));
  }
  points.push_back(count);
  if (with_empty && parts > 2) points[1] = points[2];  // the second part is empty
  return points;
}

// This rank's block under a named tiling.
shape block_of(const std::string& tiling, std::size_t nx, std::size_t ny, int rank, int size) {
  if (tiling == "rows") {
    const auto c = cuts(ny, size, true);
    return {0, c[rank], nx, c[rank + 1] - c[rank]};
  }
  if (tiling == "columns") {
    const auto c = cuts(nx, size, false);
    return {c[rank], 0, c[rank + 1] - c[rank], ny};
  }
  if (tiling == "last") return rank == size - 1 ? shape{0, 0, nx, ny} : shape{0, 0, 0, 0};
  // "grid": as square a layout as the ranks allow, uneven pieces.
  int across = 1;
  while ((across + 1) * (across + 1) <= size) ++across;
  while (size % across != 0) --across;
  const int down = size / across;
  const auto cx = cuts(nx, across, false), cy = cuts(ny, down, false);
  const int i = rank % across, j = rank / across;
  return {cx[i], cy[j], cx[i + 1] - cx[i], cy[j + 1] - cy[j]};
}

// The rank's copy of its block, and a view of it as the maps take it.
struct owned_block {
  std::vector<float> x, y, z;
  std::size_t first_x = 0, first_y = 0;
  grid_block<float> view() const {
    return {x, y, mapplot::grid_view<float>::of(z, x.size(), y.size()), first_x, first_y};
  }
};

owned_block cut_block(const field& f, const shape& s) {
  owned_block b;
  b.first_x = s.first_x;
  b.first_y = s.first_y;
  if (s.columns == 0 || s.rows == 0) return b;
  b.x.assign(f.x.begin() + s.first_x, f.x.begin() + s.first_x + s.columns);
  b.y.assign(f.y.begin() + s.first_y, f.y.begin() + s.first_y + s.rows);
  for (std::size_t q = 0; q < s.rows; ++q)
    for (std::size_t p = 0; p < s.columns; ++p)
      b.z.push_back(f.z[s.first_x + p + (s.first_y + q) * f.nx()]);
  return b;
}

// Console lines, caught while a check runs.
class caught_lines : public mapplot::console_sink {
 public:
  caught_lines() : previous_(mapplot::install_console_sink(this)) {}
  ~caught_lines() override { mapplot::install_console_sink(previous_); }
  void write_line(std::string_view line) override { lines.emplace_back(line); }
  std::size_t line_width() const override { return 80; }
  std::vector<std::string> take() { return std::exchange(lines, {}); }
  std::vector<std::string> lines;

 private:
  mapplot::console_sink* previous_;
};

std::string without_dates(const std::string& plot) {
  std::istringstream in(plot);
  std::string line, kept;
  while (std::getline(in, line))
    if (line.find("CreationDate") == std::string::npos) kept += line + "\n";
  return kept;
}

std::string lines_text(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += "[" + line + "]";
  return text;
}

// One field under one tiling: every output, compared on the root.
void check_equal(MPI_Comm comm, const std::string& tiling, const field& f, const std::string& label,
                 bool logscale) {
  const int rank = rank_of(comm);
  const owned_block block = cut_block(f, block_of(tiling, f.nx(), f.ny(), rank, size_of(comm)));
  const auto whole = mapplot::grid_view<float>::of(f.z, f.nx(), f.ny());
  const std::string what = label + " under " + tiling;
  caught_lines console;

  mapplot::parallel::data_map(comm, block.view(),
                              {.logscale = logscale, .filename = "parallel.dat"});
  const auto parallel_data_lines = console.take();
  mapplot::parallel::postscript_map(comm, block.view(),
                                    {.logscale = logscale, .filename = "parallel.ps"});
  const auto parallel_plot_lines = console.take();
  mapplot::parallel::screen_map(comm, block.view(),
                                {.logscale = logscale, .title = "Field", .ownwindow = true});
  const auto parallel_screen_lines = console.take();
  if (rank != 0) {
    expect(parallel_data_lines.empty() && parallel_screen_lines.empty(),
           what + ": console lines on a rank other than the root");
    return;
  }
  mapplot::data_map(f.x, f.y, whole, {.logscale = logscale, .filename = "single.dat"});
  const auto single_data_lines = console.take();
  mapplot::postscript_map(f.x, f.y, whole, {.logscale = logscale, .filename = "single.ps"});
  const auto single_plot_lines = console.take();
  mapplot::screen_map(f.x, f.y, whole, {.logscale = logscale, .title = "Field", .ownwindow = true});
  const auto single_screen_lines = console.take();

  using mapplot::testing::file_contents;
  expect(file_contents("parallel.dat") == file_contents("single.dat") &&
             !file_contents("single.dat").empty(),
         what + ": data files differ");
  expect(without_dates(file_contents("parallel.ps")) == without_dates(file_contents("single.ps")) &&
             !file_contents("single.ps").empty(),
         what + ": plot files differ");
  const auto renamed = [](std::vector<std::string> lines, const std::string& from,
                          const std::string& to) {
    for (auto& line : lines)
      if (const auto at = line.find(from); at != std::string::npos)
        line.replace(at, from.size(), to);
    return lines;
  };
  expect(parallel_data_lines == renamed(single_data_lines, "single.dat", "parallel.dat"),
         what + ": data console lines " + lines_text(parallel_data_lines));
  expect(parallel_plot_lines == renamed(single_plot_lines, "single.ps", "parallel.ps"),
         what + ": plot console lines " + lines_text(parallel_plot_lines) + " against " +
             lines_text(single_plot_lines));
  expect(parallel_screen_lines == single_screen_lines,
         what + ": screen console lines " + lines_text(parallel_screen_lines) + " against " +
             lines_text(single_screen_lines));

  // The two newest windows: the parallel map's and the one-process one's.
  static int newest = 100;
  newest += 2;
  const auto parallel_picture = mapplot::presented_picture(newest - 1);
  const auto single_picture = mapplot::presented_picture(newest);
  expect(parallel_picture && single_picture && parallel_picture->width == single_picture->width &&
             parallel_picture->height == single_picture->height &&
             parallel_picture->pixels == single_picture->pixels,
         what + ": window pictures differ");
}

void run_equal(MPI_Comm comm, const std::string& tiling) {
  // More cells than pixels (the root keeps a thinned map), fewer, special
  // values, decreasing x, a logarithmic scale, a flat field, a single cell.
  check_equal(comm, tiling, make_field(700, 420, true, false), "700 x 420", false);
  check_equal(comm, tiling, make_field(13, 9, false, false), "13 x 9", false);
  check_equal(comm, tiling, make_field(31, 17, true, true), "31 x 17 decreasing", false);
  field positive = make_field(40, 30, false, false);
  for (float& v : positive.z) v = std::fabs(v) + 0.01f;
  positive.z[7] = 0;
  check_equal(comm, tiling, positive, "40 x 30 logarithmic", true);
  field flat = make_field(12, 10, false, false);
  for (float& v : flat.z) v = 2.5f;
  check_equal(comm, tiling, flat, "flat 12 x 10", false);
  field zeros = make_field(20, 20, false, false);
  // The smallest value is zero, first met as -0 in the grid's order (row 2),
  // later as +0 in blocks that come first among the ranks.
  for (std::size_t k = 0; k < zeros.z.size(); ++k)
    zeros.z[k] = k < 57 ? 1.0f : k == 57 ? -0.0f : 0.0f;
  check_equal(comm, tiling, zeros, "negative zero first", false);
  if (size_of(comm) <= 4 || tiling == "last")
    check_equal(comm, tiling, make_field(1, 1, false, false), "1 x 1", false);
}

// Runs `call` on every rank and checks that every rank threw, with the same
// message everywhere; returns the root's message.
std::string expect_same_failure(MPI_Comm comm, const std::string& what,
                                const std::function<void()>& call) {
  std::string message = "(no exception)";
  try {
    call();
  } catch (const std::exception& error) {
    message = error.what();
  }
  int length = static_cast<int>(message.size());
  int longest = 0;
  MPI_Allreduce(&length, &longest, 1, MPI_INT, MPI_MAX, comm);
  std::vector<char> padded(static_cast<std::size_t>(longest) + 1, '\0');
  std::copy(message.begin(), message.end(), padded.begin());
  std::vector<char> root(padded);
  MPI_Bcast(root.data(), longest + 1, MPI_CHAR, 0, comm);
  int same = padded == root ? 1 : 0, all_same = 0;
  MPI_Allreduce(&same, &all_same, 1, MPI_INT, MPI_MIN, comm);
  expect(all_same == 1, what + ": ranks failed differently; here: " + message);
  expect(message != "(no exception)", what + ": no exception");
  return message;
}

void run_hostile(MPI_Comm comm) {
  const int rank = rank_of(comm), size = size_of(comm);
  const field f = make_field(24, 16, false, false);
  const owned_block good = cut_block(f, block_of("rows", f.nx(), f.ny(), rank, size));

  // Overlapping blocks: every rank claims the first row too.
  owned_block overlapping = cut_block(f, {0, 0, f.nx(), rank == 0 ? f.ny() : 1});
  const std::string overlap = expect_same_failure(comm, "overlap", [&] {
    mapplot::parallel::screen_map(comm, overlapping.view(), {.ownwindow = true});
  });
  expect(overlap.find("overlap") != std::string::npos, "overlap message: " + overlap);

  // A gap: the first rows are nobody's.
  const owned_block gappy =
      rank == 0 ? owned_block{} : cut_block(f, block_of("rows", f.nx(), f.ny(), rank, size));
  if (size > 1)
    expect_same_failure(comm, "gap", [&] { mapplot::parallel::data_map(comm, gappy.view()); });

  // Options and coordinates that differ between ranks.
  const std::string title = rank == size - 1 ? "Other" : "Field";
  expect_same_failure(comm, "options",
                      [&] { mapplot::parallel::data_map(comm, good.view(), {.title = title}); });
  if (size > 1) {
    owned_block shifted = good;
    if (rank == size - 1 && !shifted.x.empty()) shifted.x[0] += 1;
    expect_same_failure(comm, "coordinates", [&] {
      mapplot::parallel::postscript_map(comm, shifted.view(), {.filename = "never.ps"});
    });
    expect(!std::filesystem::exists("never.ps"), "a plot file after a refused call");
    // Different calls at once.
    expect_same_failure(comm, "calls", [&] {
      if (rank == 0)
        mapplot::parallel::data_map(comm, good.view(), {.filename = "never.dat"});
      else
        mapplot::parallel::screen_map(comm, good.view(), {.ownwindow = true});
    });
  }

  // A file that cannot be written: the earlier file stays whole, and no
  // temporary is left.
  if (rank == 0) {
    std::FILE* earlier = std::fopen("kept.dat", "w");
    std::fputs("earlier\n", earlier);
    std::fclose(earlier);
  }
  MPI_Barrier(comm);
  expect_same_failure(comm, "unwritable folder", [&] {
    mapplot::parallel::data_map(comm, good.view(), {.filename = "kept.dat/inside.dat"});
  });
  // A rank that can write only a little: its part fails after the others'.
  if (size > 1) {
    const rlimit small{200, RLIM_INFINITY};
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, SIG_IGN);
    if (rank == size - 1) setrlimit(RLIMIT_FSIZE, &small);
    const std::string full = expect_same_failure(comm, "file too large on one rank", [&] {
      mapplot::parallel::data_map(comm, good.view(), {.filename = "kept.dat"});
    });
    expect(full.find("kept.dat") != std::string::npos, "file failure names the file: " + full);
    if (rank == size - 1) setrlimit(RLIMIT_FSIZE, &previous);
  }
  MPI_Barrier(comm);
  if (rank == 0) {
    expect(mapplot::testing::file_contents("kept.dat") == "earlier\n", "earlier file lost");
    for (const auto& name : mapplot::testing::names_in("."))
      expect(name.find(".tmp") == std::string::npos, "temporary left: " + name);
  }
  // After all that, a good call still works on every rank.
  mapplot::parallel::data_map(comm, good.view(), {.filename = "good.dat"});
  if (rank == 0) expect(std::filesystem::file_size("good.dat") > 0, "good call after failures");
}

// The root cancels its run after a few frames; every other rank must see
// the cancellation at its next map call and unwind.
void run_cancel(MPI_Comm comm) {
  const int rank = rank_of(comm), size = size_of(comm);
  const field f = make_field(60, 40, false, false);
  const owned_block block = cut_block(f, block_of("grid", f.nx(), f.ny(), rank, size));
  for (int frame = 0;; ++frame) {
    if (rank == 0 && frame == 5) mapplot::request_cancellation();
    try {
      mapplot::parallel::screen_map(comm, block.view(), {.ownwindow = true, .update = frame > 0});
    } catch (...) {
      std::ofstream(std::filesystem::path("cancelled-" + std::to_string(rank))) << frame << "\n";
      throw;
    }
    if (frame > 1000) return;  // never reached when cancellation works
  }
}

}  // namespace

int main(int argc, char** argv) {
  int provided = 0;
  MPI_Init_thread(&argc, &argv, MPI_THREAD_SERIALIZED, &provided);
  const std::string mode = argc > 1 ? argv[1] : "";
  const std::string tiling = argc > 2 ? argv[2] : "grid";
  MPI_Comm comm = MPI_COMM_WORLD;
  const int rank = rank_of(comm);

  // Each run works in a folder of its own, the same for every rank.
  std::string folder;
  if (rank == 0) {
    std::string pattern = (std::filesystem::temp_directory_path() / "mapplot-mpi-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) MPI_Abort(comm, 2);
    folder = pattern;
  }
  int length = static_cast<int>(folder.size());
  MPI_Bcast(&length, 1, MPI_INT, 0, comm);
  folder.resize(static_cast<std::size_t>(length));
  MPI_Bcast(folder.data(), length, MPI_CHAR, 0, comm);
  std::filesystem::current_path(folder);

  const int status =
      mapplot::parallel::run_windowed_program(comm, argc, argv, "parallel_check", [&] {
        if (mode == "equal") run_equal(comm, tiling);
        if (mode == "hostile") run_hostile(comm);
        if (mode == "cancel") run_cancel(comm);
      });

  if (mode == "cancel") {
    expect(status == EXIT_FAILURE, "a cancelled run's status is " + std::to_string(status));
    expect(std::filesystem::exists("cancelled-" + std::to_string(rank)),
           "rank " + std::to_string(rank) + " never saw the cancellation");
  } else {
    expect(status == EXIT_SUCCESS, "the run's status is " + std::to_string(status));
  }
  int total = 0;
  MPI_Allreduce(&failures, &total, 1, MPI_INT, MPI_SUM, comm);
  MPI_Barrier(comm);
  if (rank == 0) {
    std::filesystem::current_path("/");
    std::filesystem::remove_all(folder);
    std::printf("%s %s on %d ranks: %s\n", mode.c_str(), tiling.c_str(), size_of(comm),
                total == 0 ? "passed" : "FAILED");
  }
  MPI_Finalize();
  return total == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
