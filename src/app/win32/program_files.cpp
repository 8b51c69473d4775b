#include "app/win32/program_files.h"

// windows.h first: the other Windows headers need its definitions.
#include <windows.h>
//
#include <knownfolders.h>
#include <shlobj.h>

#include <system_error>

#include "platform/files.h"

namespace tenrovel::app::win32 {

namespace fs = std::filesystem;

namespace {

constexpr const wchar_t* kSettingsFileName = L"rvl.ini";
constexpr const wchar_t* kTempFileName = L"tmp.dat";
constexpr const wchar_t* kAppDataFolderName = L"Tenrovel";

std::optional<fs::path> RoamingAppData() {
  PWSTR folder = nullptr;
  std::optional<fs::path> result;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder)))
    result = fs::path(folder);
  CoTaskMemFree(folder);  // also after a failure, as the function asks
  return result;
}

std::shared_ptr<const platform::PrivateTempFolder> MakePrivateTemp() {
  try {
    return std::make_shared<const platform::PrivateTempFolder>("Tenrovel");
  } catch (const std::exception&) {
    return nullptr;  // then the program's folder, where a job reports that it cannot write
  }
}

}  // namespace

ProgramFiles ChooseProgramFiles(const fs::path& program_folder, bool program_folder_writable,
                                const std::optional<fs::path>& app_data,
                                const std::optional<fs::path>& temp_folder) {
  if (program_folder_writable)
    return {program_folder / kSettingsFileName, program_folder / kTempFileName, nullptr};
  // Without a better place, the program's folder: the settings are then
  // not kept, and a job reports that it cannot write.
  return {app_data ? *app_data / kAppDataFolderName / kSettingsFileName
                   : program_folder / kSettingsFileName,
          (temp_folder ? *temp_folder : program_folder) / kTempFileName, nullptr};
}

ProgramFiles LocateProgramFiles() {
  const fs::path program_folder = platform::ProgramFolder();
  return LocateProgramFiles(program_folder, platform::FolderIsWritable(program_folder));
}

ProgramFiles LocateProgramFiles(const fs::path& program_folder, bool writable) {
  std::shared_ptr<const platform::PrivateTempFolder> private_temp;
  if (!writable)
    private_temp = MakePrivateTemp();
  ProgramFiles files = ChooseProgramFiles(
      program_folder, writable, writable ? std::nullopt : RoamingAppData(),
      private_temp ? std::optional<fs::path>(private_temp->path()) : std::nullopt);
  files.private_temp = private_temp;
  if (!writable) {
    std::error_code ignored;  // SaveSettings then finds no folder and writes nothing
    fs::create_directories(files.settings_file.parent_path(), ignored);
  }
  return files;
}

}  // namespace tenrovel::app::win32
