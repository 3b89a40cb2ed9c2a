// One configuration of the parallel maps, run under mpiexec and measured
// from inside: an n x n float field split across the ranks (rows of blocks
// of a near-square layout), each rank making only its own block, then
// `calls` screen_map calls and `calls` data_map calls into a real off-screen
// Qt canvas and a real file. Prints one line of figures, from rank 0:
//
//   screen_ms=… data_ms=… peak_rss_mb=… block_mb=… screen_sent_kb=… data_sent_kb=…
//
// where times are the slowest rank's per call, memory the largest rank's
// peak resident size beside its block's size, and bytes sent the largest
// rank's send buffers handed to MPI per call (counted through MPI's
// profiling interface). Mode "single" makes the one-process calls on the
// whole grid instead, the baseline.
//
//   parallel_map_process parallel|single N CALLS
#include <mpi.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mapplot/data_map.hpp>
#include <mapplot/parallel_map.hpp>
#include <mapplot/screen_map.hpp>
#include <string>
#include <vector>

namespace {

// Bytes this rank hands to MPI to send, in the calls the maps use.
long long bytes_sent = 0;

long long bytes_of(int count, MPI_Datatype type) {
  int size = 0;
  PMPI_Type_size(type, &size);
  return static_cast<long long>(count) * size;
}

}  // namespace

// The profiling interface: each wrapper counts, then calls MPI itself.
extern "C" {
int MPI_Send(const void* buffer, int count, MPI_Datatype type, int to, int tag, MPI_Comm comm) {
  bytes_sent += bytes_of(count, type);
  return PMPI_Send(buffer, count, type, to, tag, comm);
}
int MPI_Allgather(const void* send, int send_count, MPI_Datatype send_type, void* receive,
                  int receive_count, MPI_Datatype receive_type, MPI_Comm comm) {
  bytes_sent += bytes_of(send_count, send_type);
  return PMPI_Allgather(send, send_count, send_type, receive, receive_count, receive_type, comm);
}
int MPI_Allgatherv(const void* send, int send_count, MPI_Datatype send_type, void* receive,
                   const int counts[], const int offsets[], MPI_Datatype receive_type,
                   MPI_Comm comm) {
  bytes_sent += bytes_of(send_count, send_type);
  return PMPI_Allgatherv(send, send_count, send_type, receive, counts, offsets, receive_type, comm);
}
int MPI_Gatherv(const void* send, int send_count, MPI_Datatype send_type, void* receive,
                const int counts[], const int offsets[], MPI_Datatype receive_type, int root,
                MPI_Comm comm) {
  bytes_sent += bytes_of(send_count, send_type);
  return PMPI_Gatherv(send, send_count, send_type, receive, counts, offsets, receive_type, root,
                      comm);
}
int MPI_Allreduce(const void* send, void* receive, int count, MPI_Datatype type, MPI_Op op,
                  MPI_Comm comm) {
  bytes_sent += bytes_of(count, type);
  return PMPI_Allreduce(send, receive, count, type, op, comm);
}
int MPI_Bcast(void* buffer, int count, MPI_Datatype type, int root, MPI_Comm comm) {
  int rank = 0;
  PMPI_Comm_rank(comm, &rank);
  if (rank == root) bytes_sent += bytes_of(count, type);
  return PMPI_Bcast(buffer, count, type, root, comm);
}
}

namespace {

struct figures {
  double screen_seconds = 0, data_seconds = 0;
  double peak_rss_mb = 0, block_mb = 0;
  double screen_sent_kb = 0, data_sent_kb = 0;
};

double peak_rss_mb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

figures measure(bool parallel, std::size_t n, int calls) {
  int rank = 0, size = 1;
  MPI_Comm_rank(MPI_COMM_WORLD, &rank);
  MPI_Comm_size(MPI_COMM_WORLD, &size);
  int across = 1;
  while ((across + 1) * (across + 1) <= size) ++across;
  while (size % across != 0) --across;
  const int down = size / across;
  const std::size_t first_x = parallel ? n * (rank % across) / across : 0;
  const std::size_t last_x = parallel ? n * (rank % across + 1) / across : n;
  const std::size_t first_y = parallel ? n * (rank / across) / down : 0;
  const std::size_t last_y = parallel ? n * (rank / across + 1) / down : n;

  std::vector<float> x, y, z;
  for (std::size_t i = first_x; i < last_x; ++i) x.push_back(static_cast<float>(i) / n);
  for (std::size_t j = first_y; j < last_y; ++j) y.push_back(static_cast<float>(j) / n);
  z.reserve(x.size() * y.size());
  for (std::size_t j = first_y; j < last_y; ++j)
    for (std::size_t i = first_x; i < last_x; ++i)
      z.push_back(static_cast<float>(std::sin(0.001 * i) * std::cos(0.0013 * j)));
  const auto grid = mapplot::grid_view<float>::of(z, x.size(), y.size());
  const mapplot::parallel::grid_block<float> block{x, y, grid, first_x, first_y};

  figures result;
  result.block_mb = z.size() * sizeof(float) / 1048576.0;
  const auto timed = [&](auto&& call, double& seconds, double& sent_kb) {
    MPI_Barrier(MPI_COMM_WORLD);
    const long long sent_before = bytes_sent;
    const double start = MPI_Wtime();
    for (int k = 0; k < calls; ++k) call(k);
    seconds = (MPI_Wtime() - start) / calls;
    sent_kb = static_cast<double>(bytes_sent - sent_before) / calls / 1024.0;
  };
  timed(
      [&](int k) {
        const mapplot::screen_options options{.ownwindow = true, .update = k > 0};
        if (parallel)
          mapplot::parallel::screen_map(MPI_COMM_WORLD, block, options);
        else
          mapplot::screen_map(x, y, grid, options);
      },
      result.screen_seconds, result.screen_sent_kb);
  timed(
      [&](int) {
        if (parallel)
          mapplot::parallel::data_map(MPI_COMM_WORLD, block, {.filename = "bench.dat"});
        else
          mapplot::data_map(x, y, grid, {.filename = "bench.dat"});
      },
      result.data_seconds, result.data_sent_kb);
  result.peak_rss_mb = peak_rss_mb();
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  int provided = 0;
  MPI_Init_thread(&argc, &argv, MPI_THREAD_SERIALIZED, &provided);
  const bool parallel = argc > 1 && std::string(argv[1]) == "parallel";
  const std::size_t n = argc > 2 ? std::stoul(argv[2]) : 8192;
  const int calls = argc > 3 ? std::stoi(argv[3]) : 3;
  figures mine;
  const int status =
      mapplot::parallel::run_windowed_program(MPI_COMM_WORLD, argc, argv, "parallel_map_process",
                                              [&] { mine = measure(parallel, n, calls); });
  // The slowest and largest rank.
  double local[6] = {mine.screen_seconds, mine.data_seconds,   mine.peak_rss_mb,
                     mine.block_mb,       mine.screen_sent_kb, mine.data_sent_kb};
  double worst[6];
  PMPI_Reduce(local, worst, 6, MPI_DOUBLE, MPI_MAX, 0, MPI_COMM_WORLD);
  int rank = 0;
  MPI_Comm_rank(MPI_COMM_WORLD, &rank);
  if (rank == 0)
    std::printf(
        "screen_ms=%.3f data_ms=%.3f peak_rss_mb=%.1f block_mb=%.1f screen_sent_kb=%.1f "
        "data_sent_kb=%.1f\n",
        worst[0] * 1e3, worst[1] * 1e3, worst[2], worst[3], worst[4], worst[5]);
  MPI_Finalize();
  return status;
}
