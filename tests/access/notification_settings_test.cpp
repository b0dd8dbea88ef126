#include "access/notification_settings.hpp"

#include <gtest/gtest.h>

#include "access/mail.hpp"
#include "access/mail_settings.hpp"
#include "planning/crypt.hpp"

namespace tavelo {
namespace {

TEST(NotificationForm, RepetitionsAndIntervalFitTheirByte) {
  NotificationForm form = notification_form({2, "1_80_-2_3", "réunion", 2, 5});
  EXPECT_EQ(form.kind, 2);
  EXPECT_EQ(form.repetitions, "2");
  EXPECT_EQ(form.interval, "5");
  form.repetitions = "300";
  form.interval = "cinq";
  const SpokenNotification stored = notification_of_form(form);
  EXPECT_EQ(stored.repetitions, 255);
  EXPECT_EQ(stored.interval, 0);
  EXPECT_EQ(stored.voice, "1_80_-2_3");
  EXPECT_EQ(stored.text, "réunion");
}

TEST(NotificationForm, TheReaderOptionAndTheTestChannel) {
  EXPECT_EQ(reader_option_caption(""), "notification par une revue d'écran");
  EXPECT_EQ(reader_option_caption("NVDA"), "notification par NVDA");
  EXPECT_EQ(test_channel(0, true), TestChannel::none);
  EXPECT_EQ(test_channel(1, true), TestChannel::reader);
  EXPECT_EQ(test_channel(2, true), TestChannel::voice);
  EXPECT_EQ(test_channel(0, false), TestChannel::voice);
  EXPECT_EQ(test_channel(1, false), TestChannel::voice);
}

// What a test said and waited, in order: "voice TEXT", "reader TEXT", "wait S", "stop".
struct HeardTest {
  std::vector<std::string> heard;
  bool voice_works = true;
  int stop_after_waits = -1;  // the user presses "s&top" during this wait

