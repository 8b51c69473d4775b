// The Windows program's pieces that can be checked without the whole window:
// the worker's path to the window, the save dialog's filter, where the
// files go, and the fonts.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

#include "app/win32/dialogs.h"
#include "app/win32/dpi_fonts.h"
#include "app/win32/path_limits.h"
#include "app/win32/program_files.h"
#include "app/win32/window_dispatcher.h"
#include "platform/files.h"

namespace tenrovel::app::win32 {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Generous: a fault shows as a wait that never ends.
constexpr auto kTimeout = 30s;

// A message-only window whose thread serves a WindowDispatcher, as the main
// window does; it notes exceptions that Serve passes on.
class ServingWindow {
 public:
  explicit ServingWindow(WindowDispatcher& dispatcher) : dispatcher_(dispatcher) {
    WNDCLASSEXW definition{};
    definition.cbSize = sizeof(definition);
    definition.lpfnWndProc = Proc;
    definition.hInstance = GetModuleHandleW(nullptr);
    definition.lpszClassName = L"TenrovelDispatcherTest";
    RegisterClassExW(&definition);
    window_ = CreateWindowExW(0, definition.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                              nullptr, definition.hInstance, this);
    dispatcher_.Attach(window_);
  }
  ~ServingWindow() { DestroyWindow(window_); }

  // Serves messages until `done` holds; false when it did not within the timeout.
  template <typename Done>
  bool PumpUntil(Done done) {
    const auto end = std::chrono::steady_clock::now() + kTimeout;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end)
        return false;
      MSG message{};
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
  }

  std::vector<std::string> errors;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(
                            reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams));
    }
    auto* const self = reinterpret_cast<ServingWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message == WindowDispatcher::kRunCallMessage) {
      try {
        self->dispatcher_.Serve(wparam);
      } catch (const std::exception& e) {
        self->errors.push_back(e.what());
      }
      return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }

  WindowDispatcher& dispatcher_;
  HWND window_ = nullptr;
};

TEST(WindowDispatcher, RunsEachCallOnTheWindowThreadWhileTheWorkerWaits) {
  WindowDispatcher dispatcher;
  ServingWindow window(dispatcher);
  const auto ui_thread = std::this_thread::get_id();
  std::vector<std::thread::id> ran_on;
  std::vector<std::size_t> seen_after_return;
  std::atomic<bool> worker_done{false};
  bool input_synchronous = false;  // COM refuses outgoing calls there
  std::thread worker([&] {
    for (int i = 0; i < 5; ++i) {
      const bool ran = dispatcher.RunOnUiThread([&] {
        ran_on.push_back(std::this_thread::get_id());
        const DWORD sent = InSendMessageEx(nullptr);
        input_synchronous |= (sent & (ISMEX_SEND | ISMEX_REPLIED)) == ISMEX_SEND;
      });
      EXPECT_TRUE(ran);
      seen_after_return.push_back(ran_on.size());  // the call is complete when it returns
    }
    worker_done = true;
  });
  const bool served = window.PumpUntil([&] { return worker_done.load(); });
  worker.join();
  ASSERT_TRUE(served);
  EXPECT_EQ(ran_on, std::vector<std::thread::id>(5, ui_thread));
  EXPECT_EQ(seen_after_return, (std::vector<std::size_t>{1, 2, 3, 4, 5}));
  EXPECT_FALSE(input_synchronous);
}

TEST(WindowDispatcher, CloseReleasesAWorkerWhoseCallWasNotTaken) {
  WindowDispatcher dispatcher;
  ServingWindow window(dispatcher);
  std::atomic<bool> call_ran{false};
  std::atomic<bool> sending{false};
  // The window's thread serves nothing until Close, as at program end.
  auto worker = std::async(std::launch::async, [&] {
    sending = true;
    return dispatcher.RunOnUiThread([&] { call_ran = true; });
  });
  while (!sending)
    std::this_thread::yield();
  std::this_thread::sleep_for(100ms);  // lets the worker reach its send (not required)
  dispatcher.Close();
  ASSERT_EQ(worker.wait_for(kTimeout), std::future_status::ready);
  EXPECT_FALSE(worker.get());
  // A message still on its way finds nothing to run.
  window.PumpUntil([] { return true; });
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
    DispatchMessageW(&message);
  EXPECT_FALSE(call_ran);
  // And later calls return at once without running.
  EXPECT_FALSE(dispatcher.RunOnUiThread([&] { call_ran = true; }));
  EXPECT_FALSE(call_ran);
}

TEST(WindowDispatcher, ATakenCallRunsToItsEndEvenWhenClosedMeanwhile) {
  WindowDispatcher dispatcher;
  ServingWindow window(dispatcher);
  std::atomic<bool> finished{false};
  bool call_completed = false;
  std::thread worker([&] {
    EXPECT_TRUE(dispatcher.RunOnUiThread([&] {
      dispatcher.Close();  // e.g. the program ends from inside the call
      call_completed = true;
    }));
    finished = true;
  });
  const bool served = window.PumpUntil([&] { return finished.load(); });
  worker.join();
  ASSERT_TRUE(served);
  EXPECT_TRUE(call_completed);
}

