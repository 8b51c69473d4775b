// The main window's handlers in this process, where Wine answers what it
// cannot answer across processes: the accessibility objects, the input
// context, a change of the monitor's DPI and the end of the session.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/win32/accessible.h"
#include "app/win32/check_list.h"
#include "app/win32/control_ids.h"
#include "app/win32/dpi_fonts.h"
#include "app/win32/main_window.h"
#include "platform/files.h"

namespace tenrovel::app::win32 {
namespace {

using namespace std::chrono_literals;

// Serves this thread's messages until `done` holds or 30 seconds have passed.
template <typename Done>
bool PumpUntil(Done done) {
  const auto end = std::chrono::steady_clock::now() + 30s;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end)
      return false;
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT)
        return done();
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

// A plain top-level window to hold the controls under test.
class Host {
 public:
  Host() {
    window_ = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                              400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~Host() { DestroyWindow(window_); }
  HWND get() const { return window_; }

 private:
  HWND window_;
};

ComPtr<IAccessible> ClientObject(HWND control) {
  ComPtr<IAccessible> object;
  AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible), object.put());
  return object;
}

VARIANT Child(long id) {
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

std::wstring Take(BSTR text) {
  std::wstring result = text != nullptr ? std::wstring(text, SysStringLen(text)) : L"";
  SysFreeString(text);
  return result;
}

std::wstring NameOf(IAccessible& object, long child) {
  BSTR name = nullptr;
  object.get_accName(Child(child), &name);
  return Take(name);
}

long LongOf(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), IAccessible& object,
            long child) {
  VARIANT value;
  VariantInit(&value);
  if (FAILED((object.*get)(Child(child), &value)) || value.vt != VT_I4)
    return -1;
  return value.lVal;
}

struct StateChange {
  HWND window;
  LONG object;
  LONG child;
  bool operator==(const StateChange&) const = default;
};
std::vector<StateChange> g_state_changes;

void CALLBACK NoteStateChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                              DWORD) {
  g_state_changes.push_back({window, object, child});
}

class AccessibilityTest : public ::testing::Test {
 protected:
  ComApartment com_;
  Host host_;
};

TEST_F(AccessibilityTest, ListItemsAreCheckBoxesThatTellTheirStateAndItsChanges) {
  CheckList list;
  list.Create(host_.get(), kIdLstArea, WS_TABSTOP, L"都道府県の選択");
  ASSERT_NE(list.handle(), nullptr);
  std::vector<int> toggled;
  list.on_toggle = [&](int index, bool checked) {
    toggled.push_back(index);
    list.SetChecked(index, checked);
  };
  list.SetItems({L"北海道", L"青森県", L"岩手県"});
  list.SetChecked(1, true);

  const ComPtr<IAccessible> object = ClientObject(list.handle());
  ASSERT_TRUE(object);
  EXPECT_EQ(NameOf(*object.get(), CHILDID_SELF), L"都道府県の選択");
  EXPECT_EQ(LongOf(&IAccessible::get_accRole, *object.get(), CHILDID_SELF), ROLE_SYSTEM_LIST);
  long count = 0;
  ASSERT_EQ(object->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 3);
  const struct {
    const wchar_t* name;
    bool checked;
  } items[] = {{L"北海道", false}, {L"青森県", true}, {L"岩手県", false}};
  for (long child = 1; child <= 3; ++child) {
    SCOPED_TRACE(child);
    EXPECT_EQ(NameOf(*object.get(), child), items[child - 1].name);
    EXPECT_EQ(LongOf(&IAccessible::get_accRole, *object.get(), child), ROLE_SYSTEM_CHECKBUTTON);
    const long state = LongOf(&IAccessible::get_accState, *object.get(), child);
    ASSERT_NE(state, -1);
    EXPECT_EQ((state & STATE_SYSTEM_CHECKED) != 0, items[child - 1].checked);
  }
  BSTR action = nullptr;
  object->get_accDefaultAction(Child(2), &action);
  EXPECT_EQ(Take(action), L"チェック解除");

  // The default action toggles like a click, and every change is announced.
  g_state_changes.clear();
  const HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE, nullptr, NoteStateChange,
                      GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  EXPECT_EQ(object->accDoDefaultAction(Child(3)), S_OK);
  EXPECT_EQ(toggled, std::vector<int>{2});
  EXPECT_NE(LongOf(&IAccessible::get_accState, *object.get(), 3) & STATE_SYSTEM_CHECKED, 0);
  list.SetChecked(1, false);
  const std::vector<StateChange> expected = {{list.handle(), OBJID_CLIENT, 3},
                                             {list.handle(), OBJID_CLIENT, 2}};
  EXPECT_TRUE(PumpUntil([&] { return g_state_changes.size() >= 2; }));
  EXPECT_EQ(g_state_changes, expected);
  UnhookWinEvent(hook);

  // A client that outlives the list gets an error, not a crash.
  DestroyWindow(list.handle());
  EXPECT_EQ(object->get_accChildCount(&count), RPC_E_DISCONNECTED);
}