  NotificationTester tester() {
    return {[this](const std::string& text) {
              if (voice_works) heard.push_back("voice " + text);
              return voice_works;
            },
            [this](const std::string& text) { heard.push_back("reader " + text); },
            [this] { heard.emplace_back("stop"); },
            [this](std::chrono::milliseconds ms) {
              heard.push_back("wait " + std::to_string(ms.count() / 1000));
              return --stop_after_waits != 0;
            }};
  }
};

TEST(NotificationTest, SaysTheTextOncePerRepetitionTheIntervalApart) {
  HeardTest voice;
  test_notification({2, "1_100_0_0", "café", 2, 5}, true, voice.tester());
  EXPECT_EQ(voice.heard, (std::vector<std::string>{"voice café", "wait 5", "stop", "voice café",
                                                   "wait 5", "stop", "voice café"}));
  HeardTest stopped;
  stopped.stop_after_waits = 1;
  test_notification({1, "1_100_0_0", "café", 2, 5}, true, stopped.tester());
  EXPECT_EQ(stopped.heard, (std::vector<std::string>{"reader café", "wait 5", "stop"}));
}

TEST(NotificationTest, TheChannelFollowsTheKindAndTheReader) {
  HeardTest off;
  test_notification({0, "1_100_0_0", "café", 3, 9}, true, off.tester());
  EXPECT_TRUE(off.heard.empty());
  HeardTest no_reader;
  test_notification({1, "1_100_0_0", "café", 0, 0}, false, no_reader.tester());
  EXPECT_EQ(no_reader.heard, std::vector<std::string>{"voice café"});
  HeardTest failing_voice;
  failing_voice.voice_works = false;
  test_notification({2, "0_100_0_0", "café", 0, 0}, true, failing_voice.tester());
  EXPECT_EQ(failing_voice.heard, std::vector<std::string>{"reader café"});
}

TEST(VoiceForm, ProfilesAndTheItemsTheyChoose) {
  EXPECT_FALSE(parse_voice_profile("1_100_0"));
  EXPECT_FALSE(parse_voice_profile(""));
  const auto profile = parse_voice_profile("2_80_-3_4");
  ASSERT_TRUE(profile);
  EXPECT_EQ(voice_profile_text(*profile), "2_80_-3_4");

  const VoiceForm form = voice_form(*profile, 3);
  EXPECT_EQ(form.voice, 2);
  EXPECT_EQ(form.volume, 80);
  EXPECT_EQ(form.speed, 7);
  EXPECT_EQ(form.pitch, 14);
  EXPECT_EQ(voice_profile_of_form(form), "2_80_-3_4");
  EXPECT_EQ(step_items().size(), 21u);
  EXPECT_EQ(step_items()[static_cast<std::size_t>(form.speed)], "-3");
  EXPECT_EQ(volume_items()[100], "100");

  // A voice the list no longer has, and values beyond the lists.
  const VoiceForm damaged = voice_form(*parse_voice_profile("9_500_-40_40"), 3);
  EXPECT_EQ(voice_profile_of_form(damaged), "0_100_-10_10");
  EXPECT_EQ(voice_profile_of_form({-1, -1, -1, -1}), "0_0_-10_-10") << "nothing chosen";
  // "synthèse désactivée" gives a profile that switches the voice off.
  VoiceForm off = form;
  off.voice = 0;
  EXPECT_EQ(voice_profile_of_form(off).substr(0, 2), "0_");
}

TEST(VoiceForm, TheListOffersNoMoreVoicesThanAProfileCanName) {
  std::vector<std::string> names;
  for (int n = 0; n < 300; ++n) names.push_back("voix " + std::to_string(n));
  const std::vector<std::string> items = voice_list_items(names);
  ASSERT_EQ(items.size(), 256u);
  EXPECT_EQ(items[0], "synthèse désactivée");
  EXPECT_EQ(items[1], "voix 0");
  EXPECT_EQ(items[255], "voix 254");
}

MailSettings stored_account() {
  MailSettings stored;
  stored.server = "smtp.exemple.fr";
  stored.user = "Marie";
  stored.password = *crypt("Secret9", kMailPasswordKey);
  stored.port = 587;
  stored.recipients = "a@exemple.fr,b@exemple.fr";
  stored.reply_address = "m@exemple.fr";
  stored.subject = "rappel";
  return stored;
}

TEST(MailForm, WhatCountsAsAChangeThatNeedsATest) {
  const MailSettings stored = stored_account();
  const MailSettings shown = mail_form(stored);
  EXPECT_EQ(shown.password, "Secret9");
  MailSettings entered = shown;
  entered.server = "  SMTP.Exemple.fr ";
  entered.subject = "autre chose";
  entered.presence = 1;
  EXPECT_FALSE(mail_fields_changed(entered, shown));
  entered.password = "secret9";
  EXPECT_TRUE(mail_fields_changed(entered, shown)) << "another case is another password";
  entered.password = "Secret9";
  entered.port = 25;
  EXPECT_TRUE(mail_fields_changed(entered, shown));
  entered.port = 587;
  entered.secure = 1;
  EXPECT_TRUE(mail_fields_changed(entered, shown));
  EXPECT_EQ(typed_port("99999"), 32767);
  EXPECT_EQ(typed_port("x"), 0);
}

TEST(MailForm, WhatIsStored) {
  const MailSettings stored = stored_account();
  const MailSettings shown = mail_form(stored);
  MailSettings entered = shown;
  entered.recipients = " c@exemple.fr ";
  auto saved = mail_to_store(entered, shown, stored);
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->recipients, "c@exemple.fr");
  EXPECT_EQ(saved->password, stored.password);

  entered.password = "Nouveau1";
  saved = mail_to_store(entered, shown, stored);
  ASSERT_TRUE(saved);
  EXPECT_EQ(crypt(saved->password, -kMailPasswordKey), "Nouveau1");
  entered.password = "ÿ";
  EXPECT_FALSE(mail_to_store(entered, shown, stored));

  // A stored password that cannot be turned back shows empty, and is kept unless replaced.
  MailSettings damaged = stored;
  damaged.password = "\x01";
  EXPECT_EQ(mail_form(damaged).password, "");
  saved = mail_to_store(mail_form(damaged), mail_form(damaged), damaged);
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->password, "\x01");
}

}  // namespace
}  // namespace tavelo
