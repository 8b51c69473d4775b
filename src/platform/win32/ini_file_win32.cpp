// Private-profile values on Windows: the system's own functions.
#include <windows.h>

#include <vector>

#include "platform/codepage.h"
#include "platform/ini_file.h"
#include "platform/ini_text.h"

namespace tenrovel::platform {

namespace {

std::wstring Wide(const std::string& cp932) {
  const std::u16string u = Cp932ToUtf16(cp932);
  return std::wstring(u.begin(), u.end());
}

}  // namespace

std::string IniReadString(const std::filesystem::path& file, const std::string& section,
                          const std::string& key, const std::string& default_value) {
  const std::wstring wsection = Wide(section), wkey = Wide(key), wdefault = Wide(default_value);
  std::vector<wchar_t> buf(256);
  for (;;) {
    const DWORD n =
        GetPrivateProfileStringW(wsection.c_str(), wkey.c_str(), wdefault.c_str(), buf.data(),
                                 static_cast<DWORD>(buf.size()), file.c_str());
    if (n + 1 < buf.size()) {
      return Utf16ToCp932(std::u16string(buf.data(), buf.data() + n));
    }
    buf.resize(buf.size() * 2);  // the value was cut: read it again with room
  }
}

int IniReadInt(const std::filesystem::path& file, const std::string& section,
               const std::string& key, int default_value) {
  return static_cast<int>(
      GetPrivateProfileIntW(Wide(section).c_str(), Wide(key).c_str(), default_value, file.c_str()));
}

bool IniWriteString(const std::filesystem::path& file, const std::string& section,
                    const std::string& key, const std::string& value) {
  // Windows writes a line break in a value through, starting a new line.
  if (!ini::IsWritable(section, key, value))
    return false;
  return WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(),
                                    Wide(ini::WrittenValue(value)).c_str(), file.c_str()) != 0;
}

}  // namespace tenrovel::platform
