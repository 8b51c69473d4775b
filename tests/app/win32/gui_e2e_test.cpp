// Tenrovel.exe end to end, under Wine and Xvfb: the real program against the
// bank simulator, driven from this process through its windows as a person
// would drive it (buttons, the save dialog, the message boxes). The bank and
// the prefectures come from an rvl.ini written before the start.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/win32/control_ids.h"
#include "gui_probe.h"
#include "platform/files.h"
#include "support/simulator_client.h"

namespace tenrovel::gui_test {
namespace {

using namespace app::win32;
namespace fs = std::filesystem;

// Long enough for a first start of Wine; a fault shows as a missed wait.
constexpr milliseconds kStartTimeout = seconds(90);
constexpr milliseconds kStepTimeout = seconds(60);

const std::wstring kTitle = L"Tenrovel";
const std::wstring kSaveTitle = L"取得情報の保存先を指定してください";
const std::string kAllPrefectures(47, '1');
const std::string kNoPrefecture(47, '0');
// 北海道 and 東京都.
const std::string kHokkaidoTokyo = "1" + std::string(11, '0') + "1" + std::string(34, '0');
const std::string kTokyo = std::string(12, '0') + "1" + std::string(34, '0');

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The manifest built into a program.
std::string ManifestOf(const fs::path& exe) {
  const HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr)
    return {};
  std::string text;
  if (const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
      found != nullptr) {
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    if (bytes != nullptr)
      text.assign(bytes, SizeofResource(module, found));
  }
  FreeLibrary(module);
  return text;
}

// What a Mizuho job for 北海道 and 東京都 writes against the simulator.
std::string ExpectedMizuhoFile() {
  return ReadFile(BuildPath(TENROVEL_SOURCE_DIR "/tests/cli/expected/mizuho_01_13.csv"));
}

// What the command-line tool writes for an SMBC job for 東京都 against the
// simulator on `port` (its URLs name the port).
std::string ExpectedSmbcFile(int port) {
  std::string bytes = ReadFile(BuildPath(TENROVEL_SOURCE_DIR "/tests/cli/expected/smbc_13.csv"));
  const std::string placeholder = "@PORT@";
  for (std::size_t at = bytes.find(placeholder); at != std::string::npos;
       at = bytes.find(placeholder, at)) {
    bytes.replace(at, placeholder.size(), std::to_string(port));
  }
  return bytes;
}

class GuiTest : public ::testing::Test {
 protected:
  GuiTest() : folder_("tenrovel-gui"), exe_(folder_.path() / "Tenrovel.exe") {
    if (!CopyFileW(BuildPath(TENROVEL_GUI_EXE).c_str(), exe_.c_str(), FALSE))
      throw std::runtime_error("cannot copy Tenrovel.exe");
    const auto simulator = test_support::BankSimulator::FromPortFile();
    SetEnvironment("TENROVEL_MIZUHO_URL", simulator.Url(""));
    SetEnvironment("TENROVEL_MIZUHO_DETAIL_URL", "https://detail.example");
    SetEnvironment("TENROVEL_SMBC_URL", simulator.Url(""));
    SetEnvironment("TENROVEL_POSTAL_URL", simulator.Url(""));
    SetDelayScale(0);
    SetSystemDpi(std::nullopt);  // also after a test that could not clean up
  }

  ~GuiTest() override { SetSystemDpi(std::nullopt); }

