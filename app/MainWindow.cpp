#include "app/MainWindow.h"

#include <gdk/gdkkeysyms.h>
#include <glibmm/convert.h>
#include <glibmm/miscutils.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/separatormenuitem.h>
#include <gtkmm/stylecontext.h>

#include <algorithm>
#include <span>

#include "app/AccessibleName.h"
#include "app/Effects.h"
#include "app/FirstMonitor.h"
#include "app/FixedLayout.h"
#include "base/ProgramNames.h"
#include "base/Release.h"
#include "base/Utf8.h"

namespace quillmate {
namespace {

// Every scrollbar's slider is at least 10 px long. The length is the slider node's minimum
// height on vertical bars and its minimum width on horizontal ones (the old style property of
// the scrollbar widget is ignored and only warned about).
constexpr const char* kScrollbarCss =
    "scrollbar.vertical slider {\nmin-height: 10px;\n}\n"
    "scrollbar.horizontal slider {\nmin-width: 10px;\n}\n";
// The top bar's controls have the fixed sizes of the window's layout; the theme's paddings
// and minimum sizes would make them larger and push the right-hand buttons off their places.
constexpr const char* kTopBarCss =
    "#FavouriteButton, #QuickCopyButton, #SettingsButton, #HelpButton, #InfoButton, #AdminButton {\n"
    "padding: 0;\nmin-width: 0;\nmin-height: 0;\n}\n"
    "#SearchEntry, #HistoryCombo entry, #HistoryCombo button {\nmin-height: 0;\n}\n";

struct Shortcut {
    guint keyval;
    GdkModifierType modifiers;
    Command command;
};

constexpr Shortcut kShortcuts[] = {
    {GDK_KEY_F3, GdkModifierType(0), Command::SearchNext},
    {GDK_KEY_Return, GdkModifierType(0), Command::SearchReturn},
    {GDK_KEY_KP_Enter, GdkModifierType(0), Command::SearchReturn},
    {GDK_KEY_Delete, GdkModifierType(0), Command::ClearSearch},
    {GDK_KEY_Escape, GdkModifierType(0), Command::Quit},
    {GDK_KEY_F1, GdkModifierType(0), Command::HelpKey},
    {GDK_KEY_F5, GdkModifierType(0), Command::ToggleWrap},
    {GDK_KEY_F6, GdkModifierType(0), Command::ToggleLanguage},
    {GDK_KEY_e, GDK_MOD1_MASK, Command::LanguageEnglish},
    {GDK_KEY_g, GDK_MOD1_MASK, Command::LanguageGerman},
    {GDK_KEY_d, GDK_MOD1_MASK, Command::LanguageGerman},
    {GDK_KEY_f, GDK_MOD1_MASK, Command::LanguageFrench},
    {GDK_KEY_f, GDK_CONTROL_MASK, Command::OpenFind},
    {GDK_KEY_d, GDK_CONTROL_MASK, Command::ToggleFavourite},
    {GDK_KEY_l, GDK_CONTROL_MASK, Command::FocusSearch},
    {GDK_KEY_k, GDK_CONTROL_MASK, Command::FocusSearch},
    {GDK_KEY_Down, GDK_MOD1_MASK, Command::OpenHistory},
    {GDK_KEY_h, GDK_CONTROL_MASK, Command::OpenHistory},
    {GDK_KEY_c, GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK), Command::QuickCopy},
    // Plus is a shifted key on many keyboards, equals the same key unshifted.
    {GDK_KEY_plus, GDK_CONTROL_MASK, Command::ZoomIn},
    {GDK_KEY_plus, GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK), Command::ZoomIn},
    {GDK_KEY_equal, GDK_CONTROL_MASK, Command::ZoomIn},
    {GDK_KEY_KP_Add, GDK_CONTROL_MASK, Command::ZoomIn},
    {GDK_KEY_minus, GDK_CONTROL_MASK, Command::ZoomOut},
    {GDK_KEY_KP_Subtract, GDK_CONTROL_MASK, Command::ZoomOut},
    {GDK_KEY_0, GDK_CONTROL_MASK, Command::ZoomReset},
    {GDK_KEY_KP_0, GDK_CONTROL_MASK, Command::ZoomReset},
};

