// The environment as POSIX keeps it: bytes, taken to be UTF-8.
#include <cstdlib>

#include "platform/environment.h"

namespace tenrovel::platform {

std::optional<std::string> GetEnvironmentUtf8(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr)
    return std::nullopt;
  return std::string(value);
}

}  // namespace tenrovel::platform
