#include "shell/report_window.hpp"

#include "access/dialog.hpp"
#include "access/speech.hpp"
#include "access/window.hpp"

namespace tavelo {

namespace {

constexpr int kReport = 2;

// The report's lines end with a carriage return; the editor shows them one a line.
std::string editor_lines(std::string_view report) {
  std::string lines;
  for (const char c : report) {
    if (c == '\r') {
      lines += "\r\n";
    } else {
      lines += c;
    }
  }
  return lines;
}

}  // namespace

void ShowManagementReport(std::string_view report) {
  OpenDialog("d", 0, 0, 20, 70, "signalement de Tavelo");
  const ControlSpec controls[] = {
      {ControlKind::label, 1, "ce que la gestion a trouvé:", 1, 2},
      {ControlKind::editor, kReport, "", 3, 2, 66, 16, kReadOnly},
  };
  AddControls(controls);
  SetControlText(kReport, editor_lines(report));
  FocusControl(kReport);
  Speak("signalement de Tavelo", 0);
  for (;;) {
    const Input input = NextInput(-1);
    if (input.event == "btnok" || input.event == "btncancel" || input.event == "winclose" ||
        input.key == "escape") {
      return;
    }
  }
}

}  // namespace tavelo
