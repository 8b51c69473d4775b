// The identifiers of the main window and its controls. The end-to-end tests
// find the window and its controls by them.
#pragma once

namespace tenrovel::app::win32 {

// The main window's class, named after the window it shows.
inline constexpr wchar_t kMainWindowClass[] = L"TFrmMain";

// Child control identifiers, in the tab order of the window (1 and 2 are
// IDOK and IDCANCEL, which the dialog keys send, so ours start higher).
inline constexpr int kIdGroupBank = 100;
inline constexpr int kIdRdShop1 = 101;
inline constexpr int kIdRdShop2 = 102;
inline constexpr int kIdRdShop3 = 103;
inline constexpr int kIdChkArea = 110;
inline constexpr int kIdLstArea = 111;
inline constexpr int kIdBtnAction = 120;
inline constexpr int kIdBtnCancel = 121;
inline constexpr int kIdPrgBar = 130;
inline constexpr int kIdLblStatus = 131;

// lstArea keeps each item's check mark as its item data: 1 checked, 0 not.
inline constexpr long kItemChecked = 1;

}  // namespace tenrovel::app::win32
