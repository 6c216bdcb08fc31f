#include "base/os_error.h"

#include <gtest/gtest.h>

#include <string>

namespace px {
namespace {

struct CodeCase {
  OsError error;
  std::string prefix;  // the code as the OS's documentation writes it
};

TEST(OsError, CodesAreWrittenAsTheirDocumentationWritesThem) {
  const CodeCase cases[] = {
      {{OsErrorKind::kErrno, 111}, "errno 111"},
      {{OsErrorKind::kWin32, 5}, "erro 5"},
      {{OsErrorKind::kWinsock, 10061}, "WSA 10061"},
      {{OsErrorKind::kHresult, int64_t(0x80004001)}, "HRESULT 0x80004001"},
      // A negative HRESULT as a signed 32-bit value still prints as its eight hex digits.
      {{OsErrorKind::kHresult, int32_t(0x887A0004)}, "HRESULT 0x887A0004"},
      {{OsErrorKind::kNtstatus, int64_t(0xC000000D)}, "NTSTATUS 0xC000000D"},
  };
  for (const CodeCase& c : cases) {
    const std::string text = describeOsError(c.error);
    EXPECT_EQ(text.rfind(c.prefix, 0), 0u) << text;
    // The system's text, where there is one, stays on the same log line.
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace px