// Keys of their own while the focus is in the find bar: Escape closes only the bar, Enter walks
// through the matches, Delete edits the term.
constexpr Shortcut kFindBarKeys[] = {
    {GDK_KEY_Escape, GdkModifierType(0), Command::CloseFind},
    {GDK_KEY_Return, GdkModifierType(0), Command::FindNextMatch},
    {GDK_KEY_KP_Enter, GdkModifierType(0), Command::FindNextMatch},
    {GDK_KEY_Return, GDK_SHIFT_MASK, Command::FindPreviousMatch},
    {GDK_KEY_KP_Enter, GDK_SHIFT_MASK, Command::FindPreviousMatch},
    {GDK_KEY_Delete, GdkModifierType(0), Command::None},
};

const Shortcut* FindShortcut(std::span<const Shortcut> table, guint keyval, GdkModifierType modifiers) {
    const auto found = std::find_if(table.begin(), table.end(), [&](const Shortcut& shortcut) {
        return shortcut.keyval == keyval && shortcut.modifiers == modifiers;
    });
    return found != table.end() ? &*found : nullptr;
}

void AddScreenStyle(const char* css) {
    auto provider = Gtk::CssProvider::create();
    provider->load_from_data(css);
    Gtk::StyleContext::add_provider_for_screen(Gdk::Screen::get_default(), provider,
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

// Takes the focus from a widget and from everything inside it, its internal parts included (a
// combo box's button, for one). Widget nesting here is fixed and a few levels deep.
void NeverFocus(GtkWidget* widget) {
    gtk_widget_set_can_focus(widget, FALSE);
    gtk_widget_set_focus_on_click(widget, FALSE);
    if (GTK_IS_CONTAINER(widget)) {
        gtk_container_forall(
            GTK_CONTAINER(widget), [](GtkWidget* child, gpointer) { NeverFocus(child); }, nullptr);
    }
}

}  // namespace

std::string DroppedFileNames(std::string_view uriList) {
    struct GFreeDeleter {
        void operator()(gchar* text) const { g_free(text); }
    };
    using OwnedText = std::unique_ptr<gchar, GFreeDeleter>;
    std::string names;
    while (!uriList.empty()) {
        const std::size_t end = uriList.find('\n');
        std::string uri(uriList.substr(0, end));
        uriList.remove_prefix(end == std::string_view::npos ? uriList.size() : end + 1);
        if (!uri.empty() && uri.back() == '\r') {
            uri.pop_back();
        }
        if (uri.empty() || uri.front() == '#') {
            continue;
        }
        gchar* hostText = nullptr;
        // Not a file URI (or a malformed one): nothing to show.
        const OwnedText name(g_filename_from_uri(uri.c_str(), &hostText, nullptr));
        const OwnedText host(hostText);
        if (!name) {
            continue;
        }
        // A file on another host would be read from the same path here: not ours to show.
        if (host && std::string_view(host.get()) != "localhost" && Glib::get_host_name() != host.get()) {
            continue;
        }
        names += names.empty() ? std::string(name.get()) : "\n" + std::string(name.get());
    }
    return names;
}

MainWindow::MainWindow(const WindowContext& context, const Preferences& preferences,
                       const MonitorArea& monitor, MainWindowHooks hooks)
    : m_context(context),
      m_hooks(std::move(hooks)),
      m_textScale(ScreenTextScale()),
      m_expandImage(context.pictures),
      m_indexTree(std::make_unique<IndexTree>()),
      m_code(context.queue, context.palette, context.codeFont),
      m_findBar(context.queue) {
    set_title(kProgramTitle);
    set_resizable(true);
    set_size_request(kMinimumWidth, kMinimumHeight);
    const Preferences& prefs = preferences;
    const WindowGeometry placed =
        PlaceOnMonitor({prefs.winX, prefs.winY, std::max(prefs.winWidth, kMinimumWidth),
                        std::max(prefs.winHight, kMinimumHeight), prefs.splitter},
                       monitor);
    set_default_size(placed.width, placed.height);
    if ((prefs.winX != -1 || prefs.winY != -1) && !CompositorPlacesWindows()) {
        move(placed.x, placed.y);
    }

    AddScreenStyle(kScrollbarCss);
    AddScreenStyle(kTopBarCss);

    BuildTopBar();
    BuildPanes(prefs.splitter);
    add(m_root);
    ConnectSignals();
    ShowExpandState(true);
    show_all_children();
    if (m_adminButton) {
#if QUILLMATE_ADMIN
        m_adminButton->show();
#else
        m_adminButton->hide();
#endif
    }
}

MainWindow::~MainWindow() = default;

std::unique_ptr<PopupMenus> BuildPopupMenus(EventQueue& queue) {
    auto menus = std::make_unique<PopupMenus>();
    struct Item {
        const char* label;
        Command command;
    };
    auto addItems = [&queue](Gtk::Menu& menu, std::initializer_list<Item> items) {
        for (const Item& item : items) {
            if (item.label == nullptr) {
                menu.append(*Gtk::make_managed<Gtk::SeparatorMenuItem>());
                continue;
            }
            auto* menuItem = Gtk::make_managed<Gtk::MenuItem>(item.label);
            const Command command = item.command;
            menuItem->signal_activate().connect(
                [&queue, command] { queue.Post(CommandEvent(WindowId::Main, command)); });
            menu.append(*menuItem);
        }
    };
    addItems(menus->adminMenu, {{"Export WebPage", Command::ExportWebPage},
                                {"Export Posting All", Command::ExportPostingAll},
                                {"Export Posting News", Command::ExportPostingNews},
                                {"Export Filelist", Command::ExportFileList},
                                {"Debug doubles db-entries", Command::ProtocolDuplicates},
                                {nullptr, Command::None},
                                {"edit ViewerHelp", Command::EditHelpFile},
                                {nullptr, Command::None},
                                {"Copy code-path to clipboard", Command::CopyCodePath}});
    addItems(menus->infoMenu, {{"Über Quillmate ...", Command::AboutProgram},
                               {"Über Datenbank ...", Command::AboutDatabase},
                               {"Auf Updates prüfen ...", Command::CheckUpdates},
                               {nullptr, Command::None}});
    menus->openCodeItem.set_label("Mit Standard-App öffnen");
    menus->openCodeItem.signal_activate().connect(
        [&queue] { queue.Post(CommandEvent(WindowId::Main, Command::OpenCode)); });
    menus->infoMenu.append(menus->openCodeItem);
    menus->adminMenu.show_all();
    menus->infoMenu.show_all();
    return menus;
}

std::unique_ptr<Gtk::Button> MainWindow::MakePictureButton(Picture picture, const char* name,
                                                           const char* tooltip) {
    if (!m_context.pictures.Of(picture)) {
        return nullptr;
    }
    auto button = std::make_unique<Gtk::Button>();
    button->set_name(name);
    auto* image = Gtk::make_managed<PictureImage>(m_context.pictures);
    image->Show(picture);
    button->set_image(*image);
    button->set_always_show_image(true);
    button->set_focus_on_click(false);
    const int size = ScaleLength(kPictureButtonSize, m_textScale);
    button->set_size_request(size, size);
    if (tooltip != nullptr) {
        button->set_tooltip_text(tooltip);
        NameAfterTooltip(*button);
    }
    return button;
}

void MainWindow::BuildTopBar() {
    m_topBar.set_size_request(-1, ScaleLength(kMainSplitterRect.y, m_textScale));
    m_topBar.pack_start(m_leftBar, false, false);
    m_topBar.pack_end(m_rightBar, false, false);

    if (m_expandImage.Show(Picture::Collapsed)) {
        m_expandToggle = std::make_unique<Gtk::EventBox>();
        m_expandToggle->add(m_expandImage);
        m_expandToggle->set_tooltip_text("Öffnet und schließt alle Knoten.");
        NameAfterTooltip(*m_expandToggle);
        m_expandToggle->get_accessible()->set_role(Atk::ROLE_TOGGLE_BUTTON);
        PlaceAt(m_leftBar, *m_expandToggle, kExpandToggleRect);
    }

    m_searchEntry.set_name("SearchEntry");
    m_searchEntry.set_width_chars(1);
    m_searchEntry.set_icon_from_icon_name("edit-find", Gtk::ENTRY_ICON_PRIMARY);
    m_searchEntry.set_icon_from_icon_name("edit-clear", Gtk::ENTRY_ICON_SECONDARY);
    m_searchEntry.set_icon_activatable(true, Gtk::ENTRY_ICON_PRIMARY);
    m_searchEntry.set_icon_activatable(true, Gtk::ENTRY_ICON_SECONDARY);
    m_searchEntry.set_icon_sensitive(Gtk::ENTRY_ICON_PRIMARY, true);
    m_searchEntry.set_icon_sensitive(Gtk::ENTRY_ICON_SECONDARY, true);
    m_searchEntry.set_icon_tooltip_text("[F3] Search next item.", Gtk::ENTRY_ICON_PRIMARY);
    m_searchEntry.set_icon_tooltip_text("[Del] Deletes search term.", Gtk::ENTRY_ICON_SECONDARY);
    m_searchEntry.set_placeholder_text("Search...");
    m_searchEntry.set_tooltip_text(
        "Ausdruck suchen im Index (& Beschreibung) in der akt. Sprache (oder alle). Siehe Settings.");
    PlaceAt(m_leftBar, m_searchEntry, kSearchEntryRect);

    m_adminButton = MakePictureButton(Picture::Admin, "AdminButton", nullptr);
    if (m_adminButton) {
#if QUILLMATE_ADMIN
        m_adminButton->set_tooltip_text("Popup admin menue");
        NameAfterTooltip(*m_adminButton);
#endif
        PlaceAt(m_leftBar, *m_adminButton, kAdminButtonRect);
    }

    m_historyCombo.set_name("HistoryCombo");
    if (auto* entry = m_historyCombo.get_entry()) {
        entry->set_editable(false);
        entry->set_width_chars(1);
    }
    NeverFocus(GTK_WIDGET(m_historyCombo.gobj()));
    m_historyCombo.set_tooltip_text("Liste aller zuletzt gewählten Code-Dateien.");
    PlaceAt(m_leftBar, m_historyCombo, kHistoryComboRect);

#if QUILLMATE_ADMIN
    for (int i = 0; i < 3; ++i) {
        m_adminLabels[i] = std::make_unique<Gtk::Label>(" ");
        m_adminLabels[i]->set_xalign(0.0f);
        PlaceAt(m_leftBar, *m_adminLabels[i], kAdminLabelRects[i]);
    }
#endif

    // The right-hand buttons keep their distance from the window's right edge: packed from
    // the end with gaps that put their left edges at W - 40, W - 72, W - 114 and W - 146, grown
    // with the text as the places at the left.
    m_infoButton = MakePictureButton(Picture::Info, "InfoButton", "Öffnet den Programm-Info-Dialog.");
    m_helpButton =
        MakePictureButton(Picture::Help, "HelpButton", "Öffnet die Programm-Hilfe-Datei im Editor.");
    m_settingsButton = MakePictureButton(
        Picture::Settings, "SettingsButton",
        "Programmeinstellungen & Requester für die Datenbank (xml) und das Library-Oberverzeichnis.");
    m_quickCopyButton = MakePictureButton(Picture::Copy, "QuickCopyButton",
                                          "Kopiert den kompletten Code in die Zwischenablage. Auch Drag&Drop "
                                          "von Indexeinträgen nach KX möglich!");
    struct Placement {
        Gtk::Button* button;
        int fromRight;
    };
    // The star comes from the icon theme, which draws it for any scale.
    m_favouriteImage.set_from_icon_name("non-starred-symbolic", Gtk::ICON_SIZE_BUTTON);
    m_favouriteButton.set_image(m_favouriteImage);
    m_favouriteButton.set_always_show_image(true);
    m_favouriteButton.set_focus_on_click(false);
    m_favouriteButton.set_name("FavouriteButton");
    m_favouriteButton.set_size_request(ScaleLength(kPictureButtonSize, m_textScale),
                                       ScaleLength(kPictureButtonSize, m_textScale));
    m_favouriteButton.set_tooltip_text(
        "Merkt den angezeigten Eintrag als Favoriten oder nimmt ihn heraus (Strg+D).");
    NameAfterTooltip(m_favouriteButton);
    m_favouriteButton.set_sensitive(false);
    const Placement placements[] = {{m_infoButton.get(), kInfoFromRight},
                                    {m_helpButton.get(), kHelpFromRight},
                                    {m_settingsButton.get(), kSettingsFromRight},
                                    {m_quickCopyButton.get(), kQuickCopyFromRight},
                                    {&m_favouriteButton, kFavouriteFromRight}};
    int usedFromRight = 0;
    for (const Placement& placement : placements) {
        if (placement.button == nullptr) {
            continue;
        }
        const int fromRight = ScaleLength(placement.fromRight, m_textScale);
        const int gap = fromRight - ScaleLength(kPictureButtonSize, m_textScale) - usedFromRight;
        placement.button->set_margin_top(ScaleLength(kAdminButtonRect.y, m_textScale));
        placement.button->set_valign(Gtk::ALIGN_START);
        m_rightBar.pack_end(*placement.button, false, false, 0);
        placement.button->set_margin_end(gap);
        usedFromRight = fromRight;
    }
}

void MainWindow::BuildPanes(int splitter) {
    m_root.pack_start(m_topBar, false, false);
    m_root.pack_start(m_mainSplitter, true, true);
    m_mainSplitter.set_margin_start(ScaleLength(kMainSplitterRect.x, m_textScale));
    m_mainSplitter.set_margin_end(ScaleLength(kMainSplitterRect.x, m_textScale));
    m_mainSplitter.set_margin_bottom(3);

    m_indexTree->set_level_indentation(0);
    m_treeScroller.add(*m_indexTree);
    m_treeScroller.set_size_request(100, -1);
    m_treeScroller.set_shadow_type(Gtk::SHADOW_IN);
    m_rightPane.set_size_request(100, -1);
    // The tree side keeps its width when the window grows or shrinks; the right pane takes it.
    m_mainSplitter.pack1(m_treeScroller, false, false);
    m_mainSplitter.pack2(m_rightPane, true, false);
    m_mainSplitter.set_position(splitter);

    m_descriptionLine.set_editable(true);
    // Tab moves on to the code view; the line stays editable.
    m_descriptionLine.set_accepts_tab(false);
    m_code.View().set_accepts_tab(false);
    m_descriptionLine.set_wrap_mode(Gtk::WRAP_WORD);
    m_descriptionLine.set_left_margin(4);
    m_descriptionLine.set_right_margin(4);
    m_descriptionLine.set_tooltip_text("Zeigt eine kurze Beschreibung der Funktion.");
    m_descriptionLine.get_accessible()->set_name("Beschreibung");
    m_descriptionScroller.add(m_descriptionLine);
    m_descriptionScroller.set_min_content_height(ScaleLength(kDescriptionHeight, m_textScale));
    m_descriptionScroller.set_size_request(-1, ScaleLength(kDescriptionHeight, m_textScale));
    m_descriptionScroller.set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
    m_descriptionScroller.set_shadow_type(Gtk::SHADOW_IN);
    m_descriptionScroller.set_margin_end(2);
    m_descriptionCss = Gtk::CssProvider::create();
    m_descriptionLine.get_style_context()->add_provider(m_descriptionCss,
                                                        GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);

    m_code.set_margin_end(2);

    m_code.OnFindChanged([this] {
        const CodeViewer::FindPosition found = m_code.FoundPosition();
        m_findBar.ShowCount(found.current, found.count, found.counting);
    });

    // Between the description and the code; it never holds the pane wider than the user set it.
    m_findScroller.set_policy(Gtk::POLICY_EXTERNAL, Gtk::POLICY_NEVER);
    m_findScroller.set_can_focus(false);
    m_findScroller.add(m_findBar);
    m_rightPane.pack_start(m_descriptionScroller, false, false);
    m_rightPane.pack_start(m_findScroller, false, false);
    m_rightPane.pack_start(m_code, true, true);
}

void MainWindow::ConnectSignals() {
    signal_delete_event().connect([this](GdkEventAny*) {
        ProgramEvent event;
        event.kind = EventKind::CloseRequest;
        event.window = WindowId::Main;
        m_context.queue.Post(event);
        return true;
    });
    signal_key_press_event().connect(sigc::mem_fun(*this, &MainWindow::OnKeyPress), false);

    if (m_expandToggle) {
        m_expandToggle->signal_button_press_event().connect([this](GdkEventButton* event) {
            if (event->type == GDK_BUTTON_PRESS && event->button == 1) {
                PostWidgetEvent(WidgetId::ExpandToggle, WidgetEventType::LeftClick);
            }
            return true;
        });
    }
    m_searchEntry.signal_icon_press().connect([this](Gtk::EntryIconPosition position, const GdkEventButton*) {
        PostWidgetEvent(WidgetId::SearchEntry, WidgetEventType::IconPress,
                        position == Gtk::ENTRY_ICON_PRIMARY ? 0 : 1);
    });
    m_searchEntry.signal_changed().connect(
        [this] { PostWidgetEvent(WidgetId::SearchEntry, WidgetEventType::Change); });
    m_historyCombo.signal_changed().connect([this] {
        if (!m_fillingHistory) {
            PostWidgetEvent(WidgetId::HistoryCombo, WidgetEventType::Change);
        }
    });
    m_historyCombo.property_popup_shown().signal_changed().connect([this] {
        if (m_historyCombo.property_popup_shown()) {
            WatchHistoryChoice();
        }
    });
    struct ButtonEvent {
        Gtk::Button* button;
        WidgetId widget;
    };
    for (const ButtonEvent& entry : {ButtonEvent{&m_favouriteButton, WidgetId::FavouriteButton},
                                     ButtonEvent{m_quickCopyButton.get(), WidgetId::QuickCopyButton},
                                     ButtonEvent{m_settingsButton.get(), WidgetId::SettingsButton},
                                     ButtonEvent{m_helpButton.get(), WidgetId::HelpButton},
                                     ButtonEvent{m_infoButton.get(), WidgetId::InfoButton},
                                     ButtonEvent{m_adminButton.get(), WidgetId::AdminButton}}) {
        if (entry.button != nullptr) {
            const WidgetId widget = entry.widget;
            // A press from the keyboard is told apart: a menu it opens goes under the button.
            entry.button->signal_clicked().connect([this, widget] {
                GdkEvent* event = gtk_get_current_event();
                const bool fromKeyboard =
                    event != nullptr && (event->type == GDK_KEY_PRESS || event->type == GDK_KEY_RELEASE);
                if (event != nullptr) {
                    gdk_event_free(event);
                }
                PostWidgetEvent(widget, WidgetEventType::LeftClick, fromKeyboard ? 1 : 0);
            });
        }
    }

    m_indexTree->get_selection()->signal_changed().connect([this] {
        if (!m_indexTree->ChangingSelection()) {
            PostWidgetEvent(WidgetId::IndexTree, WidgetEventType::Change);
        }
    });
    m_indexTree->signal_selection_moved().connect(
        [this] { PostWidgetEvent(WidgetId::IndexTree, WidgetEventType::Change); });
    m_indexTree->signal_button_release_event().connect(
        [this](GdkEventButton* event) {
            if (event->button == 1) {
                PostWidgetEvent(WidgetId::IndexTree, WidgetEventType::LeftClick);
            }
            return false;
        },
        false);
    m_indexTree->signal_button_press_event().connect(
        [this](GdkEventButton* event) {
            if (event->type == GDK_BUTTON_PRESS && event->button == 1) {
                m_dragAllowed = !m_hooks.draggedPath(TreeRowAt(event->x, event->y)).empty();
            }
            if (event->type == GDK_2BUTTON_PRESS && event->button == 1) {
                PostWidgetEvent(WidgetId::IndexTree, WidgetEventType::DoubleClick);
            }
            return false;
        },
        false);
    Gtk::TextView& codeView = m_code.View();
    codeView.signal_scroll_event().connect(
        [this](GdkEventScroll* event) { return m_hooks.codeViewScrolled(event); }, false);
    m_indexTree->signal_key_press_event().connect(
        [this](GdkEventKey* event) { return m_hooks.treeKey(event); }, false);

    // Only the code view takes dropped files. It is a read-only text view, whose own drop
    // handling refuses everything and would ask a moving source to delete what it sent, so the
    // view's handlers do the whole drop themselves and never let the source delete its files.
    const std::vector<Gtk::TargetEntry> uriTargets = {Gtk::TargetEntry("text/uri-list")};
    codeView.drag_dest_set(uriTargets, Gtk::DestDefaults(0), Gdk::ACTION_COPY | Gdk::ACTION_MOVE);
    codeView.signal_drag_motion().connect(
        [this](const Glib::RefPtr<Gdk::DragContext>& context, int, int, guint time) {
            const Gdk::DragAction offered = context->get_suggested_action();
            const Gdk::DragAction action =
                (offered & (Gdk::ACTION_COPY | Gdk::ACTION_MOVE)) != 0 ? offered : Gdk::ACTION_COPY;
            const bool accepted = !m_code.View().drag_dest_find_target(context).empty();
            context->drag_status(accepted ? action : Gdk::DragAction(0), time);
            return true;
        },
        false);
    codeView.signal_drag_drop().connect(
        [this](const Glib::RefPtr<Gdk::DragContext>& context, int, int, guint time) {
            const Glib::ustring target = m_code.View().drag_dest_find_target(context);
            if (target.empty()) {
                context->drag_finish(false, false, time);
            } else {
                m_code.View().drag_get_data(context, target, time);
            }
            return true;
        },
        false);
    codeView.signal_drag_data_received().connect(
        [this](const Glib::RefPtr<Gdk::DragContext>& context, int, int, const Gtk::SelectionData& data, guint,
               guint time) {
            const std::string names = DroppedFileNames(
                data.get_length() > 0 ? std::string_view(reinterpret_cast<const char*>(data.get_data()),
                                                         static_cast<std::size_t>(data.get_length()))
                                      : std::string_view());
            if (context) {
                context->drag_finish(!names.empty(), false, time);
            }
            g_signal_stop_emission_by_name(m_code.View().gobj(), "drag-data-received");
            if (!names.empty()) {
                ProgramEvent event;
                event.kind = EventKind::FilesDropped;
                event.window = WindowId::Main;
                event.text = names;
                m_context.queue.Post(event);
            }
        },
        false);
    // An index entry can be dragged out as a file, for example into the Korvex IDE; only an
    // entry whose code file exists starts a drag. Motion with the button held over any other
    // row stops here, before the drag source sees it.
    m_indexTree->signal_motion_notify_event().connect(
        [this](GdkEventMotion* event) { return (event->state & GDK_BUTTON1_MASK) != 0 && !m_dragAllowed; },
        false);
    m_indexTree->drag_source_set(uriTargets, Gdk::BUTTON1_MASK, Gdk::ACTION_COPY);
    m_indexTree->signal_drag_data_get().connect(
        [this](const Glib::RefPtr<Gdk::DragContext>&, Gtk::SelectionData& data, guint, guint) {
            const std::string path = m_hooks.draggedPath(m_indexTree->SelectedRow());
            if (!path.empty()) {
                data.set_uris(std::vector<Glib::ustring>{Glib::filename_to_uri(path)});
            }
        });
}

bool MainWindow::OnKeyPress(GdkEventKey* event) {
    const auto modifiers = static_cast<GdkModifierType>(
        event->state & (GDK_SHIFT_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK));
    guint keyval = event->keyval;
    if ((modifiers & (GDK_MOD1_MASK | GDK_CONTROL_MASK)) != 0) {
        keyval = gdk_keyval_to_lower(keyval);
    }
    if (m_findBar.HasFocusWithin()) {
        if (const Shortcut* shortcut = FindShortcut(kFindBarKeys, keyval, modifiers)) {
            if (shortcut->command == Command::None) {
                return false;
            }
            m_context.queue.Post(CommandEvent(WindowId::Main, shortcut->command));
            return true;
        }
    }
    const Shortcut* shortcut = FindShortcut(kShortcuts, keyval, modifiers);
    if (shortcut == nullptr) {
        return false;
    }
    if (shortcut->command == Command::OpenHistory) {
        // Now, while the key is the current event: the list places itself by it.
        m_historyCombo.popup();
    } else if (shortcut->command == Command::ClearSearch) {
        // Delete empties the search term from anywhere in the window, through the same road as the
        // entry's clear icon.
        PostWidgetEvent(WidgetId::SearchEntry, WidgetEventType::IconPress, 1);
    } else {
        m_context.queue.Post(CommandEvent(WindowId::Main, shortcut->command));
    }
    return true;
}

int MainWindow::TreeRowAt(double x, double y) {
    Gtk::TreeModel::Path path;
    Gtk::TreeViewColumn* column = nullptr;
    int cellX = 0;
    int cellY = 0;
    if (!m_indexTree->get_path_at_pos(static_cast<int>(x), static_cast<int>(y), path, column, cellX, cellY)) {
        return -1;
    }
    const auto iter = m_indexTree->get_model()->get_iter(path);
    return iter ? m_indexTree->RowIndexOf(iter) : -1;
}

void MainWindow::PostWidgetEvent(WidgetId widget, WidgetEventType type, int data) {
    m_context.queue.Post(WidgetEvent(WindowId::Main, widget, type, data));
}

void MainWindow::ShowExpandState(bool expanded) {
    if (!m_expandToggle) {
        return;
    }
    m_expandImage.Show(expanded ? Picture::Expanded : Picture::Collapsed);
}

void MainWindow::SetAdminLabels(const std::string& source, const std::string& executable,
                                const std::string& subsystem) {
    const std::string* texts[3] = {&source, &executable, &subsystem};
    for (int i = 0; i < 3; ++i) {
        if (m_adminLabels[i]) {
            m_adminLabels[i]->set_text(*texts[i]);
        }
    }
}

std::vector<std::string> MainWindow::AdminLabelTexts() const {
    std::vector<std::string> texts;
    for (const auto& label : m_adminLabels) {
        if (label) {
            texts.push_back(label->get_text().raw());
        }
    }
    return texts;
}

void MainWindow::WatchHistoryChoice() {
    for (sigc::connection& watch : m_historyChoiceWatches) {
        watch.disconnect();
    }
    m_historyChoiceWatches.clear();
    // The popup's rows are menu items that the combo box builds and rebuilds itself.
    AtkObject* accessible = gtk_combo_box_get_popup_accessible(GTK_COMBO_BOX(m_historyCombo.gobj()));
    GtkWidget* popup =
        GTK_IS_ACCESSIBLE(accessible) ? gtk_accessible_get_widget(GTK_ACCESSIBLE(accessible)) : nullptr;
    if (popup == nullptr || !GTK_IS_MENU_SHELL(popup)) {
        return;
    }
    const int activeRow = m_historyCombo.get_active_row_number();
    for (Gtk::Widget* child : Glib::wrap(GTK_MENU_SHELL(popup))->get_children()) {
        if (auto* item = dynamic_cast<Gtk::MenuItem*>(child)) {
            // Any other row was announced by the change it made.
            m_historyChoiceWatches.push_back(item->signal_activate().connect([this, activeRow] {
                if (m_historyCombo.get_active_row_number() == activeRow) {
                    PostWidgetEvent(WidgetId::HistoryCombo, WidgetEventType::Activate);
                }
            }));
        }
    }
}

void MainWindow::FillHistory(const std::vector<std::string>& names, int separator, int active) {
    m_fillingHistory = true;
    m_historyCombo.remove_all();
    for (std::size_t row = 0; row < names.size(); ++row) {
        // The line between the favourites and the last entries is a row of its own: the box's
        // list draws no separator rows.
        m_historyCombo.append(static_cast<int>(row) == separator ? kHistorySeparatorText
                                                                 : ShownText(names[row], kRowTextLimit));
    }
    if (active >= 0 && static_cast<std::size_t>(active) < names.size()) {
        m_historyCombo.set_active(active);
    } else if (auto* entry = m_historyCombo.get_entry()) {
        m_historyCombo.set_active(-1);
        // Removing the rows leaves the entry part's text; an empty history names no file.
        entry->set_text("");
    }
    m_fillingHistory = false;
}

void MainWindow::ShowFavourite(bool entryShown, bool favourite) {
    m_favouriteButton.set_sensitive(entryShown);
    m_favouriteImage.set_from_icon_name(favourite ? "starred-symbolic" : "non-starred-symbolic",
                                        Gtk::ICON_SIZE_BUTTON);
}

void MainWindow::SetDescriptionText(const std::string& text) {
    m_descriptionLine.get_buffer()->set_text(ShownText(text, kDescriptionTextLimit));
}

void MainWindow::SetDescriptionColours(const std::string& background, const std::string& text) {
    m_descriptionCss->load_from_data(background.empty() ? std::string("textview text {}")
                                                        : "textview text { background-color: " + background +
                                                              "; color: " + text + "; }");
}

}  // namespace quillmate
