#include "shell/tray_menu.hpp"

#include "maintenance/update_check.hpp"

namespace tavelo {

std::array<std::string, 7> tray_menu_captions(bool sound_control_on, bool chimes_on) {
  return {"Agenda en temps réel",
          "Calendrier",
          sound_control_on ? "Désactiver le contrôle sonore" : "Activer le contrôle sonore",
          "Mode sommeil",
          "Vérifier la mise à jour",
          chimes_on ? "Désactiver les carillons" : "Activer les carillons",
          "Quitter l'agenda"};
}

std::string tray_tooltip(int update_status, bool sound_control_on) {
  return update_tooltip(update_status) + (sound_control_on ? " (CTRL actif)" : " (CTRL inactif)");
}

std::string sound_control_tooltip(bool sound_control_on) {
  return sound_control_on ? "agenda en arrière-plan - ctrl actif"
                          : "agenda en arrière-plan - ctrl inactif";
}

}  // namespace tavelo
