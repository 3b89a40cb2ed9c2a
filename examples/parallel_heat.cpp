// The heat equation on a square plate, split across the ranks of an MPI
// program: each rank steps its own block of the temperature field, trading
// one row or column of halo with its neighbours on a Cartesian grid of ranks,
// and every few steps all ranks together show the whole field in the root's
// window with mapplot::parallel::screen_map. No rank ever holds the whole
// field. At the end they write it as a data file and a plot file.
//
//   mpiexec -n 4 ./parallel_heat [--frames DIR] [--size N] [--steps N]
//
// Off screen (no display, or QT_QPA_PLATFORM=offscreen) the last picture is
// saved as "parallel_heat-window-101.png"; with --frames DIR every frame is
// kept as DIR/frame-001.png, frame-002.png, ...
#include <mpi.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <mapplot/parallel_map.hpp>
#include <mapplot/window_pictures.hpp>
#include <optional>
#include <string>
#include <vector>

namespace {

struct settings {
  int size = 256;    // cells along each side of the plate
  int steps = 2000;  // time steps
  int steps_per_frame = 50;
  std::string frames;  // a folder for every frame, or empty
};

// This rank's block of the plate with a halo of one cell on every side.
class heat_block {
 public:
  heat_block(MPI_Comm grid, int size) : grid_(grid) {
    int dims[2], periods[2], coords[2];
    MPI_Cart_get(grid, 2, dims, periods, coords);
    const auto split = [size](int parts, int part) {
      return std::pair{size * part / parts, size * (part + 1) / parts};
    };
    std::tie(first_x_, last_x_) = split(dims[0], coords[0]);
    std::tie(first_y_, last_y_) = split(dims[1], coords[1]);
    columns_ = last_x_ - first_x_;
    rows_ = last_y_ - first_y_;
    MPI_Cart_shift(grid, 0, 1, &left_, &right_);
    MPI_Cart_shift(grid, 1, 1, &below_, &above_);
    t_.assign(static_cast<std::size_t>((columns_ + 2) * (rows_ + 2)), 0.0);
    next_ = t_;
    for (int q = 0; q < rows_; ++q) {
      for (int p = 0; p < columns_; ++p) {
        // A hot spot off centre and a warm band: something worth watching.
        const double x = (first_x_ + p + 0.5) / size, y = (first_y_ + q + 0.5) / size;
        const double spot = std::exp(-((x - 0.3) * (x - 0.3) + (y - 0.6) * (y - 0.6)) / 0.005);
        at(p, q) = 100 * spot + (std::abs(x - 0.7) < 0.05 ? 40 : 0);
      }
    }
    column_type_ = make_column_type();
  }
  ~heat_block() { MPI_Type_free(&column_type_); }
  heat_block(const heat_block&) = delete;
  heat_block& operator=(const heat_block&) = delete;

  // One explicit step; the plate's edges are held at zero.
  void step() {
    exchange_halo();
    constexpr double rate = 0.2;
    for (int q = 0; q < rows_; ++q)
      for (int p = 0; p < columns_; ++p)
        next(p, q) = at(p, q) + rate * (at(p - 1, q) + at(p + 1, q) + at(p, q - 1) + at(p, q + 1) -
                                        4 * at(p, q));
    std::swap(t_, next_);
  }

  // The block as the maps take it: its coordinates and its values without
  // the halo, x index fastest.
  mapplot::parallel::grid_block<double> block(std::vector<double>& x, std::vector<double>& y,
                                              std::vector<double>& values, int size) const {
    x.clear();
    y.clear();
    values.clear();
    for (int p = 0; p < columns_; ++p) x.push_back((first_x_ + p + 0.5) / size);
    for (int q = 0; q < rows_; ++q) y.push_back((first_y_ + q + 0.5) / size);
    for (int q = 0; q < rows_; ++q)
      for (int p = 0; p < columns_; ++p) values.push_back(at(p, q));
    return {x, y,
            mapplot::grid_view<double>::of(values, static_cast<std::size_t>(columns_),
                                           static_cast<std::size_t>(rows_)),
            static_cast<std::size_t>(first_x_), static_cast<std::size_t>(first_y_)};
  }

 private:
  double& at(int p, int q) { return t_[index(p, q)]; }
  double at(int p, int q) const { return t_[index(p, q)]; }
  double& next(int p, int q) { return next_[index(p, q)]; }
  std::size_t index(int p, int q) const {
    return static_cast<std::size_t>((p + 1) + (q + 1) * (columns_ + 2));
  }

  MPI_Datatype make_column_type() const {
    MPI_Datatype type;
    MPI_Type_vector(rows_, 1, columns_ + 2, MPI_DOUBLE, &type);
    MPI_Type_commit(&type);
    return type;
  }

