#include <windows.h>

#include "relay/login_worker.h"

namespace px {
namespace {

std::string toUtf8(const wchar_t* text, int length) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(size_t(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
  return out;
}

}  // namespace

std::string deviceLabel() {
  wchar_t user[257] = {};
  DWORD userLength = 257;
  std::string label;
  if (GetUserNameW(user, &userLength) && userLength > 0) label = toUtf8(user, int(userLength - 1));
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD computerLength = MAX_COMPUTERNAME_LENGTH + 1;
  label += " @ ";
  if (GetComputerNameW(computer, &computerLength)) label += toUtf8(computer, int(computerLength));
  return label;
}

}  // namespace px
