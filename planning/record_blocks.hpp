#pragma once

#include "planning/records.hpp"

namespace tavelo {

// The blocks of fields that plannings, the settings and alarm files share, in stored order.
// The two counts of a mixed alarm are stored for kind 3, or always where the layout says so.
void write_alarm_block(RecordWriter& out, const AlarmProfile& alarm, bool mixed_counts_always);
void read_alarm_block(FieldReader& in, AlarmProfile& alarm, bool mixed_counts_always);
void write_spoken_block(RecordWriter& out, const SpokenNotification& spoken);
void read_spoken_block(FieldReader& in, SpokenNotification& spoken);
void write_mail_block(RecordWriter& out, const MailSettings& mail);
void read_mail_block(FieldReader& in, MailSettings& mail);

}  // namespace tavelo
