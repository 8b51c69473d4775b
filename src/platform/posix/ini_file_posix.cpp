// Private-profile values on POSIX: our own reading and editing of the file's
// text, written back atomically.
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/ini_text.h"

namespace tenrovel::platform {

std::string IniReadString(const std::filesystem::path& file, const std::string& section,
                          const std::string& key, const std::string& default_value) {
  const auto text = ReadFileBytes(file);
  if (!text)
    return default_value;
  return ini::FindValue(*text, section, key).value_or(default_value);
}

int IniReadInt(const std::filesystem::path& file, const std::string& section,
               const std::string& key, int default_value) {
  const std::string value = IniReadString(file, section, key, "");
  return value.empty() ? default_value : ini::ParseLeadingInt(value);
}

bool IniWriteString(const std::filesystem::path& file, const std::string& section,
                    const std::string& key, const std::string& value) {
  const std::string text = ReadFileBytes(file).value_or(std::string());
  const std::optional<std::string> edited = ini::SetValue(text, section, key, value);
  return edited && ReplaceFileAtomically(file, *edited);
}

}  // namespace tenrovel::platform