TEST_F(AccessibilityTest, TheStatusLabelHasANameAndItsTextAsValue) {
  const HWND label = CreateWindowExW(0, L"STATIC", L"北海道 : 1/3件", WS_CHILD | WS_VISIBLE, 0, 0,
                                     100, 20, host_.get(), nullptr, nullptr, nullptr);
  AccessibleControl::Attach(label, LabelAccessible::Create(label, L"状態"));
  const ComPtr<IAccessible> object = ClientObject(label);
  ASSERT_TRUE(object);
  EXPECT_EQ(NameOf(*object.get(), CHILDID_SELF), L"状態");
  BSTR value = nullptr;
  object->get_accValue(Child(CHILDID_SELF), &value);
  EXPECT_EQ(Take(value), L"北海道 : 1/3件");
}

TEST(CheckListInput, HasNoInputContextAndLeavesTheOtherFieldsOne) {
  Host host;
  const HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20,
                                    host.get(), nullptr, nullptr, nullptr);
  CheckList list;
  list.Create(host.get(), kIdLstArea, WS_TABSTOP, L"list");
  EXPECT_EQ(ImmGetContext(list.handle()), nullptr);
  const HIMC context = ImmGetContext(edit);
  ASSERT_NE(context, nullptr);
  ImmSetOpenStatus(context, TRUE);
  SetFocus(list.handle());
  SetFocus(edit);
  EXPECT_TRUE(ImmGetOpenStatus(context));
  ImmReleaseContext(edit, context);
}

// A MainWindow of its own, with its settings in a private folder.
class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() : window_(Config()) {
    window_.Create(SW_SHOWNORMAL);
    const HWND list = GetDlgItem(window_.handle(), kIdLstArea);
    PumpUntil([&] { return SendMessageW(list, LB_GETCURSEL, 0, 0) != LB_ERR; });
  }

  TFrmMain::Config Config() const {
    TFrmMain::Config config;
    config.settings_file = folder_.path() / "rvl.ini";
    config.temp_file = folder_.path() / "tmp.dat";
    return config;
  }
  HWND Item(int id) const { return GetDlgItem(window_.handle(), id); }

  static RECT RectInParent(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  static int FontHeight(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font),
               &font);
    return font.lfHeight;
  }
  static int IconWidth(HWND window, WPARAM which) {
    ICONINFO info{};
    const auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, which, 0));
    if (icon == nullptr || !GetIconInfo(icon, &info))
      return 0;
    BITMAP bitmap{};
    GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
  }
  // The status label is at least as high as a line of its font and stays
  // clear of the progress bar.
  void ExpectStatusLabelFitsItsFont() const {
    const HWND status = Item(kIdLblStatus);
    const HDC dc = GetDC(status);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(status, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(status, dc);
    const RECT label = RectInParent(status);
    EXPECT_GE(label.bottom - label.top, metrics.tmHeight);
    EXPECT_LE(label.bottom, RectInParent(Item(kIdPrgBar)).top);
  }

  ComApartment com_;
  platform::PrivateTempFolder folder_{"tenrovel-window"};
  MainWindow window_;
};

