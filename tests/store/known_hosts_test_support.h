// The known-hosts tests reach the platform's table directly to plant damaged entries:
// known_hosts_posix_test.cpp / known_hosts_win_test.cpp define the fixture's platform half.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/data_folder.h"
#include "support/test_paths.h"

namespace px::test {

enum class RawEntry { kTooLong, kTooShort, kText };

class KnownHostsFixture : public testing::Test {
 protected:
  void SetUp() override { setDataFolderOverride(scratch_.path()); }
  void TearDown() override;  // removes the planted and stored entries (registry)
  // A name no earlier run used: the registry outlives a test run.
  std::string uniqueName(const std::string& prefix);
  bool plantEntry(const std::string& name, RawEntry entry);

  std::vector<std::string> names_;
  TempDir scratch_;
};

}  // namespace px::test
