#include "settings/Requesters.h"

#include <gdk/gdk.h>
#include <gtkmm/filechooserdialog.h>
#include <pangomm/context.h>

#include "base/Paths.h"
#include "base/Utf8.h"
#include "settings/Preferences.h"
#include "settings/SettingsDecisions.h"

namespace quillmate {

bool FontFamilyExists(const std::string& family) {
    // Installed families have UTF-8 names.
    if (family.empty() || !IsValidUtf8(family)) {
        return false;
    }
    const auto context = Glib::wrap(gdk_pango_context_get());
    const auto lower = Glib::ustring(family).lowercase();
    // Fontconfig's generic names always resolve to some installed font.
    if (lower == "monospace" || lower == "sans" || lower == "serif" || lower == "sans-serif") {
        return true;
    }
    for (const auto& fontFamily : context->list_families()) {
        if (fontFamily->get_name().lowercase() == lower) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> ChooseDatabaseFile(const DatabaseRequest& request, const std::string& start) {
    // The title names the stored file name, which may be any bytes.
    Gtk::FileChooserDialog dialog(ShownText(request.title, kRowTextLimit), Gtk::FILE_CHOOSER_ACTION_OPEN);
    dialog.add_button("_Cancel", Gtk::RESPONSE_CANCEL);
    dialog.add_button("_Open", Gtk::RESPONSE_ACCEPT);
    auto filter = Gtk::FileFilter::create();
    filter->set_name(request.filterLabel);
    filter->add_pattern(request.filterPattern);
    dialog.add_filter(filter);
    dialog.set_filter(filter);
    if (const std::string folder = FolderPart(start); !folder.empty() && IsDirectory(folder)) {
        dialog.set_current_folder(folder);
        if (const std::string proposed = ProposedDatabaseFile(start, request.proposedFile);
            IsRegularFile(proposed)) {
            dialog.set_filename(proposed);
        }
    }
    if (dialog.run() != Gtk::RESPONSE_ACCEPT) {
        return std::nullopt;
    }
    const std::string chosen = dialog.get_filename();
    return chosen.empty() ? std::nullopt : std::optional<std::string>(chosen);
}

}  // namespace quillmate