  // The display's DPI as Wine reads it when a program starts (HKCU\Control
  // Panel\Desktop, "LogPixels"); nullopt: Wine's default, 96.
  static void SetSystemDpi(std::optional<DWORD> dpi) {
    HKEY desktop = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &desktop, nullptr) != ERROR_SUCCESS)
      throw std::runtime_error("cannot open Control Panel\\Desktop");
    if (dpi)
      RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*dpi),
                     sizeof(*dpi));
    else
      RegDeleteValueW(desktop, L"LogPixels");
    RegCloseKey(desktop);
  }

  static void SetEnvironment(const char* name, const std::string& value) {
    SetEnvironmentVariableA(name, value.c_str());
  }
  // 0: no pauses; 100: 30 seconds after every request, time enough to act
  // in the middle of a job.
  static void SetDelayScale(int scale) {
    SetEnvironment("TENROVEL_DELAY_SCALE", std::to_string(scale));
  }

  void WriteSettings(const std::string& lines) const {
    std::ofstream(folder_.path() / "rvl.ini", std::ios::binary) << lines;
  }
  std::string Settings() const { return ReadFile(folder_.path() / "rvl.ini"); }

  // Starts the program and waits for its window with the settings applied
  // (the list's highlighted item is set last).
  HWND Open(Process& process) {
    const HWND window = WaitForTopWindow(process.id(), kMainWindowClass, kTitle, kStartTimeout);
    if (window == nullptr)
      return nullptr;
    const HWND list = GetDlgItem(window, kIdLstArea);
    WaitUntil([&] { return SendWithTimeout(list, LB_GETCURSEL, 0, 0) != LB_ERR; }, kStepTimeout);
    return window;
  }

  static HWND Item(HWND window, int id) { return GetDlgItem(window, id); }
  static bool AreaChecked(HWND window, int index) {
    return SendWithTimeout(Item(window, kIdLstArea), LB_GETITEMDATA, static_cast<WPARAM>(index),
                           0) == kItemChecked;
  }
  static std::string AreaPattern(HWND window) {
    std::string pattern;
    for (int i = 0; i < 47; ++i)
      pattern += AreaChecked(window, i) ? '1' : '0';
    return pattern;
  }
  static bool Idle(HWND window) {
    return IsWindowEnabled(Item(window, kIdBtnAction)) &&
           !IsWindowEnabled(Item(window, kIdBtnCancel));
  }
  static bool Running(HWND window) {
    return !IsWindowEnabled(Item(window, kIdBtnAction)) &&
           IsWindowEnabled(Item(window, kIdBtnCancel));
  }

  // Presses the start button and answers the save dialog with `name` in the
  // test's folder; checks the dialog on the way.
  void StartJob(const Process& process, HWND window, const std::wstring& name,
                const std::string& proposed = "みずほ銀行店舗一覧.csv") {
    PressButton(window, kIdBtnAction);
    const HWND dialog = WaitForDialog(process.id(), kSaveTitle, kStepTimeout);
    ASSERT_NE(dialog, nullptr) << "no save dialog";
    const HWND file_name = FileNameEdit(dialog);
    ASSERT_NE(file_name, nullptr) << DescribeChildren(dialog);
    EXPECT_EQ(Utf8(WindowText(file_name)), proposed);
    const HWND types = GetDlgItem(dialog, 0x470);  // cmb1, the file types
    ASSERT_NE(types, nullptr);
    EXPECT_EQ(SendWithTimeout(types, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(Utf8(WindowText(types)), "CSVファイル (*.csv)");
    const HWND read_only = GetDlgItem(dialog, 0x410);  // chx1
    EXPECT_TRUE(read_only == nullptr || !IsWindowVisible(read_only)) << "read-only box shown";

    const std::wstring path = (folder_.path() / name).wstring();
    SendWithTimeout(file_name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PressButton(dialog, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kStepTimeout));
  }

  // Waits for the job to have ended by itself: its file complete and its
  // temporary file removed.
  bool WaitForTheJobsEnd(const fs::path& file, const std::string& expected) const {
    return WaitUntil(
        [&] { return !fs::exists(folder_.path() / "tmp.dat") && ReadFile(file) == expected; },
        kStepTimeout);
  }

  // The control with the keyboard focus in another process's window.
  static HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
      return nullptr;
    return info.hwndFocus;
  }

  static HWND FileNameEdit(HWND dialog) {
    if (const HWND edit = GetDlgItem(dialog, 0x480); edit != nullptr)  // edt1
      return edit;
    // cmb13, a combo box whose edit field may sit one level further down.
    HWND edit = nullptr;
    EnumChildWindows(
        GetDlgItem(dialog, 0x47C),
        [](HWND child, LPARAM found) {
          wchar_t name[16] = {};
          GetClassNameW(child, name, 16);
          if (std::wstring(name) != L"Edit")
            return TRUE;
          *reinterpret_cast<HWND*>(found) = child;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&edit));
    return edit;
  }

  platform::PrivateTempFolder folder_;
  fs::path exe_;
};

