// Makes saving over one existing file fail while the object lives, to test that a failed save
// keeps the old file. POSIX: a file-size limit of one byte (it binds root too, unlike a read-only
// folder). Windows: the file held open without delete sharing, as another program might.
#pragma once

#include <filesystem>

namespace px::test {

class WriteBlocker {
 public:
  explicit WriteBlocker(const std::filesystem::path& file);
  ~WriteBlocker();
  WriteBlocker(const WriteBlocker&) = delete;
  WriteBlocker& operator=(const WriteBlocker&) = delete;

  // False when the platform let a probe write through anyway; tests skip then.
  bool blocks() const { return blocks_; }

 private:
  void engage(const std::filesystem::path& file);
  void release();
  bool blocks_ = false;
  void* state_ = nullptr;
};

}  // namespace px::test
