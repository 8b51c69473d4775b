// The program's environment variables.
#pragma once

#include <optional>
#include <string>

namespace tenrovel::platform {

// The value of an environment variable as UTF-8 text, nullopt when unset.
std::optional<std::string> GetEnvironmentUtf8(const char* name);

}  // namespace tenrovel::platform