struct Placement {
  int id;
  const char* name;
  int x, y, width, height;  // -1: not fixed by the window's table
};

TEST_F(GuiTest, FirstStartShowsTheWindowOfTheTable) {
  Process process(exe_);
  const HWND window = Open(process);
  ASSERT_NE(window, nullptr);

  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_NE(style & WS_MINIMIZEBOX, 0);
  EXPECT_NE(style & WS_SYSMENU, 0);
  EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 314);
  EXPECT_EQ(client.bottom, 223);

  const Placement table[] = {
      {kIdGroupBank, "group", 8, 10, 145, 103},     {kIdRdShop1, "rdShop1", 20, 30, 120, 20},
      {kIdRdShop2, "rdShop2", 20, 56, -1, -1},      {kIdRdShop3, "rdShop3", 20, 82, -1, -1},
      {kIdChkArea, "chkArea", 165, 8, 119, 17},     {kIdLstArea, "lstArea", 162, 28, 145, 164},
      {kIdBtnAction, "btnAction", 8, 121, 145, 32}, {kIdBtnCancel, "btnCancel", 8, 154, 145, 32},
      {kIdPrgBar, "prgBar", 0, 223 - 15, 314, 15},
  };
  for (const Placement& p : table) {
    const RECT r = RectInParent(Item(window, p.id));
    EXPECT_EQ(r.left, p.x) << p.name;
    EXPECT_EQ(r.top, p.y) << p.name;
    if (p.width >= 0) {
      EXPECT_EQ(r.right - r.left, p.width) << p.name;
      EXPECT_EQ(r.bottom - r.top, p.height) << p.name;
    }
  }
  const RECT status = RectInParent(Item(window, kIdLblStatus));
  EXPECT_EQ(status.right, 306);
  EXPECT_EQ(status.top, 195);
  EXPECT_NE(GetWindowLongW(Item(window, kIdLblStatus), GWL_STYLE) & SS_RIGHT, 0);

  // The table's order is the tab order.
  EXPECT_EQ(ChildIds(window),
            (std::vector<int>{kIdGroupBank, kIdRdShop1, kIdRdShop2, kIdRdShop3, kIdChkArea,
                              kIdLstArea, kIdBtnAction, kIdBtnCancel, kIdPrgBar, kIdLblStatus}));

  const std::pair<int, const char*> captions[] = {
      {kIdGroupBank, " 銀行の選択 "},     {kIdRdShop1, "みずほ銀行 店舗"},
      {kIdRdShop2, "三井住友銀行 店舗"},  {kIdRdShop3, "三菱UFJ銀行 店舗"},
      {kIdChkArea, " 都道府県の選択 : "}, {kIdBtnAction, "取得開始 (&R)"},
      {kIdBtnCancel, "キャンセル (&C)"},  {kIdLblStatus, "　　"},
  };
  for (const auto& [id, caption] : captions)
    EXPECT_EQ(Utf8(WindowText(Item(window, id))), caption) << id;

  const HWND list = Item(window, kIdLstArea);
  EXPECT_EQ(SendWithTimeout(list, LB_GETCOUNT, 0, 0), 47);
  EXPECT_EQ(SendWithTimeout(list, LB_GETITEMHEIGHT, 0, 0), 16);
  for (const auto& [index, name] : {std::pair{0, "北海道"}, {12, "東京都"}, {46, "沖縄県"}}) {
    wchar_t text[32] = {};
    SendWithTimeout(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(Utf8(text), name);
  }

  // Without a settings file: Mizuho, every prefecture, 北海道 highlighted.
  EXPECT_TRUE(IsChecked(Item(window, kIdRdShop1)));
  EXPECT_TRUE(IsChecked(Item(window, kIdChkArea)));
  EXPECT_EQ(AreaPattern(window), kAllPrefectures);
  EXPECT_EQ(SendWithTimeout(list, LB_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(Idle(window));

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(process.WaitForExit(kStepTimeout), std::optional<DWORD>(0));
  EXPECT_NE(Settings().find("SelShop=0"), std::string::npos);
  EXPECT_NE(Settings().find("Area=" + kAllPrefectures), std::string::npos);

  // The manifest declares what the program handles: per-monitor DPI changes
  // and paths beyond MAX_PATH, which the save dialog accepts.
  const std::string manifest = ManifestOf(exe_);
  EXPECT_NE(manifest.find(">PerMonitorV2"), std::string::npos);
  EXPECT_NE(manifest.find("<longPathAware"), std::string::npos);
  EXPECT_NE(manifest.find(">true</longPathAware>"), std::string::npos);
}

TEST_F(GuiTest, ScalesTheWindowForTheDisplayDpi) {
  SetSystemDpi(144);  // 150 %
  Process process(exe_);
  const HWND window = Open(process);
  ASSERT_NE(window, nullptr);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 471);
  EXPECT_EQ(client.bottom, 335);
  const RECT list = RectInParent(Item(window, kIdLstArea));
  EXPECT_EQ(list.left, 243);
  EXPECT_EQ(list.top, 42);
  EXPECT_EQ(list.right - list.left, 218);
  EXPECT_EQ(list.bottom - list.top, 246);
  EXPECT_EQ(SendWithTimeout(Item(window, kIdLstArea), LB_GETITEMHEIGHT, 0, 0), 24);
  const RECT start = RectInParent(Item(window, kIdBtnAction));
  EXPECT_EQ(start.top, 182);
  EXPECT_EQ(start.bottom - start.top, 48);

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(process.WaitForExit(kStepTimeout), std::optional<DWORD>(0));
}

TEST_F(GuiTest, MizuhoJobSavesTheFileAndOffersToOpenIt) {
  WriteSettings("[Config]\r\nSelShop=0\r\nArea=" + kHokkaidoTokyo + "\r\n");
  Process process(exe_);
  const HWND window = Open(process);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(AreaPattern(window), kHokkaidoTokyo);
  EXPECT_FALSE(IsChecked(Item(window, kIdChkArea)));

  // Typed without an extension: the program adds ".csv".
  ASSERT_NO_FATAL_FAILURE(StartJob(process, window, L"result"));
  const HWND done = WaitForDialog(process.id(), L"処理確認", kStepTimeout);
  ASSERT_NE(done, nullptr) << "no completion message";
  EXPECT_EQ(Utf8(MessageBoxText(done)),
            "店舗情報の取得が完了しました。\n保存したファイルを開きますか？");
  EXPECT_EQ(GetDlgCtrlID(FocusOf(done)), IDNO) << "No is the default button";
  EXPECT_FALSE(IsWindowEnabled(Item(window, kIdBtnCancel))) << "the job has ended";
  PressButton(done, IDNO);

  ASSERT_TRUE(WaitUntil([&] { return Idle(window); }, kStepTimeout));
  EXPECT_EQ(WindowText(Item(window, kIdLblStatus)), L"");
  // The keyboard is where the next job starts.
  EXPECT_TRUE(
      WaitUntil([&] { return FocusOf(window) == Item(window, kIdBtnAction); }, kStepTimeout));
  const std::string expected = ExpectedMizuhoFile();
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(ReadFile(folder_.path() / "result.csv"), expected);
  EXPECT_FALSE(fs::exists(folder_.path() / "tmp.dat"));

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(process.WaitForExit(kStepTimeout), std::optional<DWORD>(0));
  EXPECT_NE(Settings().find("Area=" + kHokkaidoTokyo), std::string::npos);
}

TEST_F(GuiTest, AQuestionOpenWhileTheJobEndsHoldsTheEndAndActsOnNothing) {
  SetDelayScale(20);  // 6 seconds after each request: time to ask while it runs
  WriteSettings("[Config]\r\nSelShop=0\r\nArea=" + kHokkaidoTokyo + "\r\n");
  Process process(exe_);
  const HWND window = Open(process);
  ASSERT_NE(window, nullptr);
  ASSERT_NO_FATAL_FAILURE(StartJob(process, window, L"stale.csv"));
  ASSERT_TRUE(WaitUntil([&] { return Running(window); }, kStepTimeout));
  PressButton(window, kIdBtnCancel);
  const HWND question = WaitForDialog(process.id(), L"中断確認", kStepTimeout);
  ASSERT_NE(question, nullptr);

  // The job ends while the question is open; its end waits for the answer.
  const fs::path file = folder_.path() / "stale.csv";
  ASSERT_TRUE(WaitForTheJobsEnd(file, ExpectedMizuhoFile()));
  EXPECT_FALSE(IsWindowEnabled(window)) << "the open question keeps the window disabled";
  PressButton(question, IDYES);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }, kStepTimeout))
      << "another box holds the question open";

  // The answer found no running job to stop: the job is reported complete.
  const HWND done = WaitForDialog(process.id(), L"処理確認", kStepTimeout);
  ASSERT_NE(done, nullptr);
  EXPECT_FALSE(IsWindowEnabled(Item(window, kIdBtnCancel)));
  EXPECT_EQ(ReadFile(file), ExpectedMizuhoFile());

  // Closing now asks nothing about the ended job.
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(process.WaitForExit(kStepTimeout), std::optional<DWORD>(0));
  EXPECT_NE(Settings().find("Area=" + kHokkaidoTokyo), std::string::npos);
}

