#include "planning/record_blocks.hpp"

namespace tavelo {

void write_alarm_block(RecordWriter& out, const AlarmProfile& alarm, bool mixed_counts_always) {
  print8(out, alarm.kind);
  printstring(out, alarm.sound_file);
  for (int value : {alarm.frequency, alarm.length, alarm.pause, alarm.repetitions}) {
    print16(out, value);
  }
  if (alarm.kind == 3 || mixed_counts_always) {
    print16(out, alarm.tone_cycles_between_waves);
    print16(out, alarm.wave_repetitions);
  }
}

void read_alarm_block(FieldReader& in, AlarmProfile& alarm, bool mixed_counts_always) {
  in.u8(alarm.kind);
  in.text(alarm.sound_file);
  for (int* value : {&alarm.frequency, &alarm.length, &alarm.pause, &alarm.repetitions}) {
    in.i16(*value);
  }
  if (alarm.kind == 3 || mixed_counts_always) {
    in.i16(alarm.tone_cycles_between_waves);
    in.i16(alarm.wave_repetitions);
  }
}

void write_spoken_block(RecordWriter& out, const SpokenNotification& spoken) {
  print8(out, spoken.mode);
  printvoice(out, spoken.voice);
  printstring(out, spoken.text);
  print8(out, spoken.repetitions);
  print8(out, spoken.interval);
}

void read_spoken_block(FieldReader& in, SpokenNotification& spoken) {
  in.u8(spoken.mode);
  in.voice(spoken.voice);
  in.text(spoken.text);
  in.u8(spoken.repetitions);
  in.u8(spoken.interval);
}

void write_mail_block(RecordWriter& out, const MailSettings& mail) {
  for (const std::string* text : {&mail.server, &mail.user, &mail.password}) {
    printstring(out, *text);
  }
  print16(out, mail.port);
  for (const std::string* text : {&mail.recipients, &mail.reply_address, &mail.subject}) {
    printstring(out, *text);
  }
  print8(out, mail.presence);
  print8(out, mail.secure);
}

void read_mail_block(FieldReader& in, MailSettings& mail) {
  for (std::string* text : {&mail.server, &mail.user, &mail.password}) in.text(*text);
  in.i16(mail.port);
  for (std::string* text : {&mail.recipients, &mail.reply_address, &mail.subject}) in.text(*text);
  in.u8(mail.presence);
  in.u8(mail.secure);
}

}  // namespace tavelo
