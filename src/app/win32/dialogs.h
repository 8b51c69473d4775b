// The window's dialogs and shell calls: message boxes, the save dialog and
// opening the saved file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "app/main_view.h"
#include "app/win32/win_handles.h"

namespace tenrovel::app::win32 {

// MessageBoxW with the program's CP932 texts; the answer (IDOK, IDYES, IDNO).
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

// The common save dialog for `request`; nullopt when the user cancels.
std::optional<std::filesystem::path> ShowSaveDialog(HWND owner, const SaveDialogRequest& request);

// A filter "description|pattern|..." as the dialog wants it: the parts
// separated by NUL characters, ended by two.
std::wstring DialogFilter(const std::wstring& filter);

// Opens the file with its associated program (verb "open", shown normally);
// false when it could not be opened. Called on the UI thread outside any
// input-synchronous call, so that COM can start the program's handler.
bool OpenWithShell(HWND owner, const std::filesystem::path& file);

}  // namespace tenrovel::app::win32
