// The program's own event queue: GTK signal handlers and the program post events here, and the
// event loop takes them one at a time, so that no dispatched handler runs inside another.
#pragma once

#include <algorithm>
#include <deque>
#include <optional>
#include <string>

namespace quillmate {

enum class WindowId { Main, Settings, DatabaseInfo, Update };

enum class EventKind { CloseRequest, FilesDropped, Command, Widget };

enum class WidgetId {
    None,
    // Main window
    ExpandToggle,
    SearchEntry,
    HistoryCombo,
    QuickCopyButton,
    SettingsButton,
    HelpButton,
    InfoButton,
    AdminButton,
    IndexTree,
    FavouriteButton,
    // The find bar at the code view
    FindBar,
    FindEntry,
    FindPrevious,
    FindNext,
    FindCase,
    // Settings window
    DatabaseChooser,
    LibraryChooser,
    FontChooser,
    ApplyButton,
    SaveButton,
    CancelButton,
    // Database info window
    CopyFileIcon,
    LibraryIcon,
};

// Sub-types of widget events.
enum class WidgetEventType { LeftClick, DoubleClick, IconPress, Activate, Change };

enum class Command {
    None,
    ExportWebPage,
    ExportPostingAll,
    ExportPostingNews,
    ExportFileList,
    ProtocolDuplicates,
    EditHelpFile,
    CopyCodePath,
    AboutProgram,
    AboutDatabase,
    CheckUpdates,
    OpenCode,
    SearchNext,
    SearchReturn,
    ClearSearch,
    Quit,
    HelpKey,
    ToggleWrap,
    ToggleLanguage,
    LanguageGerman,
    LanguageEnglish,
    LanguageFrench,
    OpenFind,
    CloseFind,
    ToggleFavourite,
    FocusSearch,
    OpenHistory,
    QuickCopy,
    ZoomIn,
    ZoomOut,
    ZoomReset,
    FindNextMatch,
    FindPreviousMatch,
    // The update check's download has finished (update window).
    UpdateCheckFinished,
    // The entries' code for the search: to be read, and batches of it read.
    ReadCodeTexts,
    CodeTextsRead,
};

struct ProgramEvent {
    EventKind kind = EventKind::Widget;
    WindowId window = WindowId::Main;
    WidgetId widget = WidgetId::None;
    WidgetEventType type = WidgetEventType::Activate;
    Command command = Command::None;
    int data = 0;      // icon position of an icon press
    std::string text;  // dropped file names, joined by line feeds
};

class EventQueue {
  public:
    void Post(ProgramEvent event) { m_events.push_back(std::move(event)); }
    bool Empty() const { return m_events.empty(); }
    // True when an event that `matches` waits in the queue.
    template <class Matches>
    bool Holds(Matches matches) const {
        return std::any_of(m_events.begin(), m_events.end(), matches);
    }
    std::optional<ProgramEvent> Take() {
        if (m_events.empty()) {
            return std::nullopt;
        }
        ProgramEvent event = std::move(m_events.front());
        m_events.pop_front();
        return event;
    }

  private:
    std::deque<ProgramEvent> m_events;
};

// True for an event after which the code view shows something else or the program ends: a choice
// in the tree or the history, a search, the help button or key, a drop, a quit. A load that sees
// one waiting stops, and is not started at all.
inline bool LeavesShownCode(const ProgramEvent& event) {
    if (event.window != WindowId::Main) {
        return false;
    }
    switch (event.kind) {
        case EventKind::CloseRequest:
        case EventKind::FilesDropped:
            return true;
        case EventKind::Command:
            return event.command == Command::Quit || event.command == Command::HelpKey ||
                   event.command == Command::SearchNext;
        case EventKind::Widget:
            switch (event.widget) {
                case WidgetId::IndexTree:
                    return event.type == WidgetEventType::Change;
                case WidgetId::HistoryCombo:
                case WidgetId::HelpButton:
                    return true;
                case WidgetId::SearchEntry:
                    return event.type == WidgetEventType::Change ||
                           (event.type == WidgetEventType::IconPress && event.data == 0);
                default:
                    return false;
            }
    }
    return false;
}

inline ProgramEvent WidgetEvent(WindowId window, WidgetId widget, WidgetEventType type, int data = 0) {
    ProgramEvent event;
    event.kind = EventKind::Widget;
    event.window = window;
    event.widget = widget;
    event.type = type;
    event.data = data;
    return event;
}

inline ProgramEvent CommandEvent(WindowId window, Command command) {
    ProgramEvent event;
    event.kind = EventKind::Command;
    event.window = window;
    event.command = command;
    return event;
}

}  // namespace quillmate
