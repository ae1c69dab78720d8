// A fresh folder under the system's temporary folder for one test, removed with everything in it
// when the object goes; reading files and folders back.
#pragma once

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace prynda::testing {

class TempDir {
 public:
  TempDir() {
    namespace fs = std::filesystem;
    std::random_device entropy;
    std::mt19937_64 random(entropy() ^ static_cast<unsigned long long>(
                                           std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
      const fs::path candidate = fs::temp_directory_path() / ("prynda-test-" + std::to_string(random() % 100000000));
      std::error_code error;
      if (fs::create_directory(candidate, error)) {
        path_ = candidate.generic_string();
        return;
      }
    }
    throw std::runtime_error("no temporary folder");
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Writes the bytes to the named file in the folder; returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary | std::ios::trunc) << bytes;
    return File(name);
  }

 private:
  std::string path_;
};

// The whole file; "" when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The names in a folder, sorted.
inline std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace prynda::testing
