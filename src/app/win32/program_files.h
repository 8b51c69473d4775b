// Where the window program keeps its settings and its temporary file.
//
// Both live in the program's folder ("rvl.ini" and "tmp.dat"). When that
// folder cannot be written (an installation under Program Files), the
// settings move to %APPDATA%\Tenrovel, created when needed, and the
// temporary file to the system's temporary folder, so that jobs still work
// and the choices are still kept.
#pragma once

#include <filesystem>
#include <optional>

namespace tenrovel::app::win32 {

struct ProgramFiles {
  std::filesystem::path settings_file;
  std::filesystem::path temp_file;
};

// The decision, given the facts: the program folder, whether it can be
// written, the user's application-data folder (if known) and the system's
// temporary folder (if known).
ProgramFiles ChooseProgramFiles(const std::filesystem::path& program_folder,
                                bool program_folder_writable,
                                const std::optional<std::filesystem::path>& app_data,
                                const std::optional<std::filesystem::path>& temp_folder);

// The decision for this run; creates %APPDATA%\Tenrovel when it is chosen.
ProgramFiles LocateProgramFiles();

}  // namespace tenrovel::app::win32