TEST_F(GuiTest, ANameTypedWithoutExtensionIsCheckedForOverwritingAsCsv) {
  WriteSettings("[Config]\r\nSelShop=0\r\nArea=" + kHokkaidoTokyo + "\r\n");
  const fs::path existing = folder_.path() / "report.csv";
  std::ofstream(existing, std::ios::binary) << "old";
  Process process(exe_);
  const HWND window = Open(process);
  ASSERT_NE(window, nullptr);
  PressButton(window, kIdBtnAction);
  const HWND dialog = WaitForDialog(process.id(), kSaveTitle, kStepTimeout);
  ASSERT_NE(dialog, nullptr);
  const std::wstring typed = (folder_.path() / "report").wstring();
  SendWithTimeout(FileNameEdit(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
  PressButton(dialog, IDOK);

  // The dialog's own question (there is no file "report", only report.csv);
  // No keeps the file.
  HWND prompt = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (const HWND top : AllTopWindows(process.id()))
          if (top != dialog && GetDlgItem(top, IDYES) != nullptr)
            prompt = top;
        return prompt != nullptr;
      },
      kStepTimeout))
      << "no overwrite question";
  PressButton(prompt, IDNO);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(prompt); }, kStepTimeout));
  ASSERT_TRUE(IsWindow(dialog)) << "No goes back to the dialog";
  PressButton(dialog, IDCANCEL);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kStepTimeout));
  EXPECT_TRUE(Idle(window));
  EXPECT_EQ(ReadFile(existing), "old");

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(process.WaitForExit(kStepTimeout), std::optional<DWORD>(0));
}