  // Rows go as they lie in memory, columns through a strided type; a
  // neighbour beyond the plate's edge is MPI_PROC_NULL, and its halo stays 0.
  void exchange_halo() {
    MPI_Sendrecv(&at(0, rows_ - 1), columns_, MPI_DOUBLE, above_, 0, &at(0, -1), columns_,
                 MPI_DOUBLE, below_, 0, grid_, MPI_STATUS_IGNORE);
    MPI_Sendrecv(&at(0, 0), columns_, MPI_DOUBLE, below_, 1, &at(0, rows_), columns_, MPI_DOUBLE,
                 above_, 1, grid_, MPI_STATUS_IGNORE);
    MPI_Sendrecv(&at(columns_ - 1, 0), 1, column_type_, right_, 2, &at(-1, 0), 1, column_type_,
                 left_, 2, grid_, MPI_STATUS_IGNORE);
    MPI_Sendrecv(&at(0, 0), 1, column_type_, left_, 3, &at(columns_, 0), 1, column_type_, right_, 3,
                 grid_, MPI_STATUS_IGNORE);
  }

  MPI_Comm grid_;
  int first_x_ = 0, last_x_ = 0, first_y_ = 0, last_y_ = 0, columns_ = 0, rows_ = 0;
  int left_ = MPI_PROC_NULL, right_ = MPI_PROC_NULL, below_ = MPI_PROC_NULL, above_ = MPI_PROC_NULL;
  std::vector<double> t_, next_;
  MPI_Datatype column_type_ = MPI_DATATYPE_NULL;
};

std::optional<settings> read_settings(int argc, char** argv) {
  settings chosen;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return std::nullopt;
    const std::string value = argv[++i];
    if (option == "--frames") {
      chosen.frames = value;
    } else if (option == "--size") {
      chosen.size = std::stoi(value);
    } else if (option == "--steps") {
      chosen.steps = std::stoi(value);
    } else {
      return std::nullopt;
    }
  }
  if (chosen.size < 2 || chosen.steps < 0) return std::nullopt;
  return chosen;
}

void simulate(MPI_Comm grid, const settings& chosen) {
  int rank = 0;
  MPI_Comm_rank(grid, &rank);
  // The root keeps every frame it presents when asked to.
  mapplot::frame_subscription keeper;
  if (rank == 0 && !chosen.frames.empty()) {
    std::filesystem::create_directories(chosen.frames);
    keeper = mapplot::frame_subscription([&](const mapplot::presented_frame& frame) {
      const QImage picture(reinterpret_cast<const uchar*>(frame.pixels.data()), frame.width,
                           frame.height, frame.width * 4, QImage::Format_RGB32);
      char name[32];
      std::snprintf(name, sizeof name, "frame-%03lld.png", frame.frame_number);
      if (!picture.save(QString::fromStdString(chosen.frames + "/" + name)))
        throw std::runtime_error("cannot write " + chosen.frames + "/" + name);
    });
  }

  heat_block plate(grid, chosen.size);
  std::vector<double> x, y, values;
  for (int step = 0; step <= chosen.steps; ++step) {
    if (step % chosen.steps_per_frame == 0) {
      mapplot::parallel::screen_map(grid, plate.block(x, y, values, chosen.size),
                                    {.xlabel = "x",
                                     .ylabel = "y",
                                     .title = "Temperature",
                                     .ownwindow = true,
                                     .update = step > 0});
    }
    if (step < chosen.steps) plate.step();
  }
  const auto block = plate.block(x, y, values, chosen.size);
  mapplot::parallel::data_map(grid, block, {.title = "Temperature", .filename = "heat.dat"});
  mapplot::parallel::postscript_map(grid, block, {.title = "Temperature", .filename = "heat.ps"});
}

}  // namespace

int main(int argc, char** argv) {
  // The root's windowing layer makes its MPI calls from the program's thread.
  int provided = 0;
  MPI_Init_thread(&argc, &argv, MPI_THREAD_SERIALIZED, &provided);
  int ranks = 1;
  MPI_Comm_size(MPI_COMM_WORLD, &ranks);
  int dims[2] = {0, 0};
  MPI_Dims_create(ranks, 2, dims);
  const int periods[2] = {0, 0};
  MPI_Comm grid;
  MPI_Cart_create(MPI_COMM_WORLD, 2, dims, periods, 0, &grid);

  int status = 2;
  if (const auto chosen = read_settings(argc, argv)) {
    status = mapplot::parallel::run_windowed_program(grid, argc, argv, "parallel_heat",
                                                     [&] { simulate(grid, *chosen); });
  } else {
    int rank = 0;
    MPI_Comm_rank(MPI_COMM_WORLD, &rank);
    if (rank == 0)
      std::fprintf(stderr, "usage: parallel_heat [--frames DIR] [--size N] [--steps N]\n");
  }
  MPI_Comm_free(&grid);
  MPI_Finalize();
  return status;
}
