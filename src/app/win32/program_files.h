// Where the window program keeps its settings and its temporary file.
//
// Both live in the program's folder ("rvl.ini" and "tmp.dat"). When that
// folder cannot be written (an installation under Program Files), the
// settings move to %APPDATA%\Tenrovel, created when needed, and the
// temporary file to a private folder made for this run under the system's
// temporary folder (a plain %TEMP%\tmp.dat could be another program's), so
// that jobs still work and the choices are still kept.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "platform/files.h"

namespace tenrovel::app::win32 {

struct ProgramFiles {
  std::filesystem::path settings_file;
  std::filesystem::path temp_file;
  // The private folder of temp_file, if one was made; removed with its
  // content when the last copy of this goes.
  std::shared_ptr<const platform::PrivateTempFolder> private_temp;
};

// The decision, given the facts: the program folder, whether it can be
// written, the user's application-data folder (if known) and the private
// temporary folder (if one could be made).
ProgramFiles ChooseProgramFiles(const std::filesystem::path& program_folder,
                                bool program_folder_writable,
                                const std::optional<std::filesystem::path>& app_data,
                                const std::optional<std::filesystem::path>& temp_folder);

// The decision for a program folder; creates %APPDATA%\Tenrovel and the
// private temporary folder when they are chosen.
ProgramFiles LocateProgramFiles(const std::filesystem::path& program_folder, bool writable);
// The same for this program's folder.
ProgramFiles LocateProgramFiles();

}  // namespace tenrovel::app::win32