TEST_F(GuiTest, SmbcJobWritesTheFileOfTheCommandLineTool) {
  WriteSettings("[Config]\r\nSelShop=1\r\nArea=" + kTokyo + "\r\n");
  Process process(exe_);
  const HWND window = Open(process);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsChecked(Item(window, kIdRdShop2)));

  ASSERT_NO_FATAL_FAILURE(StartJob(process, window, L"smbc.csv", "三井住友銀行店舗一覧.csv"));
  const HWND done = WaitForDialog(process.id(), L"処理確認", kStepTimeout);
  ASSERT_NE(done, nullptr) << "no completion message";
  PressButton(done, IDNO);
  ASSERT_TRUE(WaitUntil([&] { return Idle(window); }, kStepTimeout));
  const int port = test_support::BankSimulator::FromPortFile().port();
  EXPECT_EQ(ReadFile(folder_.path() / "smbc.csv"), ExpectedSmbcFile(port));
  EXPECT_FALSE(fs::exists(folder_.path() / "tmp.dat"));

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(process.WaitForExit(kStepTimeout), std::optional<DWORD>(0));
}

TEST_F(GuiTest, CancelStopsTheJobAfterConfirmation) {
  SetDelayScale(100);
  WriteSettings("[Config]\r\nSelShop=0\r\nArea=" + kAllPrefectures + "\r\n");
  Process process(exe_);
  const HWND window = Open(process);
  ASSERT_NE(window, nullptr);
  ASSERT_NO_FATAL_FAILURE(StartJob(process, window, L"cancelled.csv"));
  ASSERT_TRUE(WaitUntil([&] { return Running(window); }, kStepTimeout));
  // The keyboard stays usable: the focus moved on to the one enabled button.
  EXPECT_EQ(FocusOf(window), Item(window, kIdBtnCancel));

  // No: the job goes on.
  PressButton(window, kIdBtnCancel);
  HWND question = WaitForDialog(process.id(), L"中断確認", kStepTimeout);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(Utf8(MessageBoxText(question)), "取得処理を中断します。\nよろしいですか？");
  PressButton(question, IDNO);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }, kStepTimeout));
  EXPECT_TRUE(Running(window));

  // Yes: it ends after the current prefecture (its pause ends at once),
  // without a message, long before its 47 prefectures could be done.
  PressButton(window, kIdBtnCancel);
  question = WaitForDialog(process.id(), L"中断確認", kStepTimeout);
  ASSERT_NE(question, nullptr);
  PressButton(question, IDYES);
  ASSERT_TRUE(WaitUntil([&] { return Idle(window); }, kStepTimeout));
  const std::vector<HWND> windows = AllTopWindows(process.id());
  EXPECT_EQ(windows, std::vector<HWND>{window}) << "a message after a cancel";
  const std::string expected = ExpectedMizuhoFile();
  const std::string header = expected.substr(0, expected.find("\r\n") + 2);
  ASSERT_GT(header.size(), 2u);
  EXPECT_EQ(ReadFile(folder_.path() / "cancelled.csv").substr(0, header.size()), header);

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(process.WaitForExit(kStepTimeout), std::optional<DWORD>(0));
}

