#include "app/win32/dialogs.h"

// windows.h first: the other Windows headers need its definitions.
#include <windows.h>
//
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "app/win32/wide_text.h"

namespace tenrovel::app::win32 {

// The window logic speaks in these values without Windows' headers.
static_assert(kMbOk == MB_OK && kMbYesNo == MB_YESNO);
static_assert(kMbIconQuestion == MB_ICONQUESTION && kMbIconInformation == MB_ICONINFORMATION);
static_assert(kMbDefButton2 == MB_DEFBUTTON2 && kMbTopmost == MB_TOPMOST);
static_assert(kIdOk == IDOK && kIdYes == IDYES && kIdNo == IDNO);
static_assert(kFlashwAll == FLASHW_ALL && kFlashwTimerNoFg == FLASHW_TIMERNOFG);
static_assert(kWmUser == WM_USER);

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), flags);
}

std::wstring DialogFilter(const std::wstring& filter) {
  std::wstring result = filter;
  std::replace(result.begin(), result.end(), L'|', L'\0');
  result.push_back(L'\0');
  result.push_back(L'\0');
  return result;
}

std::optional<std::filesystem::path> ShowSaveDialog(HWND owner, const SaveDialogRequest& request) {
  // Room for a long path; the dialog reports a longer one as a failure.
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring proposal = Wide(request.file_name);
  std::copy_n(proposal.begin(), std::min(proposal.size(), file.size() - 1), file.begin());
  const std::wstring title = Wide(request.title);
  const std::wstring filter = DialogFilter(Wide(request.filter));
  const std::wstring extension = Wide(request.default_extension);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  // No initial folder. The working folder stays where it was, so that the
  // chosen folder is not held open while the program runs.
  dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
  if (request.overwrite_prompt)
    dialog.Flags |= OFN_OVERWRITEPROMPT;
  if (request.hide_read_only)
    dialog.Flags |= OFN_HIDEREADONLY;
  if (request.resizable)
    dialog.Flags |= OFN_ENABLESIZING;
  if (!GetSaveFileNameW(&dialog))
    return std::nullopt;
  return std::filesystem::path(std::wstring(file.data()));
}

bool OpenWithShell(HWND owner, const std::filesystem::path& file) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(owner, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  // Above 32 is success; a choice the user cancelled needs no message.
  return result > 32 || GetLastError() == ERROR_CANCELLED;
}

}  // namespace tenrovel::app::win32
