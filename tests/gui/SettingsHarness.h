// A started program on a small temporary library for the settings and language tests: the
// real start-up, the program's queue dispatched as the event loop would, and dialogs answered.
#pragma once

#include <gtest/gtest.h>
#include <gtkmm/main.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "GuiHarness.h"
#include "app/Application.h"
#include "app/Dispatch.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "settings/SettingsDialog.h"

namespace quillmate::test {

class SettingsFixture : public ::testing::Test {
  protected:
    // The small library with a preferences file; `overrides` replace or add keys.
    void WriteLibrary(const std::map<std::string, std::string>& overrides = {}) {
        FillSmallLibrary(m_folder);
        std::map<std::string, std::string> values = {
            {"db-path", m_folder.Path() + "Quillmate-Toc.xml"},
            {"Lib-path", ""},
            {"about", "1"},
            {"Language", "0"},
            {"SearchHint", "0"},
            {"SearchMode", "0"},
            {"CodeMarks", "0"},
            {"FontName", "Monospace"},
            {"FontSize", "10"},
            {"SavePaths", "1"},
            {"SourceInTitle", "1"},
            {"SaveWinSetting", "0"},
            {"DyeingNews", "1"},
            {"DarkMode", "0"},
            {"CodeEditorPath", ""},
        };
        for (const auto& [key, value] : overrides) {
            values[key] = value;
        }
        std::vector<std::string> lines;
        for (const auto& [key, value] : values) {
            lines.push_back(key + "=" + value);
        }
        m_folder.WritePreferences(lines);
    }

    void Start(const std::map<std::string, std::string>& overrides = {}) {
        WriteLibrary(overrides);
        StartOnFolder();
    }

    void StartOnFolder() {
        ASSERT_EQ(::chdir(m_folder.Path().c_str()), 0);
        m_app = std::make_unique<Application>(m_folder.Path());
        StartUp(*m_app);
        ASSERT_TRUE(m_app->ui.mainWindow);
        ASSERT_TRUE(m_app->ui.settingsWindow);
        ASSERT_TRUE(PumpUntil([&] { return m_app->ui.mainWindow->get_mapped(); }));
        RunQueued();
    }

    // Dispatches the program's queued events and GTK's pending ones until both are quiet.
    void RunQueued() {
        PumpUntil(
            [&] {
                while (auto event = m_app->services.queue.Take()) {
                    Dispatch(*m_app, *event);
                }
                return !Gtk::Main::events_pending() && m_app->services.queue.Empty();
            },
            std::chrono::seconds(5));
    }

    MainWindow& Main() { return *m_app->ui.mainWindow; }
    SettingsWindow& Dialog() { return *m_app->ui.settingsWindow; }

    void OpenDialog() {
        m_app->services.queue.Post(
            WidgetEvent(WindowId::Main, WidgetId::SettingsButton, WidgetEventType::LeftClick));
        RunQueued();
        ASSERT_TRUE(PumpUntil([&] { return Dialog().get_mapped(); }));
        RunQueued();
    }

    // A click on a dialog button, carried through the queue like a user's.
    void Click(Gtk::Button& button) {
        button.clicked();
        RunQueued();
    }

    // Selects the index row of `file` and shows it as the user's selection would.
    void ShowEntry(const std::string& file) {
        for (size_t i = 0; i < m_app->records.entries.size(); ++i) {
            if (m_app->records.entries[i].file == file) {
                Main().Tree().SelectRow(static_cast<int>(i));
                m_app->services.queue.Post(
                    WidgetEvent(WindowId::Main, WidgetId::IndexTree, WidgetEventType::Change));
                RunQueued();
                return;
            }
        }
        ADD_FAILURE() << "no entry for " << file;
    }

    std::vector<SeenDialog> Messages() const {
        std::vector<SeenDialog> messages;
        for (const SeenDialog& seen : m_watcher.Seen()) {
            if (seen.kind == "message") {
                messages.push_back(seen);
            }
        }
        return messages;
    }

    TempProgramFolder m_folder;
    DialogWatcher m_watcher;
    std::unique_ptr<Application> m_app;
};

}  // namespace quillmate::test
