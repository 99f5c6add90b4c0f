#include "settings/LanguageActions.h"

#include <gtkmm/separatormenuitem.h>

#include <algorithm>
#include <vector>

#include "app/Application.h"
#include "app/MainActions.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "base/Utf8.h"
#include "database/IndexTreeActions.h"
#include "settings/SettingsDialog.h"

namespace quillmate {
namespace {

constexpr const char* kLanguageFileMissingText = "Language-File not found!";

template <size_t N>
void WriteTexts(Application& app, const std::array<std::string_view, N>& keys,
                std::map<std::string, TextTarget, std::less<>>& targets, bool isTooltip,
                const std::string& languageCode) {
    for (const std::string_view key : keys) {
        const auto text = app.records.languageTable.GetText(key, isTooltip, languageCode);
        if (app.records.languageTable.TakeMissingFileWarning()) {
            ShowMessage("", kLanguageFileMissingText);
        }
        const auto target = targets.find(key);
        if (target != targets.end() && target->second.set) {
            // The language file may hold texts of any length; no widget grows with them.
            if (!text) {
                target->second.set(target->second.builtIn);
            } else if (isTooltip) {
                target->second.set(WithBreakOpportunities(ShownLanguageText(*text, kLabelTextLimit)));
            } else {
                target->second.set(ShownLanguageText(*text, kRowTextLimit));
            }
        }
    }
}

void RegisterTooltip(TextTargetRegistry& targets, const char* key, Gtk::Widget* widget) {
    if (widget == nullptr) {
        return;
    }
    targets.tooltips[key] = {widget->get_tooltip_text(),
                             [widget](const std::string& text) { widget->set_tooltip_text(text); }};
}

void RegisterMenuItem(TextTargetRegistry& targets, const char* key, Gtk::MenuItem* item) {
    if (item == nullptr) {
        return;
    }
    targets.labels[key] = {item->get_label(), [item](const std::string& text) { item->set_label(text); }};
}

}  // namespace

void ApplyLanguage(Application& app, int language, bool indexOnly) {
    if (!app.ui.settingsWindow || !app.ui.mainWindow || language == app.records.preferences.language) {
        return;
    }
    MainWindow& window = *app.ui.mainWindow;
    IndexTree& tree = window.Tree();
    const ShownCodeFile& shown = window.Code().ShownFile();
    const int shownRow =
        ShownEntryRow(app.records.entries, window.Code().CurrentEntryFile(), tree.SelectedRow());
    app.records.preferences.language = language;
    app.ui.settingsWindow->SetLanguageRow(language);
    RebuildIndexTree(app);
    app.records.state.expandState = true;
    window.ShowExpandState(true);
    SetExpandAll(app, true);
    // A dropped file stays as it is, without a row; an entry is shown again like any selection,
    // its description in the new language and its code as it was.
    if (!shown.dropped) {
        tree.SelectRow(std::max(shownRow, 0));
        app.services.queue.Post(WidgetEvent(WindowId::Main, WidgetId::IndexTree, WidgetEventType::Change));
    }
    if (indexOnly) {
        return;
    }
    const std::string code = LanguageCode(language);
    WriteTexts(app, kLabelKeys, app.ui.textTargets.labels, false, code);
    WriteTexts(app, kTooltipKeys, app.ui.textTargets.tooltips, true, code);
}

void SwitchIndexLanguage(Application& app, Command command) {
    if (const std::optional<int> language = LanguageAfterKey(command, app.records.preferences.language)) {
        ApplyLanguage(app, *language, true);
    }
}

void RegisterMainWindowTexts(Application& app) {
    if (!app.ui.mainWindow) {
        return;
    }
    MainWindow& window = *app.ui.mainWindow;
    TextTargetRegistry& targets = app.ui.textTargets;
    RegisterTooltip(targets, "#Main_Info", window.InfoButton());
    RegisterTooltip(targets, "#Main_NodeToggle", window.ExpandToggle());
    RegisterTooltip(targets, "#Main_Find", &window.SearchEntry());
    RegisterTooltip(targets, "#Main_Quickcopy", window.QuickCopyButton());
    RegisterTooltip(targets, "#Main_EdDescript", &window.DescriptionLine());
    RegisterTooltip(targets, "#Main_CbHistory", &window.HistoryCombo());
    RegisterTooltip(targets, "#Main_Help", window.HelpButton());
    RegisterTooltip(targets, "#Main_Setting", window.SettingsButton());
    RegisterTooltip(targets, "#Main_Favourite", &window.FavouriteButton());
    RegisterTooltip(targets, "#Find_Term", &window.Finder().Entry());
    RegisterTooltip(targets, "#Find_Previous", &window.Finder().PreviousButton());
    RegisterTooltip(targets, "#Find_Next", &window.Finder().NextButton());
    RegisterTooltip(targets, "#Find_Case", &window.Finder().MatchCaseButton());

    if (!app.ui.menus) {
        return;
    }
    // The info menu's entries in their order; the separator is no entry.
    std::vector<Gtk::MenuItem*> items;
    for (Gtk::Widget* child : app.ui.menus->infoMenu.get_children()) {
        auto* item = dynamic_cast<Gtk::MenuItem*>(child);
        if (item != nullptr && dynamic_cast<Gtk::SeparatorMenuItem*>(child) == nullptr &&
            item != &app.ui.menus->openCodeItem) {
            items.push_back(item);
        }
    }
    const char* keys[] = {"#PuInf_AboutApp", "#PuInf_AboutDb", "#PuInf_IsUpdate"};
    for (size_t i = 0; i < items.size() && i < std::size(keys); ++i) {
        RegisterMenuItem(targets, keys[i], items[i]);
    }
    RegisterMenuItem(targets, "#PuInf_OpnCode", &app.ui.menus->openCodeItem);
}

}  // namespace quillmate
