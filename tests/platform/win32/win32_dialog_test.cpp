// Real Win32 dialogs of the dialog layer under wine, driven by real key presses (SendInput):
// the native controls and the program's message loop give the dialog layer the events it
// expects of Windows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "access/dialog.hpp"
#include "access/interface_context.hpp"
#include "access/speech.hpp"
#include "platform/services.hpp"
#include "platform/sim/sim_speech.hpp"
#include "platform/system_clock.hpp"
#include "platform/win32/win32_window_system.hpp"
#include "tests/platform/dialog_events.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

using ::testing::Contains;
using ::testing::Not;
using Events = std::vector<std::string>;
constexpr int kPatienceMs = 10000;

class Win32DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_interface();
    LoadSpeechLibraries();
  }

  Events events_until(const std::function<bool(const std::string&)>& done,
                      int patience_ms = kPatienceMs) {
    return testing::dialog_events_until(clock_, done, patience_ms);
  }
  bool reported(const std::string& wanted) {
    const Events seen = events_until([&](const std::string& name) { return name == wanted; });
    return std::find(seen.begin(), seen.end(), wanted) != seen.end();
  }
  Events events_for(int ms) {
    return events_until([](const std::string&) { return false; }, ms);
  }
  void press(int key) { windows_.synthesize_key(key, true); }
  void release(int key) { windows_.synthesize_key(key, false); }

  // A meeting form: a field, a box, two options after their label, a list, a button.
  void open_meeting_form() {
    OpenDialog("", 0, 0, 12, 40, "rendez-vous");
    AddLabel(1, "lieu", 1, 1);
    AddTextField(2, "", 1, 10, 26);
    AddCheckBox(3, "&confirmé", 3, 1, 14);
    AddLabel(4, "durée", 5, 1);
    AddOption(5, "&courte", true, 5, 10, 10);
    AddOption(6, "&longue", false, 5, 22, 10);
    AddList(7, 7, 10, 20, 2);
    AddItem(7, "matin");
    AddItem(7, "soir");
    AddButton(8, "&plan", 10, 1, 8);
    AddMnemonics(8);
    AddOkButton(0, 0);
    AddCancelButton(0, 0);
    ASSERT_TRUE(reported("getfocus")) << "the window never became active";
  }

  SystemClock clock_;
  Transcript transcript_{clock_};
  SimSpeech speech_{transcript_};
  Win32WindowSystem windows_;
  const InterfaceServices services_{windows_, speech_, clock_};
};

TEST_F(Win32DialogTest, KeysOnNativeControlsGiveTheDialogEvents) {
  open_meeting_form();

  // Typed letters reach the field; Return there is OK once.
  FocusControl(2);
  EXPECT_TRUE(reported("g2"));
  press('G');
  release('G');
  EXPECT_TRUE(reported("key_pressed"));
  press(vk::enter);
  EXPECT_TRUE(reported("btnok"));
  release(vk::enter);
  const Events after_return = events_for(300);
  EXPECT_EQ(std::count(after_return.begin(), after_return.end(), "btnok"), 0);
  EXPECT_EQ(ControlText(2), "g");

  // Tab moves on to the check box; Space there tells the coming state once.
  press(vk::tab);
  release(vk::tab);
  EXPECT_TRUE(reported("g3"));
  press(vk::space);
  EXPECT_TRUE(reported("chk3-set"));
  release(vk::space);
  const Events after_space = events_for(300);
  EXPECT_EQ(std::count(after_space.begin(), after_space.end(), "chk3-set"), 0);
  EXPECT_EQ(ControlState(3), 1);

  // Down in the option group selects the next option, which the dialog layer focuses.
  SetControlState(5, 1);
  FocusControl(5);
  EXPECT_TRUE(reported("rd5"));
  press(vk::down);
  EXPECT_TRUE(reported("rd6"));
  release(vk::down);
  EXPECT_EQ(ControlState(6), 1);
  EXPECT_EQ(ControlState(5), 0);

  // Down in the list selects the next row, which the list reports.
  SetControlState(7, 0);
  FocusControl(7);
  EXPECT_TRUE(reported("g7"));
  events_for(300);
  press(vk::down);
  EXPECT_TRUE(reported("lst7"));
  release(vk::down);
  EXPECT_EQ(ControlText(7), "soir");

  // Alt+letter presses its button; a timer fires; Escape is Cancel.
  press(vk::alt);
  press('P');
  EXPECT_TRUE(reported("btn8"));
  release('P');
  release(vk::alt);
  StartDialogTimer(4, 100, 0);
  EXPECT_TRUE(reported("timer4"));
  press(vk::escape);
  EXPECT_TRUE(reported("btncancel"));
  release(vk::escape);
}