TEST(WindowDispatcher, AnExceptionReachesTheWindowAndReleasesTheWorker) {
  WindowDispatcher dispatcher;
  ServingWindow window(dispatcher);
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    EXPECT_TRUE(dispatcher.RunOnUiThread([] { throw std::runtime_error("broken handler"); }));
    EXPECT_TRUE(dispatcher.RunOnUiThread([] {}));  // the next call still works
    finished = true;
  });
  const bool served = window.PumpUntil([&] { return finished.load(); });
  worker.join();
  ASSERT_TRUE(served);
  EXPECT_EQ(window.errors, std::vector<std::string>{"broken handler"});
}

TEST(DialogFilter, SeparatesThePartsWithNulCharacters) {
  using namespace std::string_literals;
  const struct {
    std::wstring filter;
    std::wstring expected;
  } cases[] = {
      {L"CSVファイル (*.csv)|*.csv", L"CSVファイル (*.csv)\0*.csv\0\0"s},
      {L"A|*.a|B|*.b;*.c", L"A\0*.a\0B\0*.b;*.c\0\0"s},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DialogFilter(c.filter), c.expected);
}

TEST(ProgramFiles, FallBackOnlyWhenTheProgramFolderCannotBeWritten) {
  const fs::path program = L"C:\\Program Files\\Tenrovel";
  const fs::path app_data = L"C:\\Users\\u\\AppData\\Roaming";
  const fs::path temp = L"C:\\Users\\u\\AppData\\Local\\Temp";
  const struct {
    bool writable;
    std::optional<fs::path> app_data, temp;
    fs::path settings, temp_file;
  } cases[] = {
      {true, app_data, temp, program / L"rvl.ini", program / L"tmp.dat"},
      {false, app_data, temp, app_data / L"Tenrovel" / L"rvl.ini", temp / L"tmp.dat"},
      {false, std::nullopt, std::nullopt, program / L"rvl.ini", program / L"tmp.dat"},
  };
  for (const auto& c : cases) {
    const ProgramFiles files = ChooseProgramFiles(program, c.writable, c.app_data, c.temp);
    EXPECT_EQ(files.settings_file, c.settings);
    EXPECT_EQ(files.temp_file, c.temp_file);
  }
}

TEST(PathTooLong, ANameLongerThanAFileSystemAllows) {
  // Short enough as a whole (under MAX_PATH), so only the name decides.
  const fs::path root = L"C:\\";
  EXPECT_FALSE(PathTooLong(root / L"みずほ銀行店舗一覧.csv"));
  EXPECT_FALSE(PathTooLong(root / (std::wstring(251, L'x') + L".csv")));
  EXPECT_TRUE(PathTooLong(root / (std::wstring(252, L'x') + L".csv")));
}

TEST(ProgramFiles, TheFallbackTemporaryFileIsInAFolderOfItsOwn) {
  const platform::PrivateTempFolder program;  // stands for a folder that cannot be written
  fs::path folder;
  {
    const ProgramFiles files = LocateProgramFiles(program.path(), false);
    folder = files.temp_file.parent_path();
    EXPECT_EQ(files.temp_file.filename(), L"tmp.dat");
    ASSERT_TRUE(platform::FolderExists(folder));
    // A folder of its own, not the shared temporary folder where another
    // program's tmp.dat may lie.
    EXPECT_FALSE(fs::equivalent(folder, fs::temp_directory_path()));
  }
  EXPECT_FALSE(platform::FolderExists(folder)) << "removed when the program ends";
}

TEST(WindowFonts, HaveGlyphsForTheJapaneseCaptions) {
  const WindowFonts fonts = CreateWindowFonts(kDesignDpi);
  const HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  const std::wstring captions =
      L"銀行の選択みずほ三井住友三菱UFJ都道府県取得開始キャンセル北海道沖縄県";
  for (const FontHandle* font : {&fonts.ui, &fonts.list}) {
    ASSERT_TRUE(*font);
    const HGDIOBJ old = SelectObject(dc, font->get());
    std::vector<WORD> glyphs(captions.size());
    ASSERT_NE(GetGlyphIndicesW(dc, captions.c_str(), static_cast<int>(captions.size()),
                               glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS),
              GDI_ERROR);
    for (std::size_t i = 0; i < glyphs.size(); ++i)
      EXPECT_NE(glyphs[i], 0xFFFF) << "no glyph for character " << i;
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, font == &fonts.ui ? 12 : 13);
    SelectObject(dc, old);
  }
  DeleteDC(dc);
}

}  // namespace
}  // namespace tenrovel::app::win32
