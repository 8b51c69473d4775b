// Private-profile (INI) values, one at a time, in the Windows file format:
// "[Section]" lines and "Key=Value" lines. Section and key names match
// without regard to ASCII case. Writing keeps every other section, key and
// line of the file as it was. On Windows the system's private-profile
// functions do the work; elsewhere our own code does, replacing the file
// atomically so that a crash never leaves it half-written.
//
// Values are program text (CP932 bytes); file paths are filesystem paths.
#pragma once

#include <filesystem>
#include <string>

namespace tenrovel::platform {

std::string IniReadString(const std::filesystem::path& file, const std::string& section,
                          const std::string& key, const std::string& default_value);
// As GetPrivateProfileInt: leading decimal digits (with an optional sign)
// of the value; `default_value` when the key is absent; 0 when the value
// does not start with a number.
int IniReadInt(const std::filesystem::path& file, const std::string& section,
               const std::string& key, int default_value);
// Creates the file and the section as needed. False when it could not write,
// and false without touching the file when a name or the value holds a line
// break (ini::IsWritable).
bool IniWriteString(const std::filesystem::path& file, const std::string& section,
                    const std::string& key, const std::string& value);

}  // namespace tenrovel::platform
