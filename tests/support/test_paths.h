// Where tests find shared sample data and scratch space.
#pragma once

#include <filesystem>
#include <string>

namespace px::test {

// The folder with the corpus and the XPRESS vectors: $PX_SHARED_DIR, else ../shared beside the
// source tree.
std::filesystem::path sharedDir();

// A fresh empty folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace px::test
