// Where the window program keeps its files.
#pragma once

#include <filesystem>

namespace tenrovel::app {

// "rvl.ini" in the program's folder.
std::filesystem::path SettingsFilePath();

// "tmp.dat" in the program's folder, or in the system's temporary folder
// when the program's folder cannot be written (an installation under
// Program Files, for instance).
std::filesystem::path WindowTempFilePath();

}  // namespace tenrovel::app
