#include "alarms/chime_player.hpp"

#include "planning/text.hpp"

namespace tavelo {

namespace {

bool is_mp3(const std::string& file) {
  const std::string name = lower_ascii(file);
  return name.size() >= 4 && name.compare(name.size() - 4, 4, ".mp3") == 0;
}

}  // namespace

void play_chime_plan(SoundPlayers& players, const std::vector<ChimeStep>& plan,
                     std::stop_token stop) {
  for (const ChimeStep& step : plan) {
    if (stop.stop_requested()) return;
    switch (step.kind) {
      case ChimeStep::Kind::kStopPlayers:
        PlayMedia(players, "", 0, 100, 0);
        PlayOgg(players, "", 0, 100, 0);
        break;
      case ChimeStep::Kind::kPlay:
        if (is_mp3(step.entry.file)) {
          PlayMedia(players, step.entry.file, 2, step.entry.volume, step.entry.balance);
        } else {
          PlayOgg(players, step.entry.file, 2, step.entry.volume, step.entry.balance);
        }
        break;
      case ChimeStep::Kind::kWait:
        players.clock.interruptible_sleep(std::chrono::milliseconds(step.milliseconds), stop);
        break;
    }
  }
}

void stop_chime(ChimeThread& thread) {
  if (!thread.worker.joinable()) return;
  thread.worker.request_stop();
  thread.worker.join();
}

void PlayChime(ChimeThread& thread, SoundPlayers& players, const ChimeProfile& profile,
               const ChimeRequest& request, const RandomIndex& random) {
  stop_chime(thread);
  thread.worker = std::jthread([&players, plan = plan_chime(profile, request, random),
                                work = ClockWork(players.clock)](std::stop_token stop) {
    play_chime_plan(players, plan, stop);
  });
}

}  // namespace tavelo
