#include "viewer/CodeViewer.h"

#include <gdkmm/general.h>
#include <glibmm/main.h>
#include <glibmm/markup.h>
#include <gtkmm/label.h>
#include <gtkmm/stylecontext.h>
#include <gtkmm/textbuffer.h>

#include <algorithm>
#include <limits>
#include <string>
#include <utility>

#include "app/FontMetrics.h"
#include "base/Utf8.h"
#include "viewer/Palette.h"

namespace quillmate {
namespace {

constexpr int kTabStopPixels = 16;
// A very large text goes into its buffer by pieces of about this size: a few milliseconds each,
// after which the waiting events are answered and a newer choice can stop the load.
constexpr std::size_t kTextPiece = std::size_t{256} << 10;
// The result is put onto the buffer in blocks of this many characters: a line that shows is tagged
// whole, of a longer line only the blocks near the visible columns. A tag put inside a line costs
// in proportion to the line's length, which the view keeps short.
constexpr std::uint32_t kBlockCharacters = 256;
// The area around the visible one is tagged while the window is idle, this long at a time.
constexpr auto kTagTurn = std::chrono::milliseconds(10);
// The links below the first page are made while the window is idle, this long at a time.
constexpr auto kLinkTurn = std::chrono::milliseconds(5);
constexpr std::uint32_t kAfterEveryLink = std::numeric_limits<std::uint32_t>::max();

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

// The label opens the whole address and shows at most a label's length of it.
Glib::ustring LinkMarkup(const std::string& address) {
    return "<a href=\"" + Glib::Markup::escape_text(address) + "\">" +
           Glib::Markup::escape_text(ShownText(address, kLabelTextLimit)) + "</a>";
}

// Where the piece of `text` that starts at `position` ends: after a whole line where one ends
// within the piece, never inside a character.
std::size_t PieceEnd(const std::string& text, std::size_t position) {
    std::size_t end = std::min(position + kTextPiece, text.size());
    if (end < text.size()) {
        const std::size_t lineEnd = text.rfind('\n', end);
        if (lineEnd != std::string::npos && lineEnd > position) {
            end = lineEnd + 1;
        }
        while (end < text.size() && IsUtf8Continuation(text[end])) {
            ++end;
        }
    }
    return end;
}

}  // namespace

CodeViewer::CodeViewer(EventQueue& queue, const Palette& palette, const Pango::FontDescription& font)
    : m_queue(queue),
      m_palette(palette),
      m_css(Gtk::CssProvider::create()),
      m_linkCss(Gtk::CssProvider::create()),
      m_numberColour(palette.comment),
      m_gutterBack(palette.codeBack) {
    m_view.set_editable(false);
    m_view.set_cursor_visible(false);
    m_view.set_wrap_mode(Gtk::WRAP_NONE);
    m_view.set_left_margin(4);
    m_view.set_right_margin(4);
    m_view.get_accessible()->set_name("Code");
    Pango::TabArray tabs(1, true);
    tabs.set_tab(0, Pango::TAB_LEFT, kTabStopPixels);
    m_view.set_tabs(tabs);
    m_css->load_from_data("textview text { color: " + palette.codeText +
                          "; background-color: " + palette.codeBack + "; }");
    m_view.get_style_context()->add_provider(m_css, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    // The link labels stand on the view's own background, not on the theme's.
    m_linkCss->load_from_data("label link:link, label link:visited { color: " + palette.link + "; }");
    SetFont(font);
    m_view.add_events(Gdk::SCROLL_MASK | Gdk::SMOOTH_SCROLL_MASK);
    add(m_view);
    set_shadow_type(Gtk::SHADOW_IN);
    m_breakTag = Gtk::TextTag::create("ViewBreak");
    m_breakTag->property_invisible() = true;
    m_view.get_buffer()->get_tag_table()->add(m_breakTag);
    // A match reads in the code text's colour on its own background, whatever the highlighting.
    m_findTag = Gtk::TextTag::create("FindMatch");
    m_findCurrentTag = Gtk::TextTag::create("FindCurrent");
    for (const auto& [tag, background] :
         {std::pair{m_findTag, palette.findMatch}, {m_findCurrentTag, palette.findCurrent}}) {
        tag->property_foreground() = palette.codeText;
        tag->property_background() = background;
        m_view.get_buffer()->get_tag_table()->add(tag);
    }
    // Each draw and scroll looks for blocks that came into view.
    m_view.signal_draw().connect(
        [this](const Cairo::RefPtr<Cairo::Context>&) {
            ScheduleTagging();
            ScheduleFindMarks();
            return false;
        },
        false);
    get_vadjustment()->signal_value_changed().connect([this] {
        ScheduleTagging();
        ScheduleFindMarks();
    });
    m_view.signal_draw().connect(
        [this](const Cairo::RefPtr<Cairo::Context>& cr) {
            DrawLineNumbers(cr);
            return false;
        },
        true);
    // A zoom or a new code font reaches the view as a change of its style.
    m_view.signal_style_updated().connect([this] { FitGutter(); }, true);
}

CodeViewer::~CodeViewer() {
    Forget();
    m_disposals.work.disconnect();
}

std::string CodeViewer::Text() const {
    // The view's own line breaks are invisible: the file's lines come out as they are.
    return m_view.get_buffer()->get_text(false).raw();
}

CodeLoad CodeViewer::ShowFile(const CodeFileRequest& request) {
    const std::uint64_t load = ++m_loads;
    if (Overtaken(load)) {
        return CodeLoad::Overtaken;  // passed over: a newer choice waits
    }
    CodeFileLoad file;
    ViewBreaks breaks;
    const WorkEnd read = RunAnswering(
        [&](std::stop_token stop) {
            file = LoadCodeFileText(request.fullPath, stop);
            breaks = ViewLineBreaks(file.text, stop);
        },
        [&] { return Overtaken(load); });
    if (read == WorkEnd::Stopped) {
        Dispose(std::move(file.text));
        return CodeLoad::Overtaken;
    }
    if (read == WorkEnd::Failed) {
        file = CodeFileLoad{};
        breaks = ViewBreaks{};
    }
    return Show(std::move(file), std::move(breaks), request.shown, request.codeMarks, load);
}

CodeLoad CodeViewer::ShowText(std::string text, int codeMarks) {
    CodeFileLoad file;
    file.outcome = CodeFileOutcome::Loaded;
    file.text = std::move(text);
    ViewBreaks breaks = ViewLineBreaks(file.text);
    return Show(std::move(file), std::move(breaks), ShownCodeFile{}, codeMarks, ++m_loads);
}

CodeLoad CodeViewer::Show(CodeFileLoad file, ViewBreaks breaks, const ShownCodeFile& shown, int codeMarks,
                          std::uint64_t load) {
    const bool loaded = file.outcome == CodeFileOutcome::Loaded;
    if (!PutText(file.text, breaks.bytes, load)) {
        Dispose(std::move(file.text));
        return CodeLoad::Overtaken;
    }
    m_viewLines = std::move(breaks.lines);
    FitGutter();
    if (loaded && codeMarks != 0 && !Highlight(std::move(file.text), codeMarks, breaks.characters, load)) {
        return CodeLoad::Overtaken;
    }
    m_shown = shown;
    m_info = file.info;
    if (!shown.dropped && !shown.path.empty()) {
        m_currentEntry = shown.path;
    }
    RestartFind();
    return loaded ? CodeLoad::Shown : CodeLoad::NotShown;
}

void CodeViewer::ShowNotice(const std::string& text) {
    const ShownCodeFile shown = m_shown;
    PutText(text, {}, ++m_loads);
    m_viewLines = {};
    FitGutter();
    m_shown = shown;
    RestartFind();
}

void CodeViewer::ShowNothing() {
    PutText("", {}, ++m_loads);
    m_viewLines = {};
    FitGutter();
    m_currentEntry.clear();
    RestartFind();
}

bool CodeViewer::Overtaken(std::uint64_t load) const {
    return load != m_loads || m_queue.Holds(LeavesShownCode);
}

bool CodeViewer::PutText(const std::string& text, const std::vector<std::size_t>& breaks,
                         std::uint64_t load) {
    m_find.top = 0;  // a new text shows from its start
    const Glib::RefPtr<Gtk::TextBuffer> current = m_view.get_buffer();
    auto nextBreak = breaks.begin();
    if (text.size() <= kCodeTextSlice && current->get_char_count() <= static_cast<int>(kCodeTextSlice)) {
        Forget();
        m_shown = {};
        current->set_text("");
        Append(current, text, 0, text.size(), breaks, nextBreak);
        return true;
    }
    // A very large text (or one that replaces a very large text) goes into a buffer of its own,
    // which the view does not lay out while it fills, and which is shown once it is whole: until
    // then the view keeps what it shows, and a newer choice finds it intact.
    Glib::RefPtr<Gtk::TextBuffer> buffer = NewBuffer();
    for (std::size_t position = 0; position < text.size();) {
        const std::size_t end = PieceEnd(text, position);
        Append(buffer, text, position, end, breaks, nextBreak);
        position = end;
        AnswerEvents(kAnswerBudget, [&] { return Overtaken(load); });
        if (Overtaken(load)) {
            Dispose(std::move(buffer));
            return false;
        }
    }
    Forget();
    m_shown = {};
    m_view.set_buffer(buffer);
    Dispose(current);
    return true;
}

void CodeViewer::Append(const Glib::RefPtr<Gtk::TextBuffer>& buffer, const std::string& text,
                        std::size_t from, std::size_t to, const std::vector<std::size_t>& breaks,
                        std::vector<std::size_t>::const_iterator& nextBreak) {
    while (from < to) {
        if (nextBreak != breaks.end() && *nextBreak == from) {
            buffer->insert_with_tag(buffer->end(), "\n", m_breakTag);
            ++nextBreak;
        }
        const std::size_t until = nextBreak != breaks.end() && *nextBreak < to ? *nextBreak : to;
        buffer->insert(buffer->end(), text.data() + from, text.data() + until);
        from = until;
    }
}

Glib::RefPtr<Gtk::TextBuffer> CodeViewer::NewBuffer() {
    return Gtk::TextBuffer::create(m_view.get_buffer()->get_tag_table());
}

void CodeViewer::Dispose(Glib::RefPtr<Gtk::TextBuffer> buffer) {
    // Freeing a buffer of a hundred megabytes at once would stop the window for a while; emptied
    // from its end a slice at a time, outside the view, each slice takes a millisecond or two.
    if (buffer->get_char_count() > static_cast<int>(kCodeTextSlice)) {
        m_disposals.buffers.push_back(std::move(buffer));
        DisposeWhenIdle();
    }
}

void CodeViewer::Dispose(std::string text) {
    // A text of a hundred megabytes takes milliseconds to free: not before the newer choice shows.
    if (text.size() > kCodeTextSlice) {
        m_disposals.texts.push_back(std::move(text));
        DisposeWhenIdle();
    }
}

void CodeViewer::DisposeWhenIdle() {
    if (m_disposals.work.connected()) {
        return;
    }
    m_disposals.work = Glib::signal_idle().connect(
        [this] {
            if (!m_disposals.texts.empty()) {
                m_disposals.texts.pop_back();
            } else if (const Glib::RefPtr<Gtk::TextBuffer>& last = m_disposals.buffers.back();
                       last->get_char_count() > static_cast<int>(kCodeTextSlice)) {
                Gtk::TextIter from =
                    last->get_iter_at_offset(last->get_char_count() - static_cast<int>(kCodeTextSlice));
                from.set_line_offset(0);
                last->erase(from, last->end());
            } else {
                m_disposals.buffers.pop_back();
            }
            return !m_disposals.texts.empty() || !m_disposals.buffers.empty();
        },
        G_PRIORITY_LOW);
}

void CodeViewer::ToggleWrap() {
    m_view.set_wrap_mode(m_view.get_wrap_mode() == Gtk::WRAP_NONE ? Gtk::WRAP_WORD : Gtk::WRAP_NONE);
}

void CodeViewer::SetFont(const Pango::FontDescription& font) {
    m_view.override_font(font);
}

// ---- Line numbers ----

void CodeViewer::ShowLineNumbers(bool show) {
    m_lineNumbers = show;
    FitGutter();
}

void CodeViewer::FitGutter() {
    int width = 0;
    if (m_lineNumbers) {
        // As many digits as the last number, with half a digit's room before them and a digit's
        // room after.
        const std::string digits(std::to_string(std::max<std::uint32_t>(m_viewLines.fileLines, 1)).size(),
                                 '0');
        int height = 0;
        m_view.create_pango_layout(digits)->get_pixel_size(width, height);
        width += 3 * width / static_cast<int>(digits.size()) / 2;
    }
    if (width != m_view.get_border_window_size(Gtk::TEXT_WINDOW_LEFT)) {
        m_view.set_border_window_size(Gtk::TEXT_WINDOW_LEFT, width);
    }
}

std::vector<CodeViewer::LineNumberMark> CodeViewer::VisibleLineNumbers() {
    std::vector<LineNumberMark> marks;
    if (!m_lineNumbers || m_viewLines.fileLines == 0) {
        return marks;
    }
    Gdk::Rectangle visible;
    m_view.get_visible_rect(visible);
    const int bottom = visible.get_y() + visible.get_height();
    Gtk::TextIter line;
    int top = 0;
    m_view.get_line_at_y(line, visible.get_y(), top);
    // Every line is at least a font's line high: so many lines at most stand in view, even where
    // the view has not laid them out yet.
    const int most = visible.get_height() / MeasureFont(m_view).lineHeight + 2;
    for (int looked = 0; looked < most; ++looked) {
        int height = 0;
        m_view.get_line_yrange(line, top, height);
        if (top >= bottom) {
            break;
        }
        if (const std::uint32_t number =
                FileLineNumber(m_viewLines, static_cast<std::uint32_t>(line.get_line()))) {
            // The first row of a line is as high as its tallest part (a link label): its bottom
            // keeps the number on the text's baseline.
            Gdk::Rectangle row;
            m_view.get_iter_location(line, row);
            int x = 0;
            int y = 0;
            m_view.buffer_to_window_coords(Gtk::TEXT_WINDOW_LEFT, 0, row.get_y() + row.get_height(), x, y);
            marks.push_back({y, number});
        }
        if (!line.forward_line()) {
            break;
        }
    }
    return marks;
}

// The numbers are drawn, never put into the text: copying and dragging cannot take them.
void CodeViewer::DrawLineNumbers(const Cairo::RefPtr<Cairo::Context>& cr) {
    const Glib::RefPtr<Gdk::Window> gutter = m_view.get_window(Gtk::TEXT_WINDOW_LEFT);
    if (!m_lineNumbers || !gutter || !gtk_cairo_should_draw_window(cr->cobj(), gutter->gobj())) {
        return;
    }
    cr->save();
    gtk_cairo_transform_to_window(cr->cobj(), GTK_WIDGET(m_view.gobj()), gutter->gobj());
    // The view may draw all its windows in one go: what is painted here stays in the gutter.
    cr->rectangle(0, 0, gutter->get_width(), gutter->get_height());
    cr->clip();
    Gdk::Cairo::set_source_rgba(cr, m_gutterBack);
    cr->paint();
    Gdk::Cairo::set_source_rgba(cr, m_numberColour);
    const int width = m_view.get_border_window_size(Gtk::TEXT_WINDOW_LEFT);
    const Glib::RefPtr<Pango::Layout> layout = m_view.create_pango_layout("0");
    int digitWidth = 0;
    int height = 0;
    layout->get_pixel_size(digitWidth, height);
    for (const LineNumberMark& mark : VisibleLineNumbers()) {
        layout->set_text(std::to_string(mark.number));
        int numberWidth = 0;
        layout->get_pixel_size(numberWidth, height);
        cr->move_to(width - digitWidth - numberWidth, mark.y - height);
        layout->show_in_cairo_context(cr);
    }
    cr->restore();
}

// ---- Highlighting ----

bool CodeViewer::Highlight(std::string text, int codeMarks, const std::vector<std::uint32_t>& breaks,
                           std::uint64_t load) {
    ShownHighlight shown;
    const WorkEnd computed = RunAnswering(
        [&](std::stop_token stop) {
            const HighlightResult result = ComputeHighlight(text, codeMarks, stop);
            if (!stop.stop_requested()) {
                std::string().swap(text);
                shown = ShownAfterLinks(result, breaks, stop);
            }
        },
        [&] { return Overtaken(load); });
    if (computed == WorkEnd::Stopped) {
        Dispose(std::move(text));
        return false;
    }
    if (computed == WorkEnd::Failed) {
        return true;  // the text stays plain
    }
    CreateTags();
    m_tagging.shown = std::move(shown);
    m_tagging.taggedBlocks.assign(
        static_cast<std::size_t>(m_view.get_buffer()->get_char_count()) / kBlockCharacters + 1, false);
    m_tagging.active = true;
    // The first page comes first: its links, then its tags, so that the first frame is coloured.
    std::uint64_t firstPageEnd = 0;
    for (const std::size_t block : AreaBlocks(0)) {
        firstPageEnd = std::max<std::uint64_t>(firstPageEnd, (block + 1) * std::uint64_t{kBlockCharacters});
    }
    const bool allMade =
        MakeLinks(static_cast<std::uint32_t>(std::min<std::uint64_t>(firstPageEnd, kAfterEveryLink)),
                  std::chrono::steady_clock::time_point::max());
    bool tagged = false;
    TagArea(0, std::chrono::steady_clock::time_point::max(), tagged);
    if (!allMade) {
        m_tagging.linkWork = Glib::signal_idle().connect([this] {
            const bool done = MakeLinks(kAfterEveryLink, std::chrono::steady_clock::now() + kLinkTurn);
            ScheduleTagging();
            return !done;
        });
    }
    ScheduleTagging();
    m_view.queue_draw();
    return true;
}

// The tags are made once, with the colours of the palette at that moment; every buffer of the
// view shares their table.
void CodeViewer::CreateTags() {
    if (m_tags[0]) {
        return;
    }
    const Glib::RefPtr<Gtk::TextTagTable> table = m_view.get_buffer()->get_tag_table();
    for (const TagLook& look : kTagLooks) {
        const auto tag = Gtk::TextTag::create(TagName(look.tag));
        if (look.weight != 0) {
            tag->property_weight() = look.weight;
        }
        if (look.foreground != nullptr && !(m_palette.*look.foreground).empty()) {
            tag->property_foreground() = m_palette.*look.foreground;
        }
        table->add(tag);
        m_tags[static_cast<std::size_t>(look.tag)] = tag;
    }
    // The find's marks stay above every colour of the highlighting.
    m_findTag->set_priority(table->get_size() - 1);
    m_findCurrentTag->set_priority(table->get_size() - 1);
}

// Drops the highlighting of the text that is about to go.
void CodeViewer::Forget() {
    ForgetFound();
    m_tagging.visibleWork.disconnect();
    m_tagging.aroundWork.disconnect();
    m_tagging.linkWork.disconnect();
    m_tagging = Tagging{};
}

// Characters before this offset stand where they will stay: every link above it is made.
std::uint32_t CodeViewer::FinalEnd() const {
    const std::size_t made = m_tagging.anchors.size();
    return made < m_tagging.shown.anchors.size() ? m_tagging.shown.anchors[made] : kAfterEveryLink;
}

// From the top, until the next link stands at or after `upTo` or the deadline has passed; true
// when every link is made. A link line without an address keeps its text: an empty link could
// neither be seen nor clicked.
bool CodeViewer::MakeLinks(std::uint32_t upTo, std::chrono::steady_clock::time_point deadline) {
    const std::vector<std::uint32_t>& offsets = m_tagging.shown.anchors;
    const Glib::RefPtr<Gtk::TextBuffer> buffer = m_view.get_buffer();
    while (m_tagging.anchors.size() < offsets.size()) {
        const std::size_t link = m_tagging.anchors.size();
        if (offsets[link] >= upTo || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        const auto at = static_cast<int>(offsets[link]);
        const auto length = static_cast<int>(Utf8CharacterCount(m_tagging.shown.addresses[link]));
        const Gtk::TextIter position =
            buffer->erase(buffer->get_iter_at_offset(at), buffer->get_iter_at_offset(at + length));
        m_tagging.anchors.push_back(buffer->create_child_anchor(position));
    }
    return true;
}

void CodeViewer::MakeLabel(std::size_t link) {
    const Glib::RefPtr<Gtk::TextChildAnchor>& anchor = m_tagging.anchors[link];
    if (anchor->get_deleted() || !anchor->get_widgets().empty()) {
        return;
    }
    auto* label = Gtk::make_managed<Gtk::Label>();
    label->set_markup(LinkMarkup(m_tagging.shown.addresses[link]));
    label->get_style_context()->add_provider(m_linkCss, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    // Not handled here: the label's own handling opens the address with the desktop's default
    // program for it.
    label->signal_activate_link().connect([](const Glib::ustring&) { return false; }, false);
    m_view.add_child_at_anchor(*label, anchor);
    label->show();
}

// Tags the characters of block `block` and makes the link labels standing there, once every
// link above its end is made. Returns true when it tagged the block now.
bool CodeViewer::TagBlock(std::size_t block) {
    const auto start = static_cast<std::uint32_t>(block * kBlockCharacters);
    const std::uint32_t end = start + kBlockCharacters;
    if (m_tagging.taggedBlocks[block] || end > FinalEnd()) {
        return false;
    }
    m_tagging.taggedBlocks[block] = true;
    const Glib::RefPtr<Gtk::TextBuffer> buffer = m_view.get_buffer();
    for (std::size_t tag = 0; tag < kHighlightTagCount; ++tag) {
        const std::vector<ShownRange>& ranges = m_tagging.shown.runs[tag];
        auto range = std::partition_point(ranges.begin(), ranges.end(),
                                          [&](const ShownRange& r) { return r.end <= start; });
        for (; range != ranges.end() && range->start < end; ++range) {
            buffer->apply_tag(m_tags[tag],
                              buffer->get_iter_at_offset(static_cast<int>(std::max(start, range->start))),
                              buffer->get_iter_at_offset(static_cast<int>(std::min(end, range->end))));
        }
    }
    const std::vector<std::uint32_t>& anchors = m_tagging.shown.anchors;
    for (auto at = std::lower_bound(anchors.begin(), anchors.end(), start); at != anchors.end() && *at < end;
         ++at) {
        MakeLabel(static_cast<std::size_t>(at - anchors.begin()));
    }
    return true;
}

std::vector<std::size_t> CodeViewer::AreaBlocks(int pages) {
    std::vector<std::size_t> blocks;
    if (!m_tagging.active) {
        return blocks;
    }
    Gdk::Rectangle visible;
    m_view.get_visible_rect(visible);
    const int left = visible.get_x() - pages * visible.get_width();
    const int right = visible.get_x() + (pages + 1) * visible.get_width();
    const int top = visible.get_y() - pages * visible.get_height();
    const int bottom = visible.get_y() + (pages + 1) * visible.get_height();
    const FontMetrics font = MeasureFont(m_view);
    const Glib::RefPtr<Gtk::TextBuffer> buffer = m_view.get_buffer();
    Gtk::TextIter line;
    int lineTop = 0;
    m_view.get_line_at_y(line, std::max(top, 0), lineTop);
    int firstTop = 0;
    int firstHeight = 0;
    m_view.get_line_yrange(buffer->begin(), firstTop, firstHeight);
    if (firstHeight == 0) {
        // Nothing is laid out yet, so every line seems to stand at the top: a new text shows from
        // its start.
        line = buffer->begin();
        lineTop = 0;
    }
    // Lines not laid out yet have no height: the font's bounds the lines that the area can hold.
    const int lines = (bottom - top) / font.lineHeight + 1;
    for (int looked = 0; looked < lines; ++looked) {
        int height = 0;
        m_view.get_line_yrange(line, lineTop, height);
        if (lineTop >= bottom) {
            break;
        }
        // Of a long line that does not wrap only the part near the visible columns, told from the
        // character width: a character is at least half as wide, a tab at most twice.
        std::size_t first = static_cast<std::size_t>(line.get_offset()) / kBlockCharacters;
        Gtk::TextIter end = line;
        end.forward_to_line_end();
        std::size_t last = static_cast<std::size_t>(end.get_offset()) / kBlockCharacters;
        if (m_view.get_wrap_mode() == Gtk::WRAP_NONE && last > first) {
            const auto lineStart = static_cast<std::size_t>(line.get_offset());
            first = std::max(
                first, (lineStart + static_cast<std::size_t>(std::max(left, 0) / (2 * font.characterWidth))) /
                           kBlockCharacters);
            last = std::min(
                last, (lineStart + static_cast<std::size_t>(2 * std::max(right, 0) / font.characterWidth)) /
                          kBlockCharacters);
        }
        last = std::min(last, m_tagging.taggedBlocks.size() - 1);
        for (std::size_t block = first; block <= last; ++block) {
            if (blocks.empty() || blocks.back() < block) {
                blocks.push_back(block);
            }
        }
        if (!line.forward_line()) {
            break;
        }
    }
    return blocks;
}

// True when every block of the area is tagged (or waits for links above it), false when the
// deadline came first.
bool CodeViewer::TagArea(int pages, std::chrono::steady_clock::time_point deadline, bool& tagged) {
    for (const std::size_t block : AreaBlocks(pages)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        tagged = TagBlock(block) || tagged;
    }
    return true;
}

// What shows is tagged before the next frame; the area around it when the window is idle.
void CodeViewer::ScheduleTagging() {
    if (!m_tagging.active) {
        return;
    }
    if (!m_tagging.visibleWork.connected()) {
        m_tagging.visibleWork = Glib::signal_idle().connect(
            [this] {
                bool tagged = false;
                TagArea(0, std::chrono::steady_clock::time_point::max(), tagged);
                if (tagged) {
                    m_view.queue_draw();
                }
                return false;
            },
            G_PRIORITY_HIGH_IDLE);
    }
    if (!m_tagging.aroundWork.connected()) {
        m_tagging.aroundWork = Glib::signal_idle().connect(
            [this] {
                bool tagged = false;
                return !TagArea(1, std::chrono::steady_clock::now() + kTagTurn, tagged);
            },
            G_PRIORITY_DEFAULT_IDLE);
    }
}

void CodeViewer::HighlightEverything() {
    if (!m_tagging.active) {
        return;
    }
    MakeLinks(kAfterEveryLink, std::chrono::steady_clock::time_point::max());
    m_tagging.linkWork.disconnect();
    for (std::size_t block = 0; block < m_tagging.taggedBlocks.size(); ++block) {
        TagBlock(block);
    }
}

}  // namespace quillmate
