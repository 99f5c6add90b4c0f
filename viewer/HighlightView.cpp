#include "viewer/HighlightView.h"

#include <glibmm/main.h>
#include <glibmm/markup.h>
#include <gtkmm/label.h>
#include <gtkmm/textbuffer.h>
#include <gtkmm/textview.h>

#include <algorithm>
#include <array>
#include <memory>
#include <utility>

#include "app/Effects.h"
#include "base/Utf8.h"
#include "viewer/Highlighter.h"
#include "viewer/Palette.h"

namespace quillmate {
namespace {

using Tags = std::array<Glib::RefPtr<Gtk::TextTag>, kHighlightTagCount>;

// The result is put onto the buffer in blocks of this many characters. Each tag put inside a line
// walks that line's pieces up to it, so on a long line the cost grows with the square of a
// block: small blocks keep the part tagged around the visible columns short.
constexpr std::uint32_t kBlockCharacters = 1024;
// The lowest line height looked for: lines not measured yet have none, so this bounds the
// lines that an area can hold.
constexpr int kMinLineHeight = 4;

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

// The label opens the whole address and shows at most a label's length of it.
Glib::ustring LinkMarkup(const std::string& address) {
    return "<a href=\"" + Glib::Markup::escape_text(address) + "\">" +
           Glib::Markup::escape_text(ShownText(address, kLabelTextLimit)) + "</a>";
}

// From the last link backwards, so that the offsets of the earlier ones stay valid. A link line
// without an address keeps its text: an empty link could neither be seen nor clicked. Thousands
// of links go in by slices with the waiting events handled between them; returns false when a
// new text or run came meanwhile.
bool MakeAnchors(HighlightRuns& runs, const Glib::RefPtr<Gtk::TextBuffer>& buffer,
                 const std::vector<LinkReplacement>& links) {
    std::vector<Glib::RefPtr<Gtk::TextChildAnchor>> anchors;
    auto sliceEnd = std::chrono::steady_clock::now() + kAnswerBudget;
    for (auto link = links.rbegin(); link != links.rend(); ++link) {
        if (link->address.empty()) {
            continue;
        }
        const Gtk::TextIter position =
            buffer->erase(buffer->get_iter_at_offset(static_cast<int>(link->offset)),
                          buffer->get_iter_at_offset(static_cast<int>(link->offset + link->length)));
        anchors.push_back(buffer->create_child_anchor(position));
        if (std::chrono::steady_clock::now() >= sliceEnd) {
            const std::uint64_t own = runs.generation;  // counts the changes made here
            AnswerEvents();
            if (runs.generation != own) {
                return false;
            }
            sliceEnd = std::chrono::steady_clock::now() + kAnswerBudget;
        }
    }
    std::reverse(anchors.begin(), anchors.end());
    runs.anchors = std::move(anchors);
    return true;
}

void MakeLabel(Gtk::TextView& view, const Glib::RefPtr<Gtk::TextChildAnchor>& anchor,
               const std::string& address) {
    if (anchor->get_deleted() || !anchor->get_widgets().empty()) {
        return;
    }
    auto* label = Gtk::make_managed<Gtk::Label>();
    label->set_markup(LinkMarkup(address));
    // Not handled here: the label's own handling opens the address with the desktop's default
    // program for it.
    label->signal_activate_link().connect([](const Glib::ustring&) { return false; }, false);
    view.add_child_at_anchor(*label, anchor);
    label->show();
}

bool Current(const HighlightRuns& runs) {
    return runs.view != nullptr && runs.generation == runs.shownGeneration;
}

// Tags the characters of block `block` and makes the link labels standing there.
void TagBlock(HighlightRuns& runs, std::size_t block) {
    if (runs.taggedBlocks[block]) {
        return;
    }
    runs.taggedBlocks[block] = true;
    const Glib::RefPtr<Gtk::TextBuffer> buffer = runs.view->get_buffer();
    const auto start = static_cast<std::uint32_t>(block * kBlockCharacters);
    const std::uint32_t end = start + kBlockCharacters;
    // The buffer counts the characters of a text run again each time a tag splits it, so a long
    // line is first cut at the block's ends: the tags then split runs of one block, not of the
    // whole line.
    const Gtk::TextIter blockStart = buffer->get_iter_at_offset(static_cast<int>(start));
    if (blockStart.get_chars_in_line() > static_cast<int>(kBlockCharacters)) {
        for (const std::uint32_t cut : {start, end}) {
            runs.cuts.push_back(buffer->create_mark(buffer->get_iter_at_offset(static_cast<int>(cut))));
        }
    }
    for (std::size_t tag = 0; tag < kHighlightTagCount; ++tag) {
        if (!runs.tags[tag]) {
            continue;
        }
        const std::vector<ShownRange>& ranges = runs.shown.runs[tag];
        auto range = std::partition_point(ranges.begin(), ranges.end(),
                                          [&](const ShownRange& r) { return r.end <= start; });
        for (; range != ranges.end() && range->start < end; ++range) {
            buffer->apply_tag(runs.tags[tag],
                              buffer->get_iter_at_offset(static_cast<int>(std::max(start, range->start))),
                              buffer->get_iter_at_offset(static_cast<int>(std::min(end, range->end))));
        }
    }
    const std::vector<std::uint32_t>& anchors = runs.shown.anchors;
    for (auto at = std::lower_bound(anchors.begin(), anchors.end(), start); at != anchors.end() && *at < end;
         ++at) {
        const auto index = static_cast<std::size_t>(at - anchors.begin());
        MakeLabel(*runs.view, runs.anchors[index], runs.shown.addresses[index]);
    }
}

// The font's average character width in pixels. Through the C call: pangomm's get_metrics copies
// the metrics and never frees the original.
int CharacterWidth(Gtk::TextView& view) {
    PangoContext* context = view.get_pango_context()->gobj();
    const std::unique_ptr<PangoFontMetrics, decltype(&pango_font_metrics_unref)> metrics(
        pango_context_get_metrics(context, pango_context_get_font_description(context), nullptr),
        &pango_font_metrics_unref);
    return std::max(1, PANGO_PIXELS(pango_font_metrics_get_approximate_char_width(metrics.get())));
}

// Tags the blocks of the characters that show in the view's area widened by `pages` visible
// areas on every side. Returns true when it tagged anything.
bool TagArea(HighlightRuns& runs, int pages) {
    if (!Current(runs)) {
        return false;
    }
    Gtk::TextView& view = *runs.view;
    Gdk::Rectangle visible;
    view.get_visible_rect(visible);
    const int left = visible.get_x() - pages * visible.get_width();
    const int right = visible.get_x() + (pages + 1) * visible.get_width();
    const int top = visible.get_y() - pages * visible.get_height();
    const int bottom = visible.get_y() + (pages + 1) * visible.get_height();
    const int characterWidth = CharacterWidth(view);
    Gtk::TextIter line;
    int lineTop = 0;
    view.get_line_at_y(line, std::max(top, 0), lineTop);
    bool tagged = false;
    for (int looked = 0; looked <= (bottom - top) / kMinLineHeight; ++looked) {
        int height = 0;
        view.get_line_yrange(line, lineTop, height);
        if (lineTop >= bottom) {
            break;
        }
        // Of a long line only the part near the visible columns, told from the character width
        // (asking the view would lay the whole line out): a character is at least half as wide,
        // a tab at most twice. A wrapped line is laid out to be drawn anyway; its rows in the
        // area are asked for.
        Gtk::TextIter from = line;
        Gtk::TextIter to = line;
        if (line.get_chars_in_line() <= static_cast<int>(kBlockCharacters)) {
            to.forward_to_line_end();
        } else if (view.get_wrap_mode() == Gtk::WRAP_NONE) {
            from.forward_chars(std::max(left, 0) / (2 * characterWidth));
            to.forward_chars(2 * std::max(right, 0) / characterWidth);
        } else {
            view.get_iter_at_location(from, 0, std::max(top, lineTop));
            view.get_iter_at_location(to, visible.get_width(), std::min(bottom, lineTop + height) - 1);
            if (from.get_line() != line.get_line()) {
                from = line;
            }
            if (to.get_line() != line.get_line()) {
                to = line;
                to.forward_to_line_end();
            }
        }
        const auto first = static_cast<std::size_t>(from.get_offset()) / kBlockCharacters;
        const auto last = std::min(static_cast<std::size_t>(to.get_offset()) / kBlockCharacters,
                                   runs.taggedBlocks.size() - 1);
        for (std::size_t block = first; block <= last; ++block) {
            tagged = tagged || !runs.taggedBlocks[block];
            TagBlock(runs, block);
        }
        if (!line.forward_line()) {
            break;
        }
    }
    return tagged;
}

// What shows is tagged before the next frame; the area around it when the window is idle.
void ScheduleTagging(HighlightRuns& runs) {
    if (!Current(runs)) {
        return;
    }
    if (!runs.visibleWork.connected()) {
        runs.visibleWork = Glib::signal_idle().connect(
            [&runs] {
                if (TagArea(runs, 0)) {
                    runs.view->queue_draw();
                }
                return false;
            },
            G_PRIORITY_HIGH_IDLE);
    }
    if (!runs.aroundWork.connected()) {
        runs.aroundWork = Glib::signal_idle().connect(
            [&runs] {
                TagArea(runs, 1);
                return false;
            },
            G_PRIORITY_DEFAULT_IDLE);
    }
}

// Drops the kept result of an earlier run.
void Forget(HighlightRuns& runs) {
    runs.visibleWork.disconnect();
    runs.aroundWork.disconnect();
    runs.shown = {};
    runs.anchors.clear();
    runs.taggedBlocks.clear();
    for (const Glib::RefPtr<Gtk::TextMark>& cut : runs.cuts) {
        if (!cut->get_deleted()) {
            cut->get_buffer()->delete_mark(cut);
        }
    }
    runs.cuts.clear();
}

// Each draw and scroll of the view looks for blocks that came into view.
void WatchView(HighlightRuns& runs, Gtk::TextView& view) {
    if (runs.view == &view) {
        return;
    }
    runs.drawWatch.disconnect();
    runs.scrollWatch.disconnect();
    runs.view = &view;
    runs.drawWatch = view.signal_draw().connect(
        [&runs](const Cairo::RefPtr<Cairo::Context>&) {
            if (Current(runs)) {
                ScheduleTagging(runs);
            } else if (!runs.taggedBlocks.empty()) {
                Forget(runs);
            }
            return false;
        },
        false);
    if (const Glib::RefPtr<Gtk::Adjustment> scrolling = view.get_vadjustment()) {
        runs.scrollWatch = scrolling->signal_value_changed().connect([&runs] { ScheduleTagging(runs); });
    }
}

}  // namespace

HighlightRuns::~HighlightRuns() {
    textWatch.disconnect();
    drawWatch.disconnect();
    scrollWatch.disconnect();
    visibleWork.disconnect();
    aroundWork.disconnect();
}

void Highlight(Gtk::TextView& codeView, HighlightRuns& runs, const Palette& palette, int codeMarks) {
    if (const Glib::RefPtr<Gtk::TextBuffer> buffer = codeView.get_buffer()) {
        // The slice keeps a placeholder character for each child anchor, so that the
        // highlighter's character offsets are the buffer's.
        Highlight(codeView, runs, palette, codeMarks,
                  buffer->get_slice(buffer->begin(), buffer->end(), true).raw());
    }
}

void Highlight(Gtk::TextView& codeView, HighlightRuns& runs, const Palette& palette, int codeMarks,
               std::string text) {
    const Glib::RefPtr<Gtk::TextBuffer> buffer = codeView.get_buffer();
    if (!buffer) {
        return;
    }
    WatchText(runs, buffer);
    Forget(runs);
    const std::uint64_t generation = ++runs.generation;
    HighlightResult result;
    ShownHighlight shown;
    const auto compute = [&](std::stop_token stop) {
        result = ComputeHighlight(text, codeMarks, stop);
        std::string().swap(text);
        shown = ShownAfterLinks(result);
        result.spans = {};  // only the shown runs are kept
    };
    if (!RunAnswering(
            compute, [&] { return runs.generation != generation; }, runs.quietWait)) {
        return;
    }
    CreateTags(buffer, palette);
    // Removing a tag that sets the weight throws away the layout of every line it covers, so
    // only tags that are on the text are removed (a freshly loaded text has none).
    for (const Glib::RefPtr<Gtk::TextTag>& tag : LookUpTags(buffer)) {
        Gtk::TextIter start = buffer->begin();
        if (tag && (start.starts_tag(tag) || start.forward_to_tag_toggle(tag))) {
            buffer->remove_tag(tag, buffer->begin(), buffer->end());
        }
    }
    if (!MakeAnchors(runs, buffer, result.links)) {
        return;
    }
    runs.shown = std::move(shown);
    runs.taggedBlocks.assign(static_cast<std::size_t>(buffer->get_char_count()) / kBlockCharacters + 1,
                             false);
    runs.tags = LookUpTags(buffer);
    WatchView(runs, codeView);
    runs.shownGeneration = runs.generation;  // the anchors changed the text
    TagArea(runs, 0);
    RefreshWidget(codeView);  // the view lays out the rest of a long text while the window answers
}

void HighlightEverything(HighlightRuns& runs) {
    if (Current(runs)) {
        for (std::size_t block = 0; block < runs.taggedBlocks.size(); ++block) {
            TagBlock(runs, block);
        }
    }
}

}  // namespace quillmate
