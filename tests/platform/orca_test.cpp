// Orca, the screen reader, on the private desktop of the GUI tests, speaking through a private
// speech-dispatcher daemon: every control of a real dialog is said by its name when real key
// presses (Tab, and Down inside the option group) give it the focus. Orca's own words (role names,
// in the language of its locale) are not checked, only the names the backend gives.
#include <glib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "access/dialog.hpp"
#include "access/dialog_state.hpp"
#include "access/interface_context.hpp"
#include "access/notification_dialog.hpp"
#include "access/speech.hpp"
#include "planning/settings.hpp"
#include "platform/files.hpp"
#include "platform/services.hpp"
#include "platform/sim/sim_speech.hpp"
#include "platform/system_clock.hpp"
#include "tests/platform/gui_session.hpp"
#include "tests/platform/orca_session.hpp"
#include "tests/platform/speech_daemon.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo {
namespace {

namespace fs = std::filesystem;
using testing::eventually;

constexpr int kPatienceMs = testing::kOrcaPatienceMs;
// Shorter than the X server's auto-repeat delay: a key that does not move the focus at once is
// not pressed again by the repeat, which would hide a control that takes a Tab of its own.
constexpr int kFocusMoveMs = 5000;

// Counts ATK's criticals while it lives: ATK reports a fault in what the backend built this way
// (a message on the standard error) and goes on, so a screen reader's questions can hit one
// unseen.
class AtkCriticals {
 public:
  AtkCriticals() : handler_(g_log_set_handler("Atk", G_LOG_LEVEL_CRITICAL, count_one, &count_)) {}
  ~AtkCriticals() { g_log_remove_handler("Atk", handler_); }
  AtkCriticals(const AtkCriticals&) = delete;
  AtkCriticals& operator=(const AtkCriticals&) = delete;
  int count() const { return count_; }

 private:
  static void count_one(const gchar*, GLogLevelFlags, const gchar* message, gpointer count) {
    ++*static_cast<int*>(count);
    g_printerr("Atk-CRITICAL: %s\n", message);
  }

