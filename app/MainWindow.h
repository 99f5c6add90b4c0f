// The main window: search entry, history, buttons, the index tree and the code view beside it.
#pragma once

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/entry.h>
#include <gtkmm/eventbox.h>
#include <gtkmm/fixed.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/menu.h>
#include <gtkmm/paned.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/textview.h>
#include <gtkmm/window.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/WidgetRect.h"
#include "app/WindowContext.h"
#include "base/EventQueue.h"
#include "database/IndexTree.h"
#include "resources/Pictures.h"
#include "settings/Preferences.h"
#include "viewer/CodeViewer.h"
#include "viewer/FindBar.h"

namespace quillmate {

// What the main window asks of the program: the file a row would drag out (empty when it drags
// nothing), the code view's scroll handling (true when it zoomed), and the tree's own key handling
// (true when the key was used).
struct MainWindowHooks {
    std::function<std::string(int row)> draggedPath;
    std::function<bool(const GdkEventScroll* event)> codeViewScrolled;
    std::function<bool(const GdkEventKey* event)> treeKey;
};

// The two popup menus, built before the main window.
struct PopupMenus {
    Gtk::Menu adminMenu;
    Gtk::Menu infoMenu;
    Gtk::MenuItem openCodeItem;
};

// Builds the admin menu and the info menu; their items post their commands.
std::unique_ptr<PopupMenus> BuildPopupMenus(EventQueue& queue);

// Local file names of the URIs of a dropped "text/uri-list" (a URI a line, lines ending in CR LF
// or LF, comment lines beginning with "#"), joined by line feeds; URIs that name no local file
// (other schemes, remote hosts, malformed bytes) are left out. Read from the raw bytes, so that a
// malformed list is refused quietly.
std::string DroppedFileNames(std::string_view uriList);

// Geometry of the main window's widgets for the default 800 x 600 window, as designed for text at
// 96 dots per inch (see FixedLayout.h).
inline constexpr WidgetRect kExpandToggleRect{1, 17, 16, 16};
inline constexpr WidgetRect kSearchEntryRect{27, 2, 153, 30};
inline constexpr WidgetRect kAdminButtonRect{418, 2, 30, 30};
inline constexpr WidgetRect kHistoryComboRect{186, 2, 230, 30};
inline constexpr WidgetRect kAdminLabelRects[3] = {{452, 2, 80, 16}, {452, 17, 80, 16}, {522, 2, 80, 16}};
inline constexpr WidgetRect kMainSplitterRect{5, 35, 790, 562};
// Distances of the right-hand buttons' left edges from the window's right edge.
inline constexpr int kFavouriteFromRight = 180;
// The history box's row between the favourites and the last entries.
inline constexpr const char* kHistorySeparatorText =
    "\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500"
    "\u2500\u2500\u2500";
inline constexpr int kQuickCopyFromRight = 146;
inline constexpr int kSettingsFromRight = 114;
inline constexpr int kHelpFromRight = 72;
inline constexpr int kInfoFromRight = 40;
inline constexpr int kPictureButtonSize = 30;
inline constexpr int kDescriptionHeight = 40;
inline constexpr int kMinimumWidth = 800;
inline constexpr int kMinimumHeight = 400;

class MainWindow : public Gtk::Window {
  public:
    // Opens at the stored position, kept at least partly on `monitor` (the first monitor).
    MainWindow(const WindowContext& context, const Preferences& preferences, const MonitorArea& monitor,
               MainWindowHooks hooks);
    ~MainWindow() override;

    Gtk::Entry& SearchEntry() { return m_searchEntry; }
    Gtk::ComboBoxText& HistoryCombo() { return m_historyCombo; }
    IndexTree& Tree() { return *m_indexTree; }
    Gtk::TextView& DescriptionLine() { return m_descriptionLine; }
    CodeViewer& Code() { return m_code; }
    FindBar& Finder() { return m_findBar; }
    Gtk::Paned& MainSplitter() { return m_mainSplitter; }
    // Picture-only controls; null when their picture did not decode.
    Gtk::EventBox* ExpandToggle() { return m_expandToggle.get(); }
    Gtk::Button* QuickCopyButton() { return m_quickCopyButton.get(); }
    Gtk::Button* SettingsButton() { return m_settingsButton.get(); }
    Gtk::Button* HelpButton() { return m_helpButton.get(); }
    Gtk::Button* InfoButton() { return m_infoButton.get(); }
    Gtk::Button& FavouriteButton() { return m_favouriteButton; }
    Gtk::Button* AdminButton() { return m_adminButton.get(); }