TEST_F(Win32DialogTest, MenusShortcutsAndTheTrayReportTheirCommands) {
  open_meeting_form();
  const int window = dialog_state().window;
  const int file = windows_.add_menu(window, 0, "&fichier");
  windows_.add_menu_item(file, 34, "&nouveau\tCtrl+N");
  windows_.add_shortcut(window, 'N' | kShortcutControl, 34);
  windows_.add_menu_item(file, 35, "&ouvrir");
  press(vk::control);
  press('N');
  EXPECT_TRUE(reported("menu34"));
  release('N');
  release(vk::control);

  // The menu bar's letter opens its menu, which keeps the keyboard until it closes: the keys
  // that walk it are given before the wait. Down goes from the first item to the second, a
  // letter chooses its item, Escape closes the menu unchosen.
  const auto through_menu = [&](std::initializer_list<int> keys) {
    press(vk::alt);
    press('F');
    release('F');
    release(vk::alt);
    for (const int key : keys) {
      press(key);
      release(key);
    }
    return events_for(1500);
  };
  EXPECT_THAT(through_menu({vk::down, vk::enter}), Contains("menu35"));
  EXPECT_THAT(through_menu({'N'}), Contains("menu34"));
  const Events closed = through_menu({vk::escape, vk::escape});
  EXPECT_THAT(closed, Not(Contains("menu34")));
  EXPECT_THAT(closed, Not(Contains("menu35")));

  windows_.set_tray_icon(1, "", "Tavelo, version: 6.40 à jour");
  const HWND tray = FindWindowW(L"TaveloZoneDeNotification", nullptr);
  ASSERT_NE(tray, nullptr);
  PostMessageW(tray, WM_APP + 1, 1, WM_LBUTTONUP);  // what the shell sends for a click
  EXPECT_TRUE(reported("tray1"));
  // Shown when the desktop has a notification area (wine's explorer makes one), and not once
  // removed.
  EXPECT_EQ(windows_.tray_icon_shown(1), FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr);
  windows_.remove_tray_icon(1);
  EXPECT_FALSE(windows_.tray_icon_shown(1));
}

// What wakes the hidden agenda: a request renamed over the watched file, in a folder with a
// French name, or the watched key going down ends the wait; other files, the key's repeat and
// release, other keys and stopped watches do not.
// The question box is Windows's own, with its buttons named in French whatever the language of
// Windows, and their letters answer it.
TEST_F(Win32DialogTest, TheQuestionBoxSaysOuiAndNonAndAnswersToItsLetters) {
  open_meeting_form();
  std::wstring yes;
  std::wstring no;
  std::thread user([&] {
    HWND box = nullptr;
    for (int tries = 0; box == nullptr && tries < 200; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      box = FindWindowW(L"#32770", L"question");
    }
    wchar_t text[32] = {};
    GetDlgItemTextW(box, IDYES, text, 32);
    yes = text;
    GetDlgItemTextW(box, IDNO, text, 32);
    no = text;
    press('N');
    release('N');
  });
  EXPECT_FALSE(windows_.yes_no_box("question", "supprimer la planification?"));
  user.join();
  EXPECT_EQ(yes, L"&Oui");
  EXPECT_EQ(no, L"&Non");
}

