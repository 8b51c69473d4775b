// The portable part of platform/output_file.h.
#include "platform/output_file.h"

namespace tenrovel::platform {

std::filesystem::path PartPathFor(const std::filesystem::path& path) {
  std::filesystem::path part = path;
  part += ".part";
  return part;
}

}  // namespace tenrovel::platform
