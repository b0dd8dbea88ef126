#include "access/menus.hpp"

#include <gtest/gtest.h>

#include "access/window_prompts.hpp"
#include "tests/access/sim_session.hpp"

namespace tavelo::testing {
namespace {

using Texts = std::vector<std::string>;
using Numbers = std::vector<int>;

TEST(Menus, MarkupMakesSeparatorsAndSubMenus) {
  SimSession sim;
  OpenDialog("", 0, 0, 20, 60, "calendrier");
  BuildMenu("&Fichier", 10,
            {"&Nouveau", "", "-{&Exporter", "vers &texte", "}vers &agenda", "-&Quitter"});
  const int w = sim.window();
  ASSERT_EQ(sim.windows.menu_bar_count(w), 1);
  const int menu = sim.windows.menu_handle_at(w, 0);
  EXPECT_EQ(sim.windows.menu_texts(menu),
            (Texts{"&Fichier", "&Nouveau", "-", "{&Exporter", "-", "&Quitter"}));
  EXPECT_EQ(sim.windows.menu_commands(menu)[5], 13);
  const int sub = -sim.windows.menu_commands(menu)[3];
  EXPECT_EQ(sim.windows.menu_texts(sub), (Texts{"vers &texte", "vers &agenda"}));
  EXPECT_EQ(sim.windows.menu_commands(sub), (Numbers{11, 12}));

  // A first number of 0 goes on from the last number given.
  BuildMenu("&Aide", 0, {"&Sommaire", "À &propos"});
  EXPECT_EQ(sim.windows.menu_commands(sim.windows.menu_handle_at(w, 1)), (Numbers{0, 14, 15}));
  sim.windows.choose_menu(14);
  EXPECT_EQ(WaitDialogEvent(0), "getfocus");
  EXPECT_EQ(WaitDialogEvent(0), "menu14");
}

TEST(Menus, OnlyTwentyFourItemsCountAndThePopupIsRefilled) {
  SimSession sim;
  OpenDialog("", 0, 0, 20, 60, "agenda");
  std::vector<std::string> many;
  for (int i = 1; i <= 30; ++i) many.push_back("élément " + std::to_string(i));
  const std::vector<std::string_view> views(many.begin(), many.end());
  BuildPopupMenu("", 1, views);
  const int popup = sim.windows.popup_menu(sim.window());
  EXPECT_TRUE(sim.windows.menu_texts(popup).empty());  // asking for it empties it
  BuildPopupMenu("", 1, views);
  EXPECT_EQ(sim.windows.menu_texts(popup).size(), 24u);
  EXPECT_EQ(sim.windows.menu_commands(popup).back(), 24);
  EXPECT_EQ(sim.windows.menu_bar_count(sim.window()), 0);
}

TEST(Menus, EditMenuInBothLanguages) {
  SimSession sim;
  OpenDialog("", 0, 0, 20, 60, "note");
  AddEditMenu(0, 0);
  AddEditMenu(40, 1);
  const int w = sim.window();
  const Texts french = sim.windows.menu_texts(sim.windows.menu_handle_at(w, 0));
  EXPECT_EQ(french.front(), "&Édition");
  EXPECT_EQ(french[5], "&co&ller\tCTRL+V");
  EXPECT_EQ(french.back(), "Proc&haine occurence\tF3");
  EXPECT_EQ(sim.windows.menu_commands(sim.windows.menu_handle_at(w, 0)),
            (Numbers{0, 1, 2, 3, 4, 5, 6, 7, 8}));
  const Texts english = sim.windows.menu_texts(sim.windows.menu_handle_at(w, 1));
  EXPECT_EQ(english.front(), "&Edit");
  EXPECT_EQ(english[3], "C&opY\tCTRL+C");
  EXPECT_EQ(english.back(), "Again\tF3");
  EXPECT_EQ(sim.windows.menu_commands(sim.windows.menu_handle_at(w, 1)).back(), 47);
}

TEST(Prompts, NoticesTakeTheirTitleFromTheText) {
  SimSession sim;
  WindowPrompts prompts;
  prompts.notice("Tavelo\rAucun fichier son n'a été trouvé...");
  prompts.notice("Notice de tavelo|Une planification a été reçue");
  prompts.notice("La date est invalide.");
  prompts.notice("\rsans titre");
  sim.windows.queue_answer("yes");
  EXPECT_TRUE(prompts.question("Voulez-vous continuer?"));
  EXPECT_FALSE(prompts.question("Encore?"));
  sim.windows.queue_answer("mardi");
  EXPECT_EQ(prompts.input("Tavelo", "Entrez le jour.", "lundi"), "mardi");
  sim.windows.queue_answer("cancel");
  EXPECT_EQ(prompts.input("Tavelo", "Entrez le jour.", "lundi"), std::nullopt);
  EXPECT_EQ(sim.heard(), (Texts{"notice \"Tavelo\" \"Aucun fichier son n'a été trouvé...\"",
                                "notice \"Notice de tavelo\" \"Une planification a été reçue\"",
                                "notice \"Notice...\" \"La date est invalide.\"",
                                "notice \"Notice...\" \"sans titre\"",
                                "question \"Voulez-vous continuer?\" -> yes",
                                "question \"Encore?\" -> no (default)",
                   "input \"Tavelo\" \"Entrez le jour.\" -> \"mardi\"",
                   "input \"Tavelo\" \"Entrez le jour.\" -> cancel"}));
}

}  // namespace
}  // namespace tavelo::testing