  int count_ = 0;
  guint handler_;
};

// Polls `ready` while the dialog keeps answering Orca's questions over the accessibility bus.
bool eventually_pumping(const std::function<bool()>& ready, int patience_ms = kPatienceMs) {
  return eventually(
      [&] {
        WaitDialogEvent(20);
        return ready();
      },
      patience_ms);
}

// What must be heard when each control takes the focus: its name, and for the first option of a
// group, the group's label as well.
using HeardNames = std::map<int, std::vector<std::string>>;

class OrcaTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_interface(); }

  // What the daemon was given since `from` (a length of its output).
  std::string said_since(std::size_t from) const {
    const std::string all = daemon_.spoken();
    return from < all.size() ? all.substr(from) : std::string();
  }

  // Presses a key and returns the control that takes the focus, -1 if none does. The key is
  // held until then, as a hand would: the dialog reads the key's state when it answers.
  int press_and_follow(int key) {
    const int before = windows_->focused_control(dialog_state().window);
    int now = before;
    windows_->synthesize_key(key, true);
    eventually_pumping(
        [&] {
          now = windows_->focused_control(dialog_state().window);
          return now != before;
        },
        kFocusMoveMs);
    windows_->synthesize_key(key, false);
    return now == before ? -1 : now;
  }

  // Goes round the dialog with Tab (Down inside an option group, which Tab leaves) until every
  // control of `expected` has had the focus, and checks that Orca said its names each time.
  void hear_every_name(const HeardNames& expected) {
    std::set<int> reached;
    int previous = windows_->focused_control(dialog_state().window);
    for (int press = 0;
         press < 2 * static_cast<int>(expected.size()) && reached.size() < expected.size();
         ++press) {
      const bool in_group =
          windows_->control_kind(dialog_state().window, previous) == ControlKind::option &&
          windows_->control_kind(dialog_state().window, previous + 1) == ControlKind::option &&
          reached.count(previous + 1) == 0;
      const std::size_t mark = daemon_.spoken().size();
      const int control = press_and_follow(in_group ? vk::down : vk::tab);
      ASSERT_NE(control, -1) << "the focus did not move";
      const auto wanted = expected.find(control);
      ASSERT_NE(wanted, expected.end()) << "control " << control << " took the focus";
      for (const std::string& word : wanted->second) {
        EXPECT_TRUE(eventually_pumping([&] {
          return said_since(mark).find(word) != std::string::npos;
        })) << "control "
            << control << " took the focus without \"" << word
            << "\" being said; Orca said: " << said_since(mark);
      }
      reached.insert(control);
      previous = control;
    }
    EXPECT_EQ(reached.size(), expected.size()) << "the keys did not reach every control";
  }

  // Opens a dialog and waits until Orca has taken it in, saying its title: Orca then follows the
  // focus inside it. A focus given before that (on a loaded machine Orca can be seconds behind)
  // may be dropped unsaid; and an Orca that has just started can miss a window's activation
  // altogether, so the dialog is opened again, a fresh activation, until Orca says the title.
  // Returns the length of Orca's output when the dialog was last opened.
  std::size_t open_taken_in(const std::function<void()>& open, const std::string& title) {
    constexpr int kOpenings = 3;
    for (int opening = 1; opening <= kOpenings; ++opening) {
      const std::size_t mark = daemon_.spoken().size();
      open();
      EXPECT_TRUE(eventually([] { return WaitDialogEvent(20) == "getfocus"; }, kPatienceMs))
          << "the window \"" << title << "\" never became active";
      if (eventually_pumping([&] { return said_since(mark).find(title) != std::string::npos; },
                             kPatienceMs / kOpenings)) {
        return mark;
      }
    }
    ADD_FAILURE() << "Orca never said the title \"" << title << "\"";
    return daemon_.spoken().size();
  }

  // The desktop first: the speech daemon's runtime folder is for the daemon and Orca alone.
  GtkWindowSystem* windows_ = &testing::gui_windows();
  SystemClock clock_;
  Transcript transcript_{clock_};
  SimSpeech speech_{transcript_};
  InterfaceServices services_{*windows_, speech_, clock_};
  testing::TempFolder folder_;
  testing::SpeechDaemon daemon_{folder_.path() / "parole"};
};

TEST_F(OrcaTest, OrcaSaysTheNameOfEveryControlThatTakesTheFocus) {
  const std::string locale = testing::orca_locale();
  RecordProperty("orca_locale", locale);
  AtkCriticals criticals;
  testing::Orca orca(folder_.path(), daemon_, locale, [] { WaitDialogEvent(20); });
  // Orca says it is on once it listens to the accessibility bus; its words depend on the locale.
  ASSERT_TRUE(eventually_pumping([&] { return !daemon_.spoken().empty(); }))
      << "Orca said nothing (locale " << locale << ")";

  const std::size_t before_opening =
      open_taken_in([] { testing::open_sample_dialog(true); }, "essai de saisie");
  // The control a dialog focuses as it opens is said too; the keys then go round from there.
  FocusControl(2);
  EXPECT_TRUE(eventually_pumping([&] {
    return said_since(before_opening).find("sujet") != std::string::npos;
  })) << "the field focused on opening was not said; Orca said: "
      << said_since(before_opening);
  hear_every_name({{2, {"sujet"}},
                   {3, {"rappel"}},
                   {5, {"basse", "priorité"}},
                   {6, {"haute"}},
                   {8, {"catégorie"}},
                   {10, {"rendez-vous"}},
                   {11, {"test"}},
                   {kOkButton, {"ok"}},
                   {kCancelButton, {"annuler"}}});

  // The lists: a check list, a list of several, an editable combo box and a grid.
  open_taken_in([] { testing::open_lists_dialog(); }, "essai des listes");
  hear_every_name(
      {{2, {"jours"}}, {4, {"invités"}}, {6, {"lieu"}}, {8, {"quinzaine"}}, {kOkButton, {"ok"}}});
  EXPECT_EQ(criticals.count(), 0) << "Orca's questions met a fault in the accessible objects";
}

