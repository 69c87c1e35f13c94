#include "platform/linux/desktop_entry.hpp"

#include <gtest/gtest.h>

namespace vantric {
namespace {

constexpr std::string_view localised = R"([Desktop Entry]
Type=Application
Name=Files
Name[de]=Dateien
Name[de_CH]=Dateien (CH)
Name[sr@latin]=Datoteke
Name[sr]=Датотеке
Name[pt]=Arquivos
Icon=org.gnome.Nautilus

[Desktop Action new-window]
Name=New Window
Name[de]=Neues Fenster
)";

TEST(DesktopEntry, NamesInTheBestMessageLanguageItHas) {
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{}, "Files"},
        {{"de_CH.UTF-8"}, "Dateien (CH)"},
        {{"de_AT"}, "Dateien"},
        {{"de_CH@euro"}, "Dateien (CH)"},
        {{"pt_BR"}, "Arquivos"},
        {{"sr_RS@latin"}, "Datoteke"},
        {{"sr_RS"}, "Датотеке"},
        {{"fr_FR", "de"}, "Dateien"},      // fr has no name: the next language
        {{"pt_BR", "de_CH"}, "Arquivos"},  // the language's own fallback beats the next one
    };
    for (const auto& [languages, name] : rows) {
        EXPECT_EQ(parseDesktopEntry(localised, languages).value().name, name)
            << (languages.empty() ? "" : languages.front());
    }
}

TEST(DesktopEntry, ReadsOnlyTheEntryGroupOfAnApplication) {
    constexpr std::string_view tilix =
        "# a comment\n[Desktop Entry]\r\nType = Application\r\nName=Tilix\\sTerminal\r\n"
        "Icon=/opt/tilix/icon.png\nCategories=GTK;System;TerminalEmulator;\n"
        "StartupWMClass=com.gexperts.Tilix\nNoDisplay=true\n"
        "[Desktop Action x]\nName=Other\nIcon=other\nHidden=true\n";
    const DesktopEntry entry = parseDesktopEntry(tilix, {}).value();
    EXPECT_EQ(std::tuple(entry.name, entry.icon, entry.startupWmClass),
              std::tuple("Tilix Terminal", "/opt/tilix/icon.png", "com.gexperts.Tilix"));
    EXPECT_EQ(std::tuple(entry.terminalEmulator, entry.noDisplay, entry.hidden),
              std::tuple(true, true, false));

    const auto calculator = parseDesktopEntry(
        "[Desktop Entry]\nType=Application\nName=Calc\nCategories=TerminalEmulators\n", {});
    EXPECT_FALSE(calculator.value().terminalEmulator);
    EXPECT_FALSE(parseDesktopEntry("[Desktop Entry]\nType=Link\nName=Site\nURL=x\n", {}));
    EXPECT_FALSE(parseDesktopEntry("[Desktop Entry]\nType=Application\nName[de]=Nur\n", {}));
    EXPECT_FALSE(parseDesktopEntry("[Other]\nType=Application\nName=Wrong group\n", {}));
    // A deleted entry needs nothing else to hide the one it replaces.
    EXPECT_TRUE(parseDesktopEntry("[Desktop Entry]\nHidden=true\n", {}).value().hidden);
}

TEST(MessageLanguages, FirstSetVariableWinsAndCAsksForNone) {
    const std::pair<LocaleEnvironment, std::vector<std::string>> rows[] = {
        {{.language = "pt_BR:pt::de", .lcAll = "fr_FR.UTF-8", .lang = "en_US.UTF-8"},
         {"pt_BR", "pt", "de"}},
        {{.lcAll = "fr_FR.UTF-8", .lcMessages = "de_DE.UTF-8", .lang = "en_US"}, {"fr_FR.UTF-8"}},
        {{.lcMessages = "de_CH.UTF-8", .lang = "en_US.UTF-8"}, {"de_CH.UTF-8"}},
        {{.lcAll = "C.UTF-8", .lang = "de_DE"}, {}},
    };
    for (const auto& [environment, languages] : rows) {
        EXPECT_EQ(messageLanguages(environment), languages)
            << environment.language << "|" << environment.lcAll << "|" << environment.lang;
    }
}

}  // namespace
}  // namespace vantric
