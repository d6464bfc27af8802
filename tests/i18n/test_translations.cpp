#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "i18n/catalogue.h"
#include "i18n/language.h"
#include "i18n/translate.h"

namespace kestrune {
namespace {

// Puts English back after each test.
class Translations : public ::testing::Test {
protected:
    void TearDown() override { SetLanguage(kEnglish); }
};

TEST_F(Translations, FormatFillsNumberedPlaceholdersInAnyOrder) {
    const struct {
        std::string_view pattern;
        std::vector<std::string_view> values;
        std::string expected;
    } cases[] = {
        {"Cannot open file %1", {"mods.kst"}, "Cannot open file mods.kst"},
        {"%2 из %1", {"16", "3"}, "3 из 16"},
        {"%1/%2 players", {"3", "16"}, "3/16 players"},
        {"100%% %1", {"sure"}, "100% sure"},
        {"%3 stays", {"a"}, "%3 stays"},
        {"ends in %", {}, "ends in %"},
        {"a value with %1 in it", {"%2"}, "a value with %2 in it"},
    };
    for (const auto& c : cases) {
        std::string text;
        switch (c.values.size()) {
            case 0:
                text = Format(c.pattern, {});
                break;
            case 1:
                text = Format(c.pattern, {c.values[0]});
                break;
            default:
                text = Format(c.pattern, {c.values[0], c.values[1]});
                break;
        }
        EXPECT_EQ(text, c.expected) << c.pattern;
    }
}

TEST_F(Translations, EnglishIsTheTextInTheCode) {
    SetLanguage(kEnglish);
    EXPECT_EQ(Tr("Launch game"), "Launch game");
    EXPECT_EQ(Tr("a text no catalogue has"), "a text no catalogue has");
    const std::pair<unsigned long, std::string_view> counts[] = {
        {0, "%1 players"}, {1, "%1 player"}, {2, "%1 players"}, {21, "%1 players"}};
    for (const auto& [count, expected] : counts) {
        EXPECT_EQ(TrN("%1 player", "%1 players", count), expected) << count;
    }
}

TEST_F(Translations, UnknownLanguageIsEnglish) {
    EXPECT_FALSE(SetLanguage("xx"));
    EXPECT_EQ(CurrentLanguage(), "en");
    EXPECT_EQ(CurrentCatalogue(), nullptr);
    EXPECT_TRUE(SetLanguage("en"));
}

// Counts read right in every language: each language's own rule picks the form.
TEST_F(Translations, PluralRulesOfEveryLanguage) {
    const unsigned long counts[] = {0, 1, 2, 5, 11, 21, 22, 25};
    const struct {
        std::string_view language;
        std::string_view singular, plural;
        std::vector<std::string> expected;  // for each of the counts
    } cases[] = {
        {"en", "%1 player", "%1 players",
         {"0 players", "1 player", "2 players", "5 players", "11 players", "21 players",
          "22 players", "25 players"}},
        {"en", "%1 of %2 server answered", "%1 of %2 servers answered",
         {"%1 of 0 servers answered", "%1 of 1 server answered", "%1 of 2 servers answered",
          "%1 of 5 servers answered", "%1 of 11 servers answered", "%1 of 21 servers answered",
          "%1 of 22 servers answered", "%1 of 25 servers answered"}},
        {"de", "and %1 more", "and %1 more",
         {"und 0 weitere", "und 1 weiterer", "und 2 weitere", "und 5 weitere", "und 11 weitere",
          "und 21 weitere", "und 22 weitere", "und 25 weitere"}},
        {"fr", "%1 player", "%1 players",
         {"0 joueur", "1 joueur", "2 joueurs", "5 joueurs", "11 joueurs", "21 joueurs",
          "22 joueurs", "25 joueurs"}},
        {"es", "%1 player", "%1 players",
         {"0 jugadores", "1 jugador", "2 jugadores", "5 jugadores", "11 jugadores",
          "21 jugadores", "22 jugadores", "25 jugadores"}},
        {"ru", "%1 player", "%1 players",
         {"0 игроков", "1 игрок", "2 игрока", "5 игроков", "11 игроков", "21 игрок", "22 игрока",
          "25 игроков"}},
        {"ru", "%1 (%2 bot)", "%1 (%2 bots)",
         {"%1 (0 ботов)", "%1 (1 бот)", "%1 (2 бота)", "%1 (5 ботов)", "%1 (11 ботов)",
          "%1 (21 бот)", "%1 (22 бота)", "%1 (25 ботов)"}},
        {"ru", "%1 of %2 server answered", "%1 of %2 servers answered",
         {"Ответили: %1 из 0 серверов", "Ответили: %1 из 1 сервера", "Ответили: %1 из 2 серверов",
          "Ответили: %1 из 5 серверов", "Ответили: %1 из 11 серверов",
          "Ответили: %1 из 21 сервера", "Ответили: %1 из 22 серверов",
          "Ответили: %1 из 25 серверов"}},
        {"pl", "%1 player", "%1 players",
         {"0 graczy", "1 gracz", "2 gracze", "5 graczy", "11 graczy", "21 graczy", "22 gracze",
          "25 graczy"}},
        {"pl", "%1 (%2 bot)", "%1 (%2 bots)",
         {"%1 (0 botów)", "%1 (1 bot)", "%1 (2 boty)", "%1 (5 botów)", "%1 (11 botów)",
          "%1 (21 botów)", "%1 (22 boty)", "%1 (25 botów)"}},
        {"pl", "%1 of %2 server answered", "%1 of %2 servers answered",
         {"Odpowiedzi: %1 z 0 serwerów", "Odpowiedzi: %1 z 1 serwera", "Odpowiedzi: %1 z 2 serwerów",
          "Odpowiedzi: %1 z 5 serwerów", "Odpowiedzi: %1 z 11 serwerów",
          "Odpowiedzi: %1 z 21 serwerów", "Odpowiedzi: %1 z 22 serwerów",
          "Odpowiedzi: %1 z 25 serwerów"}},
        {"it", "%1 player", "%1 players",
         {"0 giocatori", "1 giocatore", "2 giocatori", "5 giocatori", "11 giocatori",
          "21 giocatori", "22 giocatori", "25 giocatori"}},
        {"pt_BR", "%1 player", "%1 players",
         {"0 jogador", "1 jogador", "2 jogadores", "5 jogadores", "11 jogadores", "21 jogadores",
          "22 jogadores", "25 jogadores"}},
        {"uk", "%1 player", "%1 players",
         {"0 гравців", "1 гравець", "2 гравці", "5 гравців", "11 гравців", "21 гравець",
          "22 гравці", "25 гравців"}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SetLanguage(c.language)) << c.language;
        for (std::size_t i = 0; i < std::size(counts); ++i) {
            const std::string number = std::to_string(counts[i]);
            // The bots' form keeps the players' place for the text it follows; the servers'
            // keeps the answered count's.
            const std::string text = c.singular.find("%2") != std::string_view::npos
                                         ? Format(TrN(c.singular, c.plural, counts[i]), {"%1", number})
                                         : Format(TrN(c.singular, c.plural, counts[i]), {number});
            EXPECT_EQ(text, c.expected[i]) << c.language << " " << counts[i];
        }
    }
}

TEST_F(Translations, EveryLanguageOfTheListIsCompiledIn) {
    std::vector<std::string> codes;
    for (const Catalogue& catalogue : Catalogues()) {
        codes.emplace_back(catalogue.code);
        EXPECT_GT(catalogue.entries.size(), 80u) << catalogue.code;
    }
    EXPECT_EQ(codes, (std::vector<std::string>{"de", "fr", "es", "ru", "pl", "it", "pt_BR", "uk"}));
    ASSERT_TRUE(SetLanguage("ru"));
    EXPECT_EQ(Tr("Launch game"), "Запуск игры");
    EXPECT_EQ(Tr("a text no catalogue has"), "a text no catalogue has");
}

TEST_F(Translations, ThePlayersLanguagesPickTheFirstOneSpoken) {
    const struct {
        std::vector<std::string> preferences;
        std::string expected;
    } cases[] = {
        {{"ru_RU.UTF-8"}, "ru"},
        {{"de_AT.UTF-8@euro"}, "de"},
        {{"pt"}, "pt_BR"},
        {{"pt-BR"}, "pt_BR"},
        {{"pt_PT.UTF-8"}, "pt_BR"},
        {{"uk-UA", "en-US"}, "uk"},
        {{"ja_JP.UTF-8", "pl_PL.UTF-8"}, "pl"},
        {{"en_GB.UTF-8", "de"}, "en"},
        {{"C.UTF-8"}, "en"},
        {{"POSIX"}, "en"},
        {{"ja", "zh_CN"}, "en"},
        {{"", "fr_CA.UTF-8"}, "fr"},
        {{}, "en"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchLanguage(c.preferences), c.expected)
            << (c.preferences.empty() ? "(none)" : c.preferences.front());
    }
}

// Every form of every translation holds the placeholders of its English text, each as often:
// one dropped, added or renumbered would show the wrong value or none.
TEST_F(Translations, TranslationsKeepTheirPlaceholders) {
    const auto placeholders = [](std::string_view text) {
        std::multiset<std::string> found;
        for (std::size_t i = 0; i + 1 < text.size(); ++i) {
            if (text[i] == '%' && text[i + 1] == '%') {
                ++i;
            } else if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') {
                found.insert(std::string(text.substr(i, 2)));
            }
        }
        return found;
    };
    for (const Catalogue& catalogue : Catalogues()) {
        for (const CatalogueEntry& entry : catalogue.entries) {
            const auto expected = placeholders(entry.english);
            for (int form = 0; !Form(entry, form).empty(); ++form) {
                EXPECT_EQ(placeholders(Form(entry, form)), expected)
                    << catalogue.code << ": \"" << Form(entry, form) << "\" for \""
                    << entry.english << "\"";
            }
        }
    }
}

}  // namespace
}  // namespace kestrune
