#pragma once

#include <array>
#include <string>

namespace tavelo {

// The items of the tray menu of the hidden agenda, numbered from 1.
enum TrayMenuItem : int {
  kShowAgendaItem = 1,
  kCalendarItem = 2,
  kSoundControlItem = 3,
  kSleepItem = 4,
  kUpdateItem = 5,
  kChimesItem = 6,
  kQuitItem = 7,
};

// The items' captions: those of the sound control and of the chimes say what choosing them does.
std::array<std::string, 7> tray_menu_captions(bool sound_control_on, bool chimes_on);

// The tooltip of tray icon 1: the update state, then whether the Ctrl key beeps.
std::string tray_tooltip(int update_status, bool sound_control_on);

// The tooltip once the sound control was switched from the tray menu.
std::string sound_control_tooltip(bool sound_control_on);

// The image of the agenda's tray icons, made with the program.
inline constexpr const char* kTrayImage = "bg.bmp";

}  // namespace tavelo