// The text as one word of a shell command line.
std::string quoted(const std::string& text) {
  std::string word = "'";
  for (const char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

// A shell script that waits until `first` is in the spoken file, then presses each step's key
// and waits (at most the patience) until the step's words are said after the press. Orca, busy
// starting on a loaded machine, may miss the window's first focus: when `first` is still unsaid
// after a while, the user leaves the first control and comes back to it, as one does when
// nothing is heard.
std::string said_then_keys(const fs::path& spoken, const std::string& first,
                           const std::vector<std::pair<std::string, std::string>>& steps) {
  const std::string file = quoted(spoken.string());
  const auto wait_for = [&](const std::string& words, int patience_ms = kPatienceMs) {
    return "for i in $(seq " + std::to_string(patience_ms / 100) + "); do tail -c +$((from + 1)) " +
           file + " | grep -qF " + quoted(words) + " && break; sleep 0.1; done; ";
  };
  std::string script = "from=0; " + wait_for(first, kPatienceMs / 3) + "if ! grep -qF " +
                       quoted(first) + " " + file + "; then from=$(stat -c %s " + file +
                       "); xdotool key shift+Tab sleep 0.5 key Tab; " + wait_for(first) + "fi; ";
  for (const auto& [key, words] : steps) {
    script += "from=$(stat -c %s " + file + "); xdotool keydown " + key + " sleep 0.3 keyup " +
              key + "; ";
    if (!words.empty()) script += wait_for(words);
  }
  return script;
}

// The spoken notification's window as its own procedure runs it, reached by a user's real keys
// from another process: Down through the options, then Tab round the window, then Escape.
TEST_F(OrcaTest, OrcaSaysEveryControlOfTheSpokenNotificationWindow) {
  const std::string locale = testing::orca_locale();
  testing::Orca orca(folder_.path(), daemon_, locale, [] { WaitDialogEvent(20); });
  ASSERT_TRUE(eventually_pumping([&] { return !daemon_.spoken().empty(); }))
      << "Orca said nothing (locale " << locale << ")";
  // The program speaks as it does with speech-dispatcher: a reader that takes texts with an
  // interrupt flag, cut without a tap of Shift, which Orca would echo over the names.
  SimSpeechSetup setup;
  setup.say_style = true;
  setup.speak_style = false;
  SimSpeech speech(transcript_, setup);
  const InterfaceServices services(*windows_, speech, clock_);
  LoadSpeechLibraries();
  TestScreenReader(1, false);
  Settings settings = default_settings(45000, false);
  apply_zero_value_defaults(settings);
  const std::size_t before_opening = daemon_.spoken().size();
  // Each key waits until Orca has said what the previous one reached (the window's first option
  // for the first key): on a loaded machine Orca falls behind, and a key pressed before it has
  // spoken cuts the name it was saying.
  const std::string first = "notification désactivée";
  const std::vector<std::pair<std::string, std::string>> steps = {
      {"Down", "notification par une revue d'écran"},
      {"Down", "notification par SAPI"},
      {"Tab", "configuration sapi"},
      {"Tab", "test"},
      {"Tab", "texte initial"},
      {"Tab", "répétition"},
      {"Tab", "intervale en seconde"},
      {"Tab", "aide-f1"},
      {"Tab", "ok"},
      {"Tab", "annuler"},
      {"Escape", ""}};
  const testing::ChildProcess user(
      {"sh", "-c",
       "xdotool search --sync --onlyvisible --name '^notification verbale$' >/dev/null && " +
           said_then_keys(daemon_.spoken_file(), first, steps)});
  NotificationDialog(settings, folder_.path());
  const std::string said = said_since(before_opening);
  std::vector<std::string> names = {first};
  for (const auto& step : steps) {
    if (!step.second.empty()) names.push_back(step.second);
  }
  std::size_t at = 0;
  for (const std::string& name : names) {
    const std::size_t found = said.find(name, at);
    EXPECT_NE(found, std::string::npos)
        << "\"" << name << "\" was not said in turn; Orca said: " << said;
    if (found != std::string::npos) at = found + 1;
  }
  EXPECT_FALSE(file_exists(folder_.path() / kSettingsFile)) << "Escape saved nothing";
}

}  // namespace
}  // namespace tavelo