    // The expand toggle's picture: expanded (arrow left) or collapsed (arrow right).
    void ShowExpandState(bool expanded);
    // Writes the three admin labels (source encoding, executable format, subsystem); no effect
    // in the standard build, where they do not exist.
    void SetAdminLabels(const std::string& source, const std::string& executable,
                        const std::string& subsystem);
    // Texts of the three admin labels; empty in the standard build.
    std::vector<std::string> AdminLabelTexts() const;
    // Refills the history combo box, with row `separator` (-1: none) drawn as a line, and selects
    // row `active` (-1: none, which empties the box's text).
    void FillHistory(const std::vector<std::string>& names, int separator = -1, int active = 0);
    // The star: whether the shown entry is a favourite; insensitive when no entry is shown.
    void ShowFavourite(bool entryShown, bool favourite);
    void SetDescriptionText(const std::string& text);
    // The description line's background and text: the warning colours, or the theme's when empty.
    void SetDescriptionColours(const std::string& background, const std::string& text);

  private:
    void BuildTopBar();
    void BuildPanes(int splitter);
    void ConnectSignals();
    std::unique_ptr<Gtk::Button> MakePictureButton(Picture picture, const char* name, const char* tooltip);
    bool OnKeyPress(GdkEventKey* event);
    // Choosing the history row that is already active changes nothing, so the combo box reports
    // no change: while its popup is open, the choice of that row is posted by the row itself.
    void WatchHistoryChoice();
    void PostWidgetEvent(WidgetId widget, WidgetEventType type, int data = 0);
    // Flat index of the tree row at a point of the tree's drawing area, -1 when none.
    int TreeRowAt(double x, double y);

    WindowContext m_context;
    MainWindowHooks m_hooks;
    double m_textScale;  // the fixed places grow by it with the text
    bool m_fillingHistory = false;
    std::vector<sigc::connection> m_historyChoiceWatches;
    bool m_dragAllowed = false;  // the row under the last button press can be dragged out
    Gtk::Box m_root{Gtk::ORIENTATION_VERTICAL};
    Gtk::Box m_topBar{Gtk::ORIENTATION_HORIZONTAL};
    Gtk::Fixed m_leftBar;
    Gtk::Box m_rightBar{Gtk::ORIENTATION_HORIZONTAL};
    std::unique_ptr<Gtk::EventBox> m_expandToggle;
    PictureImage m_expandImage;
    Gtk::Entry m_searchEntry;
    std::unique_ptr<Gtk::Button> m_adminButton;
    std::unique_ptr<Gtk::Label> m_adminLabels[3];
    Gtk::ComboBoxText m_historyCombo{true};
    std::unique_ptr<Gtk::Button> m_quickCopyButton;
    std::unique_ptr<Gtk::Button> m_settingsButton;
    std::unique_ptr<Gtk::Button> m_helpButton;
    std::unique_ptr<Gtk::Button> m_infoButton;
    Gtk::Button m_favouriteButton;
    Gtk::Image m_favouriteImage;
    Gtk::Paned m_mainSplitter{Gtk::ORIENTATION_HORIZONTAL};
    Gtk::ScrolledWindow m_treeScroller;
    std::unique_ptr<IndexTree> m_indexTree;
    Gtk::Box m_rightPane{Gtk::ORIENTATION_VERTICAL};
    Gtk::ScrolledWindow m_descriptionScroller;
    Gtk::TextView m_descriptionLine;
    CodeViewer m_code;
    FindBar m_findBar;
    Gtk::ScrolledWindow m_findScroller;  // lets the pane grow narrower than the bar
    Glib::RefPtr<Gtk::CssProvider> m_descriptionCss;
};

}  // namespace quillmate
