// Whether Windows refuses a path for its length, so that the window can say
// so instead of blaming another program.
#pragma once

#include <filesystem>

namespace tenrovel::app::win32 {

// True when a name in `path` is longer than a file system allows, or the
// whole path is longer than MAX_PATH and long paths are not enabled for
// this program (the manifest declares them; the system must allow them too).
bool PathTooLong(const std::filesystem::path& path);

}  // namespace tenrovel::app::win32
