#include <windows.h>

#include <dpapi.h>

#include "store/saved_login.h"
#include "store_test_support.h"

namespace px {
namespace {

class SavedLoginDpapiTest : public test::DataFolderTest {};

// The file is a DPAPI blob for the current user that opens only with the program's entropy and
// carries the description "Parvolex".
TEST_F(SavedLoginDpapiTest, FileIsADpapiBlobBoundToTheEntropy) {
  saveLogin(LoginToken{}, 2'000'000'000, "ana", "Ana");
  Bytes file = readFile(kLoginFileName);
  DATA_BLOB in{DWORD(file.size()), file.data()}, out{};
  EXPECT_FALSE(
      CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out));

  const char entropy[] = "Parvolex-login-v1";
  DATA_BLOB extra{DWORD(sizeof(entropy) - 1), reinterpret_cast<BYTE*>(const_cast<char*>(entropy))};
  LPWSTR description = nullptr;
  ASSERT_TRUE(CryptUnprotectData(&in, &description, &extra, nullptr, nullptr,
                                 CRYPTPROTECT_UI_FORBIDDEN, &out));
  EXPECT_STREQ(description, L"Parvolex");
  EXPECT_EQ(out.pbData[0], 1);  // record version
  LocalFree(description);
  LocalFree(out.pbData);
}

}  // namespace
}  // namespace px
