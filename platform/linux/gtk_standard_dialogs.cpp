#include "platform/files.hpp"
#include "platform/linux/gtk_state.hpp"

// The standard dialogs: message, yes/no and input boxes, file and folder choosers. Each runs
// over the program's top window and waits for the user's answer.

namespace tavelo {

namespace gtk {

namespace {

void add_filters(GtkFileChooser* chooser, std::string_view pattern) {
  if (pattern.empty()) return;
  GtkFileFilter* filter = gtk_file_filter_new();
  gtk_file_filter_set_name(filter, std::string(pattern).c_str());
  for (const std::string& one : pieces_between(pattern, ';')) {
    gtk_file_filter_add_pattern(filter, one.c_str());
  }
  gtk_file_chooser_add_filter(chooser, filter);
}

// Runs a standard dialog over the program's top window and gives its response; the window
// that was in front takes the keyboard back afterwards.
gint run_dialog(State& s, GtkWidget* dialog, std::string_view title) {
  gtk_window_set_title(GTK_WINDOW(dialog), std::string(title).c_str());
  if (Window* top = s.window_of(s.top_window())) {
    gtk_window_set_transient_for(GTK_WINDOW(dialog), GTK_WINDOW(top->gtk));
  }
  g_signal_connect(dialog, "map-event", G_CALLBACK(on_map), nullptr);
  const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  s.present_top_window();
  return response;
}

struct InputAnswer {
  std::optional<std::string> text;
  GtkWidget* entry;
};

GtkWidget* message_dialog(GtkMessageType type, std::string_view text) {
  return gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, type, GTK_BUTTONS_NONE, "%s",
                                with_line_feeds(text).c_str());
}

void take_chosen_files(GtkDialog* dialog, gint response, gpointer out) {
  if (response != GTK_RESPONSE_ACCEPT) return;
  auto& chosen = *static_cast<std::vector<std::string>*>(out);
  GSList* names = gtk_file_chooser_get_filenames(GTK_FILE_CHOOSER(dialog));
  for (GSList* name = names; name != nullptr; name = name->next) {
    chosen.push_back(taken_string(static_cast<gchar*>(name->data)));
  }
  g_slist_free(names);
}

// The files chosen, in the chooser's order; none when the user cancels.
std::vector<std::string> run_chooser(State& s, std::string_view title, GtkFileChooserAction action,
                                     const char* accept, std::string_view pattern,
                                     std::string_view folder, bool several,
                                     std::string_view proposed_name = {}) {
  GtkWidget* dialog =
      gtk_file_chooser_dialog_new(nullptr, nullptr, action, "_Annuler", GTK_RESPONSE_CANCEL, accept,
                                  GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  if (!folder.empty()) gtk_file_chooser_set_current_folder(chooser, std::string(folder).c_str());
  if (!proposed_name.empty()) {
    gtk_file_chooser_set_current_name(chooser, std::string(proposed_name).c_str());
  }
  add_filters(chooser, pattern);
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
  gtk_file_chooser_set_select_multiple(chooser, several ? TRUE : FALSE);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  std::vector<std::string> chosen;
  g_signal_connect(dialog, "response", G_CALLBACK(take_chosen_files), &chosen);
  run_dialog(s, dialog, title);
  return chosen;
}

std::optional<std::string> run_single_chooser(State& s, std::string_view title,
                                              GtkFileChooserAction action, const char* accept,
                                              std::string_view pattern, std::string_view folder,
                                              std::string_view proposed_name = {}) {
  std::vector<std::string> chosen =
      run_chooser(s, title, action, accept, pattern, folder, false, proposed_name);
  if (chosen.empty()) return std::nullopt;
  return std::move(chosen.front());
}

}  // namespace

}  // namespace gtk

using namespace gtk;

void GtkWindowSystem::message_box(std::string_view title, std::string_view text) {
  GtkWidget* dialog = message_dialog(GTK_MESSAGE_INFO, text);
  gtk_dialog_add_button(GTK_DIALOG(dialog), "_OK", GTK_RESPONSE_OK);
  run_dialog(*state_, dialog, title);
}

bool GtkWindowSystem::yes_no_box(std::string_view title, std::string_view text) {
  GtkWidget* dialog = message_dialog(GTK_MESSAGE_QUESTION, text);
  gtk_dialog_add_buttons(GTK_DIALOG(dialog), "_Oui", GTK_RESPONSE_YES, "_Non", GTK_RESPONSE_NO,
                         nullptr);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_YES);
  return run_dialog(*state_, dialog, title) == GTK_RESPONSE_YES;
}

std::optional<std::string> GtkWindowSystem::input_box(std::string_view title,
                                                      std::string_view prompt,
                                                      std::string_view preset) {
  GtkWidget* dialog =
      gtk_dialog_new_with_buttons(nullptr, nullptr, GTK_DIALOG_MODAL, "_OK", GTK_RESPONSE_OK,
                                  "_Annuler", GTK_RESPONSE_CANCEL, nullptr);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  GtkWidget* area = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
  const std::string prompt_text = with_line_feeds(prompt);
  GtkWidget* label = gtk_label_new(prompt_text.c_str());
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(entry), std::string(preset).c_str());
  gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
  atk_object_set_name(gtk_widget_get_accessible(entry), prompt_text.c_str());
  relate(label, entry);
  gtk_box_pack_start(GTK_BOX(area), label, FALSE, FALSE, 6);
  gtk_box_pack_start(GTK_BOX(area), entry, FALSE, FALSE, 6);
  gtk_widget_show_all(area);
  InputAnswer answer{std::nullopt, entry};
  g_signal_connect(dialog, "response", G_CALLBACK(+[](GtkDialog*, gint response, gpointer out) {
                     if (response != GTK_RESPONSE_OK) return;
                     auto& input = *static_cast<InputAnswer*>(out);
                     input.text = gtk_entry_get_text(GTK_ENTRY(input.entry));
                   }),
                   &answer);
  run_dialog(*state_, dialog, title);
  return answer.text;
}

std::optional<std::string> GtkWindowSystem::open_file_dialog(std::string_view title,
                                                             std::string_view pattern,
                                                             std::string_view folder) {
  return run_single_chooser(*state_, title, GTK_FILE_CHOOSER_ACTION_OPEN, "_Ouvrir", pattern,
                            folder);
}

std::vector<std::string> GtkWindowSystem::open_files_dialog(std::string_view title,
                                                            std::string_view pattern,
                                                            std::string_view folder) {
  return run_chooser(*state_, title, GTK_FILE_CHOOSER_ACTION_OPEN, "_Ouvrir", pattern, folder,
                     true);
}

std::optional<std::string> GtkWindowSystem::save_file_dialog(std::string_view title,
                                                             std::string_view pattern,
                                                             std::string_view folder,
                                                             std::string_view proposed_name) {
  return run_single_chooser(*state_, title, GTK_FILE_CHOOSER_ACTION_SAVE, "_Enregistrer", pattern,
                            folder, proposed_name);
}

std::optional<std::string> GtkWindowSystem::folder_dialog(std::string_view title) {
  return run_single_chooser(*state_, title, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Choisir", "",
                            "");
}

}  // namespace tavelo