TEST_F(Win32DialogTest, AWatchedFileOrKeyEndsTheWait) {
  const testing::TempFolder temp;
  const std::filesystem::path folder = temp.path() / std::filesystem::path(u8"réveil");
  std::filesystem::create_directory(folder);
  const std::filesystem::path request = folder / "trayaction.txt";
  windows_.watch_file(request);
  windows_.watch_desktop_key(vk::control);
  const auto watch_event = [this](int within_ms) {
    const std::uint32_t start = clock_.tick();
    for (;;) {
      const auto waited = static_cast<int>(clock_.tick() - start);
      if (waited >= within_ms) return RawEvent{};
      const RawEvent event = windows_.wait_event(within_ms - waited);
      if (event.kind == RawEvent::Kind::file || event.kind == RawEvent::Kind::desktop_key) {
        return event;
      }
    }
  };
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    testing::write_bytes(folder / "trayaction.tmp", "17");
    std::filesystem::rename(folder / "trayaction.tmp", request);
  });
  EXPECT_EQ(watch_event(kPatienceMs).kind, RawEvent::Kind::file);
  writer.join();
  // Already there when watched again: at once.
  windows_.watch_file(request);
  EXPECT_EQ(watch_event(kPatienceMs).kind, RawEvent::Kind::file);
  std::filesystem::remove(request);
  testing::write_bytes(folder / "agenda.bin", "autre");
  EXPECT_EQ(watch_event(500).kind, RawEvent::Kind::none);

  press(vk::left_control);
  const RawEvent raw = watch_event(kPatienceMs);
  EXPECT_EQ(raw.kind, RawEvent::Kind::desktop_key);
  EXPECT_EQ(raw.key, vk::control);
  press(vk::left_control);
  release(vk::left_control);
  press('A');
  release('A');
  EXPECT_EQ(watch_event(500).kind, RawEvent::Kind::none) << "Control's repeat, its release, A";

  windows_.watch_file({});
  windows_.watch_desktop_key(0);
  testing::write_bytes(request, "17");
  press(vk::left_control);
  release(vk::left_control);
  EXPECT_EQ(watch_event(1000).kind, RawEvent::Kind::none);
}

// A window opened hidden is neither seen nor active until the program shows it; a control taken
// out is gone from the native window. (The names given to controls go to MSAA's annotation
// service, which wine's MSAA does not consult: checked on Windows only.)
TEST_F(Win32DialogTest, HiddenWindowsAndRemovedControlsAreNative) {
  WindowSpec hidden_agenda;
  hidden_agenda.title = "agenda caché";
  hidden_agenda.rect = {40, 40, 320, 200};
  hidden_agenda.hidden = true;
  const int window = windows_.open_window(hidden_agenda);
  const auto hwnd = static_cast<HWND>(windows_.native_window(window));
  ASSERT_NE(hwnd, nullptr);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_NE(GetForegroundWindow(), hwnd);

  windows_.place_control(window, 3, ControlKind::text_field, {10, 10, 120, 22}, "", 0);
  windows_.place_control(window, 4, ControlKind::list_box, {10, 40, 120, 80}, "", 0);
  const auto list = static_cast<HWND>(windows_.native_control(window, 4));

  windows_.show_window(window, true);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  windows_.remove_control(window, 4);
  EXPECT_FALSE(IsWindow(list));
  EXPECT_FALSE(windows_.control_kind(window, 4));
  EXPECT_EQ(windows_.native_control(window, 4), nullptr);
  EXPECT_TRUE(windows_.control_kind(window, 3));
  windows_.show_window(window, false);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  windows_.close_window(window);
}

TEST_F(Win32DialogTest, ListsTreesAndEditorsKeepWhatTheProgramGivesThem) {
  OpenDialog("", 0, 0, 20, 50, "listes");
  AddList(2, 1, 1, 20, 4, kCheckList);
  for (const char* day : {"lundi", "mardi", "mercredi"}) AddItem(2, day);
  AddList(3, 6, 1, 20, 4, kSeveral);
  for (const char* name : {"Anne", "Bruno", "Chloé"}) AddItem(3, name);
  AddTree(4, 11, 1, 20, 4);
  AddItem(4, "travail", 0, 0);
  AddItem(4, "réunions", 0, 1);
  AddItem(4, "maison", 0, 0);
  AddCombo(5, 16, 1, 20);
  AddItem(5, "travail");
  AddItem(5, "famille");
  AddEditor(6, "première ligne\r\nseconde ligne", 1, 25, 20, 4, kReadOnly);
  MarkItem(2, 1, true);
  MarkItem(3, 0, true);
  MarkItem(3, 2, true);
  SetControlState(4, 1);
  SetControlState(5, 1);
  EXPECT_TRUE(ItemMarked(2, 1));
  EXPECT_FALSE(ItemMarked(2, 0));
  EXPECT_TRUE(ItemMarked(3, 2));
  EXPECT_FALSE(ItemMarked(3, 1));
  EXPECT_EQ(ControlText(4), "réunions");
  EXPECT_EQ(ControlText(5), "famille");
  windows_.set_caret(dialog_state().window, 6, {2, 4});
  EXPECT_EQ(windows_.caret(dialog_state().window, 6), (CaretPosition{2, 4}));
  EXPECT_EQ(ControlText(6), "première ligne\nseconde ligne");
}

}  // namespace
}  // namespace tavelo