TEST_F(GuiTest, ClosingDuringAJobStopsItAndEndsTheProgram) {
  SetDelayScale(100);
  // No "SelShop" yet: the program writes it when it ends.
  WriteSettings("[Config]\r\nArea=" + kAllPrefectures + "\r\n");
  Process process(exe_);
  const HWND window = Open(process);
  ASSERT_NE(window, nullptr);
  ASSERT_NO_FATAL_FAILURE(StartJob(process, window, L"closing.csv"));
  ASSERT_TRUE(WaitUntil([&] { return Running(window); }, kStepTimeout));

  PostMessageW(window, WM_CLOSE, 0, 0);
  const HWND question = WaitForDialog(process.id(), L"終了確認", kStepTimeout);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(Utf8(MessageBoxText(question)), "取得処理の実行中ですが終了しますか？");
  PressButton(question, IDYES);

  EXPECT_EQ(process.WaitForExit(kStepTimeout), std::optional<DWORD>(0));
  EXPECT_NE(Settings().find("SelShop=0"), std::string::npos);
  EXPECT_FALSE(fs::exists(folder_.path() / "tmp.dat"));
}

TEST_F(GuiTest, StartWithoutPrefectureOnlyShowsTheErrorAndASecondStartExitsWithCodeOne) {
  WriteSettings("[Config]\r\nSelShop=1\r\nArea=" + kNoPrefecture + "\r\n");
  Process first(exe_);
  const HWND window = Open(first);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsChecked(Item(window, kIdRdShop2)));
  EXPECT_FALSE(IsChecked(Item(window, kIdRdShop1)));

  PressButton(window, kIdBtnAction);
  const HWND error = WaitForDialog(first.id(), L"Error", kStepTimeout);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(Utf8(MessageBoxText(error)), "都道府県は１つ以上を選択してください。");
  EXPECT_TRUE(TopWindows(first.id(), L"#32770", kSaveTitle).empty());
  PressButton(error, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(error); }, kStepTimeout));

  {
    const Process second(exe_);
    EXPECT_EQ(second.WaitForExit(kStepTimeout), std::optional<DWORD>(1));
  }
  EXPECT_TRUE(first.Running());
  EXPECT_TRUE(Idle(window));
  EXPECT_EQ(WindowText(window), kTitle);

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(kStepTimeout), std::optional<DWORD>(0));

  // Once the first copy has ended, a new start succeeds.
  Process third(exe_);
  const HWND again = Open(third);
  ASSERT_NE(again, nullptr);
  PostMessageW(again, WM_CLOSE, 0, 0);
  EXPECT_EQ(third.WaitForExit(kStepTimeout), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace tenrovel::gui_test
