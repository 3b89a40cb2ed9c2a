#include "data_file_fixture.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace mapplot::testing {

std::vector<std::string> data_file_test::folder_entries() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder_))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string read_whole_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

void write_whole_file(const std::filesystem::path& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary) << contents;
}

std::string crlf_lines(const std::vector<std::string>& lines) {
  std::string joined;
  for (const auto& line : lines) joined += line + "\r\n";
  return joined;
}

std::vector<std::string> split_crlf_lines(const std::string& contents) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (auto end = contents.find("\r\n"); end != std::string::npos;
       end = contents.find("\r\n", start)) {
    lines.push_back(contents.substr(start, end - start));
    start = end + 2;
  }
  if (start != contents.size()) lines.push_back(contents.substr(start));
  return lines;
}

}  // namespace mapplot::testing
