// The dialogs of the dialog library, run in-process on the sim window system.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>

#include "dialoglib/dialogs.hpp"
#include "tests/access/sim_session.hpp"
#include "tests/support/temp_folder.hpp"

namespace tavelo::testing {
namespace {

using Step = std::function<void(SimWindowSystem&)>;

// The simulated user: one step each time the program waits with nothing queued, a fifth of a
// second after the previous one.
class Steps final : public SimInput {
 public:
  Steps(const Clock& clock, std::vector<Step> steps)
      : clock_(clock), steps_(std::move(steps)), due_(clock.tick() + kThinking) {}
  std::optional<std::uint32_t> next_due() override {
    if (next_ >= steps_.size()) return std::nullopt;
    return due_;
  }
  void perform(SimWindowSystem& windows) override {
    steps_[next_++](windows);
    due_ = clock_.tick() + kThinking;
  }
  void offer_answers(SimWindowSystem&) override {}

 private:
  static constexpr std::uint32_t kThinking = 200;
  const Clock& clock_;
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  std::uint32_t due_;
};

// Keys held together, then released: two steps.
void add_keys(std::vector<Step>& steps, std::initializer_list<int> keys) {
  const std::vector<int> held(keys);
  steps.push_back([held](SimWindowSystem& w) {
    for (const int key : held) w.press(key);
  });
  steps.push_back([held](SimWindowSystem& w) {
    for (auto key = held.rbegin(); key != held.rend(); ++key) w.release(*key);
  });
}

struct LibrarySession : SimSession {
  void user(std::vector<Step> steps) {
    input = std::make_unique<Steps>(clock, std::move(steps));
    windows.set_input(input.get());
  }
  bool heard_line(std::string_view line) const {
    const auto lines = heard();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  std::unique_ptr<Steps> input;
};

constexpr std::string_view kPadQuestion = "Voulez-vous conserver vos moddifications?";

TEST(Parlon, PadQuestionLayoutEscapeAndMnemonic) {
  LibrarySession s;
  std::vector<Step> steps;
  add_keys(steps, {vk::escape});
  s.user(steps);
  EXPECT_EQ(run_parlon("sortie du pad", kPadQuestion, 0, "&oui|&non|&annuler", 1, ""), "3");
  EXPECT_TRUE(s.heard_line("window \"sortie du pad\""));
  EXPECT_TRUE(s.heard_line("speak \"Voulez-vous conserver vos moddifications?\""));
  EXPECT_TRUE(s.heard_line("sound default"));
  // Buttons from row 13, column 5, each caption's length + 4 further on; the third is Cancel.
  const int window = s.window();
  EXPECT_EQ(s.windows.control_rect(window, 1).x, GridX(4));
  EXPECT_EQ(s.windows.control_rect(window, 1).y, GridY(12));
  EXPECT_EQ(s.windows.control_rect(window, 2).x, GridX(12));
  EXPECT_EQ(s.windows.control_rect(window, kCancelButton).x, GridX(20));
  EXPECT_EQ(s.windows.control_text(window, kCancelButton), "annuler");
  EXPECT_FALSE(s.windows.control_kind(window, kOkButton));
  EXPECT_EQ(s.windows.focused_control(window), 1);

  std::vector<Step> alt_o;
  add_keys(alt_o, {vk::alt, 'O'});
  s.user(alt_o);
  EXPECT_EQ(run_parlon("sortie du pad", kPadQuestion, 0, "&oui|&non|&annuler", 1, ""), "1");
}

TEST(Parlon, CountdownPressesTheDefault) {
  LibrarySession s;
  const std::uint32_t start = s.clock.tick();
  EXPECT_EQ(
      run_parlon("Avertissement préavis...", "Des planifications sont prévues à votre agenda.", 30,
                 "ok|consulter l'agenda", 2, ""),
      "2");
  EXPECT_GE(s.clock.tick() - start, 29000u);
  EXPECT_LE(s.clock.tick() - start, 31000u);
  EXPECT_EQ(s.windows.control_text(s.window(), 21), "0 seconde(s)...");

  // Without buttons the countdown closes the dialog and the answer is empty.
  EXPECT_EQ(run_parlon("", "bientôt", 5, "", 1, ""), "");
  EXPECT_TRUE(s.heard_line("window \"confirmation\""));
}

TEST(Parlon, ElevenButtonsWrapAndTheLastAnswers) {
  LibrarySession s;
  std::string captions;
  for (int i = 1; i <= 11; ++i) {
    // Piece by piece: `"|" + text` makes GCC 12 at -O3 warn of an overlap that cannot happen.
    if (i > 1) captions += '|';
    captions += "bouton ";
    captions += std::to_string(i);
  }
  s.user({[](SimWindowSystem& w) { w.click(11); }});
  EXPECT_EQ(run_parlon("choix", "", 0, captions, 1, ""), "11");
  // "bouton 1" to "bouton 6" fill the first row (columns 5 to 65); then a new row.
  EXPECT_EQ(s.windows.control_rect(s.window(), 6).x, GridX(64));
  EXPECT_EQ(s.windows.control_rect(s.window(), 7).x, GridX(4));
  EXPECT_EQ(s.windows.control_rect(s.window(), 7).y, GridY(16));

  // A single caption makes no button: the dialog keeps its OK and answers nothing.
  s.user({[](SimWindowSystem& w) { w.click(kOkButton); }});
  EXPECT_EQ(run_parlon("choix", "", 0, "seul", 1, ""), "");
  EXPECT_FALSE(s.windows.control_kind(s.window(), 1));
}

TEST(Parlon, CheckBoxesAreReportedAfterTheButton) {
  LibrarySession s;
  const TempFolder folder;
  const auto sound = folder.path() / "son.wav";
  write_bytes(sound, "RIFF");
  s.user({[](SimWindowSystem& w) { w.set_checked(3, true); },
          [](SimWindowSystem& w) { w.set_checked(4, false); },
          [](SimWindowSystem& w) { w.click(5); }});
  EXPECT_EQ(run_parlon("t", "m", 0, "&oui|&rappel/chk=on|copie/chk|envoi/chk=on=x|&non|x/chk=onx",
                       5, sound.string()),
            "5 2 3");
  EXPECT_EQ(s.windows.control_text(s.window(), 2), "&rappel/chk");
  EXPECT_EQ(s.windows.control_state(s.window(), 6), 0);
  EXPECT_TRUE(s.heard_line("sound \"" + sound.string() + "\""));
  EXPECT_EQ(s.windows.focused_control(s.window()), 5);
}

TEST(Parlon, ReturnIsOkOnlyOnTextFieldsTreesCombosAndReadOnlyEditors) {
  LibrarySession s;
  OpenDialog("d", 1, 1, 10, 40, "essai");
  AddCheckBox(3, "case", 2, 2, 10);
  AddTextField(4, "", 4, 2, 10);
  const auto has_ok = [](const std::vector<std::string>& names) {
    return std::find(names.begin(), names.end(), "btnok") != names.end();
  };
  // Return held on a check box of the library is no OK (the program's layer says "btnok").
  FocusControl(3);
  s.events();
  s.windows.press(vk::enter);
  EXPECT_FALSE(has_ok(s.events()));
  s.windows.release(vk::enter);
  s.events();
  FocusControl(4);
  s.events();
  s.windows.press(vk::enter);
  EXPECT_TRUE(has_ok(s.events()));
  s.windows.release(vk::enter);
}

TEST(LibrarySpeech, NoForegroundTestAndSilenceWithoutShiftTap) {
  LibrarySession s;
  OpenDialog("d", 1, 1, 10, 40, "essai");
  s.events();
  s.windows.activate(false);
  s.events();
  EXPECT_EQ(Speak("derrière", 0), 2);
  EXPECT_EQ(s.heard().back(), "speak \"derrière\"");
  // Silencing cancels the reader and taps no key: nothing reaches the window.
  EXPECT_EQ(Speak("", 1), 2);
  EXPECT_EQ(s.heard().back(), "silence");
  EXPECT_FALSE(s.windows.events_pending());
  EXPECT_EQ(s.windows.key_state(vk::shift), 0);
}

TEST(Findbox, AnswersWithItsFieldsOrNothing) {
  LibrarySession s;
  s.user({[](SimWindowSystem& w) { w.type_text("abc"); },
          [](SimWindowSystem& w) { w.user_focus(4); },
          [](SimWindowSystem& w) { w.type_text("xyz"); },
          [](SimWindowSystem& w) { w.set_checked(5, true); },
          [](SimWindowSystem& w) { w.click(kOkButton); }});
  EXPECT_EQ(run_findbox(false),
            "abc\xC3\xBFxyz\xC3\xBF"
            "1\xC3\xBF"
            "0");
  EXPECT_TRUE(s.heard_line("window \"recherche et remplacement\""));

  s.user({[](SimWindowSystem& w) { w.type_text("abc"); },
          [](SimWindowSystem& w) { w.click(kOkButton); }});
  EXPECT_EQ(run_findbox(true),
            "abc\xC3\xBF\xC3\xBF"
            "0\xC3\xBF\xC3\xBF");
  EXPECT_FALSE(s.windows.control_kind(s.window(), 4));
  EXPECT_FALSE(s.windows.control_kind(s.window(), 6));

  s.user({[](SimWindowSystem& w) { w.type_text("abc"); },
          [](SimWindowSystem& w) { w.click(kCancelButton); }});
  EXPECT_EQ(run_findbox(false), "");
}

}  // namespace
}  // namespace tavelo::testing
