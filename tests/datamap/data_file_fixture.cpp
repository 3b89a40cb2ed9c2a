#include "data_file_fixture.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace mapplot::testing {

void data_file_test::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = std::filesystem::current_path() / "datamap_files" /
            (std::string(info->test_suite_name()) + "." + info->name());
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  previous_working_directory_ = std::filesystem::current_path();
  std::filesystem::current_path(folder_);
}

void data_file_test::TearDown() {
  std::filesystem::current_path(previous_working_directory_);
}

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
