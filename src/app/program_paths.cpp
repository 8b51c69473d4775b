#include "app/program_paths.h"

#include <system_error>

#include "platform/files.h"

namespace tenrovel::app {

namespace {
constexpr const char* kSettingsFileName = "rvl.ini";
constexpr const char* kTempFileName = "tmp.dat";
}  // namespace

std::filesystem::path SettingsFilePath() {
  return platform::ProgramFolder() / kSettingsFileName;
}

std::filesystem::path WindowTempFilePath() {
  const std::filesystem::path folder = platform::ProgramFolder();
  if (platform::FolderIsWritable(folder))
    return folder / kTempFileName;
  std::error_code error;
  const std::filesystem::path system_temp = std::filesystem::temp_directory_path(error);
  return (error ? folder : system_temp) / kTempFileName;
}

}  // namespace tenrovel::app
