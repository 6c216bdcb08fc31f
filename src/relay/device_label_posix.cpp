#include <pwd.h>
#include <unistd.h>

#include "relay/login_worker.h"

namespace px {

std::string deviceLabel() {
  std::string user;
  if (const passwd* entry = getpwuid(getuid())) user = entry->pw_name;
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  return user + " @ " + host;
}

}  // namespace px
