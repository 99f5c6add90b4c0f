#include "app/Dispatch.h"

#include <gtkmm/menu.h>

#include "app/Application.h"
#include "app/MainActions.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "base/Release.h"
#include "database/IndexTreeActions.h"
#include "database/SearchActions.h"
#include "settings/AboutActions.h"
#include "settings/AboutDialogs.h"
#include "settings/LanguageActions.h"
#include "settings/SettingsActions.h"
#include "settings/UpdateActions.h"
#include "settings/UpdateWindow.h"
#include "viewer/ClipboardActions.h"
#include "viewer/CodeViewerActions.h"
#include "viewer/ExportActions.h"
#include "viewer/FindActions.h"
#include "viewer/ZoomActions.h"

namespace quillmate {
namespace {

// Every search passes the entry's current text.
void SearchFromEntry(Application& app, bool searchNext) {
    MainWindow& window = *app.ui.mainWindow;
    SearchIndex(app, window, window.Tree(), window.SearchEntry(), window.SearchEntry().get_text(),
                searchNext);
}

void DispatchMainWidget(Application& app, const ProgramEvent& event) {
    MainWindow& window = *app.ui.mainWindow;
    switch (event.widget) {
        case WidgetId::ExpandToggle:
            if (event.type == WidgetEventType::LeftClick) {
                ToggleExpandState(app);
            }
            break;
        case WidgetId::InfoButton:
            PopupButtonMenu(app, app.ui.menus->infoMenu, window.InfoButton(), event.data == 1);
            break;
        case WidgetId::HelpButton:
            ShowHelpEntry(app);
            break;
        case WidgetId::SettingsButton:
            if (app.ui.settingsWindow) {
                OpenSettings(app);
            }
            break;
        case WidgetId::IndexTree:
            if (event.type == WidgetEventType::DoubleClick) {
                ToggleSelectedNode(app);
            } else if ((event.type == WidgetEventType::LeftClick || event.type == WidgetEventType::Change) &&
                       window.Tree().SelectedRow() >= 0) {
                ShowSelectedEntry(app, event.type);
            }
            break;
        case WidgetId::FindEntry:
        case WidgetId::FindCase:
            FindTermChanged(app);
            break;
        case WidgetId::FindNext:
        case WidgetId::FindPrevious:
            StepFind(app, event.widget == WidgetId::FindNext);
            break;
        case WidgetId::FindBar:
            CloseFindBar(app);
            break;
        case WidgetId::SearchEntry:
            if (event.type == WidgetEventType::IconPress && event.data == 1) {
                window.SearchEntry().set_text("");
                window.SearchEntry().grab_focus();
            } else if (event.type == WidgetEventType::IconPress && event.data == 0) {
                SearchFromEntry(app, true);
            } else if (event.type == WidgetEventType::Change) {
                SearchFromEntry(app, false);
            }
            break;
        case WidgetId::AdminButton:
#if QUILLMATE_ADMIN
            PopupButtonMenu(app, app.ui.menus->adminMenu, window.AdminButton(), event.data == 1);
#endif
            break;
        case WidgetId::QuickCopyButton:
            QuickCopy(app);
            break;
        case WidgetId::FavouriteButton:
            ToggleFavourite(app);
            break;
        case WidgetId::HistoryCombo:
            if (window.HistoryCombo().get_active_row_number() >= 0) {
                ShowHistoryEntry(app);
            }
            break;
        default:
            break;
    }
}

void DispatchMainCommand(Application& app, const ProgramEvent& event) {
    switch (event.command) {
        case Command::Quit:
            app.records.state.quitRequest = true;
            break;
        case Command::HelpKey:
            app.services.queue.Post(
                WidgetEvent(WindowId::Main, WidgetId::HelpButton, WidgetEventType::LeftClick));
            break;
        case Command::ToggleWrap:
            ToggleCodeWrap(app);
            break;
        case Command::OpenFind:
            OpenFindBar(app);
            break;
        case Command::ToggleFavourite:
            ToggleFavourite(app);
            break;
        case Command::FocusSearch:
            app.ui.mainWindow->SearchEntry().grab_focus();
            app.ui.mainWindow->SearchEntry().select_region(0, -1);
            break;
        case Command::QuickCopy:
            QuickCopy(app);
            break;
        case Command::ZoomIn:
        case Command::ZoomOut:
        case Command::ZoomReset:
            ZoomByKey(app, app.ui.mainWindow->Code().View(),
                      event.command == Command::ZoomIn    ? 1
                      : event.command == Command::ZoomOut ? -1
                                                          : 0);
            break;
        case Command::CloseFind:
            CloseFindBar(app);
            break;
        case Command::FindNextMatch:
        case Command::FindPreviousMatch:
            StepFind(app, event.command == Command::FindNextMatch);
            break;
        case Command::SearchNext:
            SearchFromEntry(app, true);
            break;
        case Command::SearchReturn:
            // Return searches on only while the entry is the window's focus widget; after a row
            // found through its code it walks through the matches in that code (F3 goes on).
            if (app.ui.mainWindow->SearchEntry().is_focus()) {
                if (app.records.state.searchHitInCode && app.ui.mainWindow->Finder().IsOpen()) {
                    StepFind(app, true);
                } else {
                    SearchFromEntry(app, true);
                }
            }
            break;
        case Command::ReadCodeTexts:
            StartCodeTextReading(app);
            break;
        case Command::CodeTextsRead:
            TakeCodeTexts(app);
            break;
        case Command::ExportWebPage:
            RunWebPageExport(app);
            break;
        case Command::ExportPostingAll:
            RunPostingExport(app, false);
            break;
        case Command::ExportPostingNews:
            RunPostingExport(app, true);
            break;
        case Command::ExportFileList:
            RunFileListExport(app);
            break;
        case Command::ProtocolDuplicates:
            RunDuplicateProtocol(app);
            break;
        case Command::EditHelpFile:
            EditHelpFile(app);
            break;
        case Command::CopyCodePath:
            CopyCodePath(app);
            break;
        case Command::OpenCode:
            OpenCode(app);
            break;
        case Command::AboutProgram:
            ShowProgramAbout(app.ui.pictures);
            break;
        case Command::AboutDatabase:
            ShowDatabaseInfo(app);
            break;
        case Command::CheckUpdates:
            CheckForUpdates(app);
            break;
        case Command::ToggleLanguage:
        case Command::LanguageGerman:
        case Command::LanguageEnglish:
        case Command::LanguageFrench:
            SwitchIndexLanguage(app, event.command);
            break;
        default:
            break;
    }
}

void DispatchMain(Application& app, const ProgramEvent& event) {
    switch (event.kind) {
        case EventKind::CloseRequest:
            app.records.state.quitRequest = true;
            break;
        case EventKind::FilesDropped:
            ShowDroppedFile(app, event.text);
            break;
        case EventKind::Command:
            DispatchMainCommand(app, event);
            break;
        case EventKind::Widget:
            DispatchMainWidget(app, event);
            break;
    }
}

// The secondary windows are hidden by their close button and by Escape, never destroyed.
bool IsHideRequest(const ProgramEvent& event) {
    return event.kind == EventKind::CloseRequest ||
           (event.kind == EventKind::Command && event.command == Command::Quit);
}

void DispatchDatabaseInfo(Application& app, const ProgramEvent& event) {
    if (!app.ui.databaseInfoWindow) {
        return;
    }
    if (IsHideRequest(event)) {
        app.ui.databaseInfoWindow->hide();
    } else if (event.kind == EventKind::Widget && event.widget == WidgetId::CopyFileIcon) {
        CopyInfoFilePath(app);
    } else if (event.kind == EventKind::Widget && event.widget == WidgetId::LibraryIcon) {
        OpenLibraryFolder(app);
    }
}

void DispatchUpdate(Application& app, const ProgramEvent& event) {
    if (!app.ui.updateWindow) {
        return;
    }
    if (IsHideRequest(event)) {
        app.ui.updateWindow->hide();
    } else if (event.kind == EventKind::Command && event.command == Command::UpdateCheckFinished) {
        ShowUpdateAnswers(app);
    }
}

void DispatchSettingsWidget(Application& app, const ProgramEvent& event) {
    switch (event.widget) {
        case WidgetId::DatabaseChooser:
            ChooseSettingsDatabase(app);
            break;
        case WidgetId::LibraryChooser:
            ChooseLibraryFolder(app);
            break;
        case WidgetId::FontChooser:
            ChooseCodeFont(app);
            break;
        case WidgetId::ApplyButton:
            ApplyDatabaseSettings(app);
            break;
        case WidgetId::SaveButton:
            SaveSettings(app);
            break;
        case WidgetId::CancelButton:
            HideSettings(app);
            break;
        default:
            break;
    }
}

void DispatchSettings(Application& app, const ProgramEvent& event) {
    if (!app.ui.settingsWindow) {
        return;
    }
    switch (event.kind) {
        case EventKind::CloseRequest:
            HideSettings(app);
            break;
        case EventKind::Command:
            if (event.command == Command::Quit) {
                HideSettings(app);
            }
            break;
        case EventKind::Widget:
            DispatchSettingsWidget(app, event);
            break;
        default:
            break;
    }
}

}  // namespace

void Dispatch(Application& app, const ProgramEvent& event) {
    if (!app.ui.mainWindow) {
        return;
    }
    switch (event.window) {
        case WindowId::Main:
            DispatchMain(app, event);
            break;
        case WindowId::Settings:
            DispatchSettings(app, event);
            break;
        case WindowId::DatabaseInfo:
            DispatchDatabaseInfo(app, event);
            break;
        case WindowId::Update:
            DispatchUpdate(app, event);
            break;
    }
}

}  // namespace quillmate
