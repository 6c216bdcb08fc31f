#include "app/command_line.h"

namespace px {

std::string autoConnectTarget(std::string_view commandLine) {
  std::string target;
  target.reserve(commandLine.size());
  for (char c : commandLine) {
    if (c != ' ') target.push_back(c);
  }
  return target;
}

}  // namespace px
