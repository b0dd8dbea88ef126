#pragma once

#include "alarms/chime_profile.hpp"
#include "planning/records.hpp"

namespace tavelo::testing {

// One record of each layout with a value of its own in every field, and every conditional field
// stored: weekday ticks, the note, the mixed-alarm counts, the occurrence number.

inline Planning planning_sample() {
  Planning p;
  p.subject = "Cours de piano à l'école";
  p.type = 2;
  p.weekday_ticks = {1, 0, 0, 1, 1, 0, 0};
  p.journal = 1;
  p.forewarning_days = 6;
  p.note_kind = 2;
  p.note = "partitions\r\ncahier rouge, 12 €";
  p.alarm_state = 2;
  p.alarm = {3, "sons\\piano.wav", 523, 120, 300, 9, 4, 5};
  p.task = {1, "lecteur", "--fort", 1, 25, 2, 3, 15, 1, 45, 1, 2, 1};
  p.category = "musique";
  p.number_of_times = 30;
  p.month_anchor = 2;
  p.series_link = "1712345678";
  p.occurrence_number = 12;
  p.spoken = {1, "3_75_-2_5", "C'est l'heure du piano", 4, 30};
  p.url_task_link = "https://musique.exemple.fr/cours";
  p.url_task_active = 1;
  p.mail = {"smtp.musique.fr",  "eleve", "do-re-mi", 465, "prof@musique.fr",
            "eleve@musique.fr", "cours", 1,          1};
  p.sharing_identifiers = "claire\tluc\t";
  p.unique_identifier = "eleve_1712345678_7";
  p.mail_approved = 1;
  return p;
}

inline Settings settings_sample() {
  Settings s;
  s.management_hour = 5;
  s.management_minute = 45;
  s.daily_repeated_warning = 1;
  s.journal_folder = "D:\\Bilans été";
  s.last_active_day = 45321;
  s.background_mode = 1;
  s.realtime_running = 2;
  s.default_alarm = {3, "carillon.wav", 660, 90, 150, 8, 2, 6};
  s.desktop_icon_option = 3;
  s.screen_reader_wait = 20;
  s.sound_control = 0;
  s.update_check = 3;
  s.automatic_backup = 0;
  s.backups_kept = 9;
  s.restart_delay = 15;
  s.forewarning_hour = 7;
  s.forewarning_minute = 40;
  s.forewarning_mode = 2;
  s.forewarning_given_today = 1;
  s.night_mode = {23, 15, 7, 5};
  s.night_mode_active = 1;
  s.night_alarm = "douce";
  s.multiselect_sound_list = 1;
  s.pc_pulse_output = 2;
  s.default_spoken = {2, "1_60_4_-6", "Attention, ", 3, 12};
  s.default_mail = {"smtp.maison.fr", "moi",    "secret", 587, "famille@maison.fr",
                    "moi@maison.fr",  "rappel", 1,        1};
  s.sharing_table = {
      SharingRow{{"claire", "/partage/claire", "ftp.c", "cu", "cp", "c/d", "2121", "0", "1"}},
      SharingRow{{"luc;anne", "/partage/luc", "ftp.l", "lu", "lp", "l/d", "21", "1", "0"}}};
  s.own_identifier = "eleve";
  s.import_allowed = 1;
  s.export_allowed = 1;
  s.mail_approved = 1;
  s.inactivity_days = 21;
  s.chimes_active = 1;
  s.chime_profile = "Abbaye";
  return s;
}

inline AlarmProfile alarm_sample() {
  return {3, "reveil.mp3", 987, 70, -20, 11, 2, 7};
}

inline ChimeProfile chime_sample() {
  ChimeProfile p;
  p.start = 715;
  p.end = 2130;
  p.hour_strike_mode = 4;
  p.quarter_cycle = 3;
  p.hour_random_mode = 2;
  p.quarter_random = 1;
  p.hour_with_fourth_quarter = 1;
  p.hours = {{"abbaye\\bourdon.wav", 90, -30, 2500}, {"abbaye\\grave.ogg", 70, 40, 0}};
  p.quarters = {{"abbaye\\q.wav", 60, 15, 800}};
  return p;
}

}  // namespace tavelo::testing
