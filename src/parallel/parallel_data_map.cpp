// The data file of a grid split across ranks. Every value takes one line of
// the same length, so each rank knows where its values go and writes them
// there itself, through MPI-IO, into the temporary file the root prepared;
// the root puts the file in place once every rank has written its part.
#include <mpi.h>

#include <cerrno>
#include <mapplot/data_map.hpp>
#include <mapplot/parallel_map.hpp>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

#include "datamap/data_file.hpp"
#include "parallel/block_description.hpp"
#include "parallel/collective_failure.hpp"
#include "parallel/global_coordinates.hpp"
#include "request/grid_size.hpp"
#include "request/output_file.hpp"
#include "request/text_field.hpp"
#include "textout/write_console.hpp"

namespace mapplot::parallel {
namespace {

std::uint64_t digest_of(const data_options& options) {
  options_digest digest;
  digest.add_common_options(options).add_optional_text(options.filename);
  return digest.value();
}

// An MPI-IO failure as the file's own failure: what the library says, under
// the file's name.
[[noreturn]] void fail_io(int code, std::string_view action, std::string_view file_name) {
  char text[MPI_MAX_ERROR_STRING];
  int length = 0;
  MPI_Error_string(code, text, &length);
  throw std::system_error(EIO, std::generic_category(),
                          std::string(action) + " data file \"" + std::string(file_name) + "\" (" +
                              std::string(text, static_cast<std::size_t>(length)) + ")");
}

void write_at(MPI_File file, MPI_Offset offset, const std::string& bytes,
              std::string_view file_name) {
  // Large parts go in pieces whose counts fit an int.
  constexpr std::size_t piece = std::size_t{1} << 30;
  for (std::size_t done = 0; done < bytes.size(); done += piece) {
    const std::size_t size = std::min(piece, bytes.size() - done);
    MPI_Status status;
    const int code =
        MPI_File_write_at(file, offset + static_cast<MPI_Offset>(done), bytes.data() + done,
                          static_cast<int>(size), MPI_CHAR, &status);
    if (code != MPI_SUCCESS) fail_io(code, "cannot write", file_name);
    int written = 0;
    MPI_Get_count(&status, MPI_CHAR, &written);
    if (static_cast<std::size_t>(written) != size)
      throw std::system_error(ENOSPC, std::generic_category(),
                              "cannot write data file \"" + std::string(file_name) + "\"");
  }
}

// This rank's part of the file: the root's header, coordinates and texts,
// and every rank's values, a row at a time so that no more than a row of
// text is held.
template <class T>
void write_part(MPI_File file, const agreed_call& call, const grid_block<T>& block,
                const global_coordinates<T>& coordinates, const data_options& options,
                std::string_view file_name) {
  const bool logscale = options.logscale.value_or(false);
  const std::string header = data_file_header(call.nx, call.ny);
  const auto value_offset = [&](std::size_t index) {
    return static_cast<MPI_Offset>(header.size() + index * data_value_line_size);
  };
  const std::size_t values_start = call.nx + call.ny;
  if (call.rank == 0) {
    std::string start = header;
    append_value_lines(start, std::span<const T>(coordinates.x), false);
    append_value_lines(start, std::span<const T>(coordinates.y), false);
    write_at(file, 0, start, file_name);
    write_at(file, value_offset(values_start + call.nx * call.ny),
             data_file_texts(options, default_title), file_name);
  }
  const block_shape& own = call.blocks[static_cast<std::size_t>(call.rank)];
  if (!own.holds_cells()) return;
  std::string line;
  for (std::size_t q = 0; q < own.rows; ++q) {
    line.clear();
    append_value_lines(line, std::span<const T>(block.z.data + q * block.z.nx, own.columns),
                       logscale);
    write_at(file, value_offset(values_start + (own.first_y + q) * call.nx + own.first_x), line,
             file_name);
  }
}

template <class T>
void collective_data_map(MPI_Comm comm, const grid_block<T>& block, const data_options& options) {
  const agreed_call call =
      agree_on_call(comm, describe(call_kind::data_map, block, digest_of(options)), "data_map");
  if (call.size == 1) {
    mapplot::data_map(block.x, block.y, block.z, options);
    return;
  }
  // The same options everywhere: a bad name fails on every rank alike.
  const std::string_view file_name =
      strip_blanks(options.filename.value_or(default_data_file_name));
  if (file_name.empty()) throw std::invalid_argument("data_map: the data file name is blank");
  output_file::check_name(file_name, "data file");
  checked_cell_count(call.nx, call.ny);
  const global_coordinates<T> coordinates = gather_coordinates(comm, call, block, "data_map");

  // The root prepares the temporary file and tells every rank where it is.
  std::unique_ptr<output_file> file;
  std::string path;
  std::optional<failure> failed;
  if (call.rank == 0)
    failed = failure_of_work([&] {
      file = std::make_unique<output_file>(file_name, "data file", output_file::writer::by_path);
      path = file->temporary_path();
    });
  agree_on_outcome(comm, failed);
  int length = static_cast<int>(path.size());
  MPI_Bcast(&length, 1, MPI_INT, 0, comm);
  path.resize(static_cast<std::size_t>(length));
  MPI_Bcast(path.data(), length, MPI_CHAR, 0, comm);

  MPI_File handle = MPI_FILE_NULL;
  const int opened = MPI_File_open(comm, path.c_str(), MPI_MODE_WRONLY, MPI_INFO_NULL, &handle);
  failed = failure_of_work([&] {
    if (opened != MPI_SUCCESS) fail_io(opened, "cannot write", file_name);
  });
  agree_on_outcome(comm, failed);
  failed =
      failure_of_work([&] { write_part(handle, call, block, coordinates, options, file_name); });
  const int closed = MPI_File_close(&handle);
  if (!failed && closed != MPI_SUCCESS)
    failed = failure_of_work([&] { fail_io(closed, "cannot write", file_name); });
  agree_on_outcome(comm, failed);

  if (call.rank == 0) failed = failure_of_work([&] { file->commit(); });
  agree_on_outcome(comm, failed);
  if (call.rank == 0) write_console({std::string_view(" Output in "), file_name});
}

}  // namespace

void data_map(MPI_Comm comm, const grid_block<float>& block, const data_options& options) {
  collective_data_map(comm, block, options);
}

void data_map(MPI_Comm comm, const grid_block<double>& block, const data_options& options) {
  collective_data_map(comm, block, options);
}

}  // namespace mapplot::parallel
