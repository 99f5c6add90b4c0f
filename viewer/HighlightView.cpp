#include "viewer/HighlightView.h"

#include <glibmm/markup.h>
#include <gtkmm/label.h>
#include <gtkmm/textbuffer.h>
#include <gtkmm/textview.h>

#include <array>

#include "app/Effects.h"
#include "viewer/Highlighter.h"
#include "viewer/Palette.h"

namespace quillmate {
namespace {

using Tags = std::array<Glib::RefPtr<Gtk::TextTag>, kHighlightTagCount>;

// The clock is read after this many spans, not after each one.
constexpr std::size_t kSpansPerClockCheck = 64;

struct TagLook {
    HighlightTag tag;
    int weight;                        // 0: not set
    std::string Palette::*foreground;  // null: not set
};

// In creation order, which is the priority order (the last one wins).
constexpr std::array<TagLook, kHighlightTagCount> kTagLooks = {{
    {HighlightTag::BlueBold, 700, &Palette::keyword},
    {HighlightTag::FBold, 700, nullptr},
    {HighlightTag::Constant, 400, &Palette::constant},
    {HighlightTag::Function, 700, &Palette::procedureName},
    {HighlightTag::FuncCall, 400, &Palette::procedureCall},
    {HighlightTag::Literal, 400, &Palette::string},
    {HighlightTag::Disable, 0, &Palette::comment},
}};

Glib::ustring TagName(HighlightTag tag) {
    return Glib::ustring(std::string(HighlightTagName(tag)));
}

// The tags are made once, with the colours of the palette at that moment; "Disable" tells that
// they exist.
void CreateTags(const Glib::RefPtr<Gtk::TextBuffer>& buffer, const Palette& palette) {
    if (buffer->get_tag_table()->lookup(TagName(HighlightTag::Disable))) {
        return;
    }
    for (const TagLook& look : kTagLooks) {
        const Glib::RefPtr<Gtk::TextTag> tag = buffer->create_tag(TagName(look.tag));
        if (look.weight != 0) {
            tag->property_weight() = look.weight;
        }
        if (look.foreground != nullptr && !(palette.*look.foreground).empty()) {
            tag->property_foreground() = palette.*look.foreground;
        }
    }
}

Tags LookUpTags(const Glib::RefPtr<Gtk::TextBuffer>& buffer) {
    Tags tags;
    for (const TagLook& look : kTagLooks) {
        tags[static_cast<std::size_t>(look.tag)] = buffer->get_tag_table()->lookup(TagName(look.tag));
    }
    return tags;
}

// Any text change of the buffer (a new load, a cleared view) ends the runs started before it.
void WatchText(HighlightRuns& runs, const Glib::RefPtr<Gtk::TextBuffer>& buffer) {
    if (runs.watchedBuffer == buffer && runs.textWatch.connected()) {
        return;
    }
    runs.textWatch.disconnect();
    runs.watchedBuffer = buffer;
    runs.textWatch = buffer->signal_changed().connect([&runs] { ++runs.generation; });
}

// Applies the spans; when that takes longer than a slice, the window is redrawn between slices.
// Returns false when the run was overtaken meanwhile: the buffer must not be touched any more.
bool ApplySpans(Gtk::TextView& codeView, const Glib::RefPtr<Gtk::TextBuffer>& buffer, const Tags& tags,
                const std::vector<TagSpan>& spans, const HighlightRuns& runs, std::uint64_t generation) {
    using Clock = std::chrono::steady_clock;
    auto sliceStart = Clock::now();
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const TagSpan& span = spans[i];
        if (const Glib::RefPtr<Gtk::TextTag>& tag = tags[static_cast<std::size_t>(span.tag)]) {
            buffer->apply_tag(tag, buffer->get_iter_at_offset(static_cast<int>(span.start)),
                              buffer->get_iter_at_offset(static_cast<int>(span.end)));
        }
        const std::size_t done = i + 1;
        if (done % kSpansPerClockCheck == 0 && done < spans.size() &&
            Clock::now() - sliceStart >= runs.sliceTime) {
            RefreshWidget(codeView);
            if (runs.generation != generation) {
                return false;
            }
            sliceStart = Clock::now();
        }
    }
    return true;
}

Glib::ustring LinkMarkup(const std::string& address) {
    const Glib::ustring escaped = Glib::Markup::escape_text(address);
    return "<a href=\"" + escaped + "\">" + escaped + "</a>";
}

// From the last link backwards, so that the offsets of the earlier ones stay valid. A link line
// without an address keeps its text: an empty link could neither be seen nor clicked.
void ReplaceLinks(Gtk::TextView& codeView, const Glib::RefPtr<Gtk::TextBuffer>& buffer,
                  const std::vector<LinkReplacement>& links) {
    for (auto link = links.rbegin(); link != links.rend(); ++link) {
        if (link->address.empty()) {
            continue;
        }
        const Gtk::TextIter position =
            buffer->erase(buffer->get_iter_at_offset(static_cast<int>(link->offset)),
                          buffer->get_iter_at_offset(static_cast<int>(link->offset + link->length)));
        const Glib::RefPtr<Gtk::TextChildAnchor> anchor = buffer->create_child_anchor(position);
        auto* label = Gtk::make_managed<Gtk::Label>();
        label->set_markup(LinkMarkup(link->address));
        // Not handled here: the label's own handling opens the address with the desktop's
        // default program for it.
        label->signal_activate_link().connect([](const Glib::ustring&) { return false; }, false);
        codeView.add_child_at_anchor(*label, anchor);
        label->show();
    }
}

}  // namespace

HighlightRuns::~HighlightRuns() {
    textWatch.disconnect();
}

void Highlight(Gtk::TextView& codeView, HighlightRuns& runs, const Palette& palette, int codeMarks) {
    const Glib::RefPtr<Gtk::TextBuffer> buffer = codeView.get_buffer();
    if (!buffer) {
        return;
    }
    WatchText(runs, buffer);
    const std::uint64_t generation = ++runs.generation;
    // The slice keeps a placeholder character for each child anchor, so that the highlighter's
    // character offsets are the buffer's.
    const Glib::ustring text = buffer->get_slice(buffer->begin(), buffer->end(), true);
    const HighlightResult result = ComputeHighlight(text.raw(), codeMarks);

    CreateTags(buffer, palette);
    buffer->remove_all_tags(buffer->begin(), buffer->end());
    if (!ApplySpans(codeView, buffer, LookUpTags(buffer), result.spans, runs, generation)) {
        return;
    }
    ReplaceLinks(codeView, buffer, result.links);
    RefreshWidget(codeView);
}

}  // namespace quillmate
