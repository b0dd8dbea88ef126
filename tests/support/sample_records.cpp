#include "tests/support/sample_records.hpp"

namespace tavelo::testing {

Planning rich_planning() {
  Planning p;
  p.subject = "Réunion d'équipe";
  p.type = 2;
  p.weekday_ticks = {0, 1, 0, 1, 0, 0, 1};
  p.journal = 1;
  p.forewarning_days = 3;
  p.note_kind = 2;
  p.note = "ligne un\r\n[pas une section]\r\nendofplan\r\nœuvre à 5 €";
  p.alarm = {3, "sons\\cloche.wav", 440, 80, -5, 7, 3, 2};
  p.task = {1, "prog", "-x", 1, 15, 1, 2, 10, 1, 60, 1, 0, 1};
  p.category = "travail";
  p.number_of_times = 10;
  p.month_anchor = 2;
  p.series_link = "1700000000";
  p.occurrence_number = 4;
  p.spoken = {1, "2_80_-3_-2", "rappel", 2, 15};
  p.url_task_link = "https://exemple.fr";
  p.url_task_active = 1;
  p.mail = {"smtp.exemple.fr", "moi", "secret", 587, "a@b.fr", "moi@b.fr", "sujet", 1, 1};
  p.sharing_identifiers = "paul\t";
  p.unique_identifier = "marc_1700000000_42";
  p.mail_approved = 1;
  return p;
}

}  // namespace tavelo::testing