TEST(StatusLabel, IsAsHighAsItsFontsLinesAndClearOfTheProgressBar) {
  const struct {
    int line_height;
    unsigned dpi;
    RECT expected;
  } cases[] = {
      {12, 96, {8, 195, 306, 208}},    // the table's label
      {16, 96, {8, 192, 306, 208}},    // a taller font: grows upwards
      {14, 144, {12, 292, 459, 312}},  // 13 pixels at 150 % are 20
      {22, 144, {12, 290, 459, 312}},
  };
  for (const auto& c : cases) {
    const RECT rect = StatusLabelRect(c.line_height, c.dpi);
    EXPECT_TRUE(EqualRect(&rect, &c.expected))
        << c.line_height << "@" << c.dpi << ": " << rect.left << "," << rect.top << ","
        << rect.right << "," << rect.bottom;
  }
}

TEST_F(MainWindowTest, ADpiChangeRescalesLayoutFontsThemeAndIcons) {
  const HWND window = window_.handle();
  ASSERT_EQ(WindowDpi(window), kDesignDpi);  // Xvfb and Wine's default
  const int box_at_96 = window_.area_list().BoxSize();
  ExpectStatusLabelFitsItsFont();

  // Windows asks for the size first: the client area scales, the frame is the system's.
  const auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
  const auto ex_style = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
  const SIZE expected = WindowSizeForClient({471, 335}, style, ex_style, 144);
  SIZE asked{};
  EXPECT_EQ(
      SendMessageW(window, 0x02E4 /* WM_GETDPISCALEDSIZE */, 144, reinterpret_cast<LPARAM>(&asked)),
      TRUE);
  EXPECT_EQ(asked.cx, expected.cx);
  EXPECT_EQ(asked.cy, expected.cy);

  RECT suggested{20, 20, 20 + expected.cx, 20 + expected.cy};
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  // The window takes the suggested place (Wine still draws its frame at
  // 96 DPI, so its client area is not the one of a real 144 DPI monitor).
  RECT placed{};
  GetWindowRect(window, &placed);
  EXPECT_TRUE(EqualRect(&placed, &suggested));
  const RECT list = RectInParent(Item(kIdLstArea));
  EXPECT_EQ(list.left, 243);
  EXPECT_EQ(list.top, 42);
  EXPECT_EQ(list.right - list.left, 218);
  EXPECT_EQ(SendMessageW(Item(kIdLstArea), LB_GETITEMHEIGHT, 0, 0), 24);
  EXPECT_EQ(FontHeight(Item(kIdBtnAction)), -18);
  EXPECT_EQ(FontHeight(Item(kIdLstArea)), -20);  // 13 pixels at 150 %
  EXPECT_NEAR(window_.area_list().BoxSize(), box_at_96 * 3 / 2, 1);
  EXPECT_EQ(IconWidth(window, ICON_SMALL), MetricForDpi(SM_CXSMICON, 144));
  EXPECT_EQ(IconWidth(window, ICON_BIG), MetricForDpi(SM_CXICON, 144));
  ExpectStatusLabelFitsItsFont();
}

TEST_F(MainWindowTest, TheListAndTheStatusLineHaveAccessibleNames) {
  const ComPtr<IAccessible> list = ClientObject(Item(kIdLstArea));
  const ComPtr<IAccessible> status = ClientObject(Item(kIdLblStatus));
  ASSERT_TRUE(list && status);
  EXPECT_EQ(NameOf(*list.get(), CHILDID_SELF), L"都道府県の選択");
  EXPECT_EQ(NameOf(*status.get(), CHILDID_SELF), L"状態");
  long count = 0;
  list->get_accChildCount(&count);
  EXPECT_EQ(count, 47);
  EXPECT_EQ(NameOf(*list.get(), 47), L"沖縄県");
}

TEST_F(MainWindowTest, TheEndOfAnIdleSessionAsksNothingAndSavesTheSettings) {
  const HWND window = window_.handle();
  // A box here would run its own loop and never return.
  EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  EXPECT_FALSE(platform::FileExists(folder_.path() / "rvl.ini"));
  SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(platform::FileExists(folder_.path() / "rvl.ini"));
  MSG quit{};
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
}  // namespace tenrovel::app::win32
