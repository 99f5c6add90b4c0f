// Draws the program's built-in pictures with Cairo and writes them as PNG files, each once at its
// size and once at twice its size for screens of scale factor 2 (<name>@2x.png, from the same
// drawing), and the program's icon for the desktop at every size it installs and as SVG; the files
// are committed, and the pictures are embedded into the program at build time. After changing a
// picture, run:
//
//     cmake --build build --target quillmate_draw_pictures
//
// Style: flat colours, each shape filled in a mid tone with a 1px darker outline outside it.
// Shapes sit on whole pixel coordinates so that straight edges stay crisp at 16 x 16 and at 32 x 32.
#include <cairo-svg.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Colour {
    double r;
    double g;
    double b;
    double a = 1.0;
};

constexpr Colour Rgb(unsigned hex, double alpha = 1.0) {
    return {((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0, alpha};
}

// One palette for all pictures: a fill tone and a darker outline tone per colour.
constexpr Colour kGreen = Rgb(0x73D216);
constexpr Colour kGreenDark = Rgb(0x2E6B05);
constexpr Colour kBlue = Rgb(0x3B7DD8);
constexpr Colour kBlueDark = Rgb(0x1B3F7A);
constexpr Colour kOrange = Rgb(0xF57900);
constexpr Colour kOrangeDark = Rgb(0x8F3F00);
constexpr Colour kYellow = Rgb(0xEDC626);
constexpr Colour kYellowLight = Rgb(0xFCE27A);
constexpr Colour kYellowDark = Rgb(0x8C6A00);
constexpr Colour kRed = Rgb(0xE02020);
constexpr Colour kRedDark = Rgb(0x8A0000);
constexpr Colour kGrey = Rgb(0xBABDB6);
constexpr Colour kGreyMid = Rgb(0x888A85);
constexpr Colour kGreyDark = Rgb(0x3C3F3A);
constexpr Colour kGearRim = Rgb(0x6E716B);
constexpr Colour kGearFace = Rgb(0xD3D7CF);
constexpr Colour kWhite = Rgb(0xFFFFFF);
constexpr Colour kPaper = Rgb(0xF6F6F4);
constexpr Colour kInk = Rgb(0x1E2022);

constexpr double kPi = std::numbers::pi;

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using ContextPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

void SetColour(cairo_t* cr, const Colour& c) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

void Fill(cairo_t* cr, const Colour& c) {
    SetColour(cr, c);
    cairo_fill(cr);
}

// Fills the current path and draws a 1px outline just outside it: the stroke is 2px wide and
// centred on the edge, and the fill covers its inner half. Edges shared by several sub-paths of one
// union disappear under the fill.
void Outlined(cairo_t* cr, const Colour& fill, const Colour& outline) {
    cairo_set_line_width(cr, 2.0);
    SetColour(cr, outline);
    cairo_stroke_preserve(cr);
    Fill(cr, fill);
}

void Rect(cairo_t* cr, double x0, double y0, double x1, double y1) {
    cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
}

void Polygon(cairo_t* cr, std::initializer_list<std::pair<double, double>> points) {
    cairo_new_sub_path(cr);
    for (const auto& [x, y] : points) {
        cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
}

void Circle(cairo_t* cr, double cx, double cy, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, radius, 0, 2 * kPi);
}

void CircleReversed(cairo_t* cr, double cx, double cy, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc_negative(cr, cx, cy, radius, 2 * kPi, 0);
}

void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    Circle(cr, 0, 0, 1);
    cairo_restore(cr);
}

// ----------------------------------------------------------------------------------------------
// 16 x 16 pictures

// Arrow pointing right; the expanded-state picture is its mirror image.
void DrawArrowRight(cairo_t* cr) {
    Polygon(cr, {{2, 6}, {8, 6}, {8, 2}, {14, 8}, {8, 14}, {8, 10}, {2, 10}});
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    Outlined(cr, kGreen, kGreenDark);
}

void DrawCollapsed(cairo_t* cr) {
    DrawArrowRight(cr);
}

void DrawExpanded(cairo_t* cr) {
    cairo_translate(cr, 16, 0);
    cairo_scale(cr, -1, 1);
    DrawArrowRight(cr);
}

void DrawBlueDisc(cairo_t* cr) {
    Circle(cr, 8, 8, 6.5);
    Outlined(cr, kBlue, kBlueDark);
}

void DrawHelp(cairo_t* cr) {
    DrawBlueDisc(cr);
    // Question mark: a hook of 2px width, a short stem and a square dot.
    SetColour(cr, kWhite);
    cairo_set_line_width(cr, 2.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 8, 5.75, 2.5, kPi, 2.25 * kPi);
    cairo_curve_to(cr, 9, 8.5, 8, 8.5, 8, 9.5);
    cairo_line_to(cr, 8, 10);
    cairo_stroke(cr);
    Rect(cr, 7, 11, 9, 13);
    Fill(cr, kWhite);
}

void DrawInfo(cairo_t* cr) {
    DrawBlueDisc(cr);
    Rect(cr, 7, 3, 9, 5);
    Rect(cr, 7, 6, 9, 12);
    Rect(cr, 6, 6, 7, 7);
    Rect(cr, 6, 11, 10, 12);
    Fill(cr, kWhite);
}

void DrawSettings(cairo_t* cr) {
    // Eight teeth around a rim, a lighter face and a hole in the middle. The rim is drawn without an
    // outline: at this size an outline would blur the teeth into one another.
    cairo_translate(cr, 8, 8);
    for (int i = 0; i < 8; ++i) {
        cairo_save(cr);
        cairo_rotate(cr, i * kPi / 4);
        Rect(cr, -1.5, -7.5, 1.5, -4);
        cairo_restore(cr);
    }
    Circle(cr, 0, 0, 5.5);
    Fill(cr, kGearRim);
    Circle(cr, 0, 0, 4.5);
    Fill(cr, kGearFace);
    Circle(cr, 0, 0, 2.5);
    Fill(cr, kGreyDark);
    Circle(cr, 0, 0, 1.5);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_fill(cr);
}

void DrawCopy(cairo_t* cr) {
    // Clipboard board with a sheet of paper and a clip, and an arrow leaving it to the right.
    Rect(cr, 2, 2, 12, 15);
    Outlined(cr, kOrange, kOrangeDark);
    Rect(cr, 4, 4, 10, 13);
    Fill(cr, kPaper);
    Rect(cr, 5, 1, 9, 3);
    Outlined(cr, kGreyMid, kGreyDark);
    Polygon(cr, {{7, 10}, {11, 10}, {11, 8}, {14, 11}, {11, 14}, {11, 12}, {7, 12}});
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    Outlined(cr, kBlue, kBlueDark);
}

void DrawNewMark(cairo_t* cr) {
    Rect(cr, 2, 6, 14, 10);
    Rect(cr, 6, 2, 10, 14);
    Outlined(cr, kBlue, kBlueDark);
}

// One of the two arrows of the changed-entry mark: a band along a quarter-plus circle with an
// arrow head at its clockwise end.
void CircularArrow(cairo_t* cr, double rotation) {
    const double inner = 4;
    const double outer = 6;
    const double start = kPi * 1.08;
    const double end = kPi * 1.62;
    cairo_save(cr);
    cairo_translate(cr, 8, 8);
    cairo_rotate(cr, rotation);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, outer, start, end);
    cairo_arc_negative(cr, 0, 0, inner, end, start);
    cairo_close_path(cr);
    const double middle = (inner + outer) / 2;
    const double tip = end + 0.75;
    cairo_new_sub_path(cr);
    cairo_line_to(cr, std::cos(end) * (middle - 2.75), std::sin(end) * (middle - 2.75));
    cairo_line_to(cr, std::cos(end) * (middle + 2.75), std::sin(end) * (middle + 2.75));
    cairo_line_to(cr, std::cos(tip) * middle, std::sin(tip) * middle);
    cairo_close_path(cr);
    cairo_restore(cr);
}

void DrawChangedMark(cairo_t* cr) {
    CircularArrow(cr, 0);
    CircularArrow(cr, kPi);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    Outlined(cr, kBlue, kBlueDark);
}

void DrawFolder(cairo_t* cr) {
    // Back with its tab, then the lighter front flap.
    Rect(cr, 1, 3, 7, 5);
    Rect(cr, 1, 4, 15, 14);
    Outlined(cr, kYellow, kYellowDark);
    Rect(cr, 1, 7, 15, 14);
    Outlined(cr, kYellowLight, kYellowDark);
}

void DrawStatistics(cairo_t* cr) {
    struct Bar {
        double x0;
        double top;
        Colour fill;
        Colour outline;
    };
    const Bar bars[] = {
        {2, 8, kBlue, kBlueDark},
        {6, 3, kOrange, kOrangeDark},
        {10, 6, kGreen, kGreenDark},
    };
    for (const Bar& bar : bars) {
        Rect(cr, bar.x0, bar.top, bar.x0 + 3, 14);
        Outlined(cr, bar.fill, bar.outline);
    }
    Rect(cr, 0, 14, 16, 15);
    Fill(cr, kGreyDark);
}

void DrawCodeFormat(cairo_t* cr) {
    // A sheet with a folded corner and coloured code lines of different indentation.
    Polygon(cr, {{3, 1}, {10, 1}, {13, 4}, {13, 15}, {3, 15}});
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    Outlined(cr, kPaper, kGreyDark);
    Polygon(cr, {{10, 1}, {10, 4}, {13, 4}});
    Fill(cr, kGrey);
    struct Line {
        double x0;
        double x1;
        double y;
        Colour colour;
    };
    const Line lines[] = {
        {4, 8, 3, kBlue}, {5, 11, 6, kGreyDark}, {5, 9, 8, kOrange}, {6, 12, 10, kGreen}, {4, 9, 12, kBlue},
    };
    for (const Line& line : lines) {
        Rect(cr, line.x0, line.y, line.x1, line.y + 1);
        Fill(cr, line.colour);
    }
}

void DrawAdmin(cairo_t* cr) {
    // A fox's head: pointed ears, orange face with white cheeks, dark eyes and nose.
    Polygon(cr, {{1, 1}, {6, 4}, {10, 4}, {15, 1}, {15, 8}, {8, 15}, {1, 8}});
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    Outlined(cr, kOrange, kOrangeDark);
    Polygon(cr, {{2, 3}, {5, 5}, {3, 6}});
    Polygon(cr, {{14, 3}, {11, 5}, {13, 6}});
    Fill(cr, kOrangeDark);
    Polygon(cr, {{1, 8}, {5, 9}, {8, 12}, {11, 9}, {15, 8}, {8, 15}});
    Fill(cr, kWhite);
    Rect(cr, 5, 7, 6, 9);
    Rect(cr, 10, 7, 11, 9);
    Rect(cr, 7, 12, 9, 14);
    Fill(cr, kInk);
}

// Flags are 16 x 12, centred on the transparent 16 x 16 canvas, with a faint frame so that
// light colours keep an edge.
constexpr double kFlagTop = 2;
constexpr double kFlagBottom = 14;

void FlagFrame(cairo_t* cr) {
    Rect(cr, 0.5, kFlagTop + 0.5, 15.5, kFlagBottom - 0.5);
    cairo_set_line_width(cr, 1);
    SetColour(cr, Rgb(0x000000, 0.35));
    cairo_stroke(cr);
}

void DrawFlagGerman(cairo_t* cr) {
    Rect(cr, 0, 2, 16, 6);
    Fill(cr, Rgb(0x000000));
    Rect(cr, 0, 6, 16, 10);
    Fill(cr, Rgb(0xDD0000));
    Rect(cr, 0, 10, 16, 14);
    Fill(cr, Rgb(0xFFCE00));
    FlagFrame(cr);
}

void DrawFlagFrench(cairo_t* cr) {
    Rect(cr, 0, kFlagTop, 5, kFlagBottom);
    Fill(cr, Rgb(0x0055A4));
    Rect(cr, 5, kFlagTop, 11, kFlagBottom);
    Fill(cr, kWhite);
    Rect(cr, 11, kFlagTop, 16, kFlagBottom);
    Fill(cr, Rgb(0xEF4135));
    FlagFrame(cr);
}

void DrawFlagBritish(cairo_t* cr) {
    const Colour blue = Rgb(0x012169);
    const Colour red = Rgb(0xC8102E);
    Rect(cr, 0, kFlagTop, 16, kFlagBottom);
    Fill(cr, blue);
    cairo_save(cr);
    Rect(cr, 0, kFlagTop, 16, kFlagBottom);
    cairo_clip(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    auto diagonals = [&](double width, const Colour& c) {
        cairo_move_to(cr, 0, kFlagTop);
        cairo_line_to(cr, 16, kFlagBottom);
        cairo_move_to(cr, 16, kFlagTop);
        cairo_line_to(cr, 0, kFlagBottom);
        cairo_set_line_width(cr, width);
        SetColour(cr, c);
        cairo_stroke(cr);
    };
    diagonals(3.5, kWhite);
    diagonals(1.5, red);
    cairo_restore(cr);
    Rect(cr, 6, kFlagTop, 10, kFlagBottom);
    Rect(cr, 0, 6, 16, 10);
    Fill(cr, kWhite);
    Rect(cr, 7, kFlagTop, 9, kFlagBottom);
    Rect(cr, 0, 7, 16, 9);
    Fill(cr, red);
    FlagFrame(cr);
}

// ----------------------------------------------------------------------------------------------
// 48 x 48 application icon: a penguin holding a big red "Q".

// The letter "Q" as one outlined shape: a ring and a tail crossing its lower right.
void DrawQ(cairo_t* cr, double cx, double cy, double radius, double thickness) {
    Circle(cr, cx, cy, radius);
    CircleReversed(cr, cx, cy, radius - thickness);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, kPi / 4);
    Rect(cr, radius * 0.5, -thickness * 0.6, radius * 1.75, thickness * 0.6);
    cairo_restore(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    Outlined(cr, kRed, kRedDark);
}

void DrawAppIcon(cairo_t* cr) {
    const Colour body = Rgb(0x23262A);
    const Colour bodyOutline = Rgb(0x000000);
    // Feet behind the body.
    Ellipse(cr, 16, 44.5, 6.5, 2.5);
    Ellipse(cr, 32, 44.5, 6.5, 2.5);
    Outlined(cr, kOrange, kOrangeDark);
    // Flippers, body and head in one shape.
    for (const double side : {-1.0, 1.0}) {
        cairo_save(cr);
        cairo_translate(cr, 24 + side * 14, 28);
        cairo_rotate(cr, -side * 0.4);
        Ellipse(cr, 0, 0, 3.5, 10);
        cairo_restore(cr);
    }
    Ellipse(cr, 24, 28, 14, 16);
    Ellipse(cr, 24, 13, 10, 10);
    Outlined(cr, body, bodyOutline);
    // Belly and face.
    Ellipse(cr, 24, 32, 11.5, 12);
    Ellipse(cr, 24, 14, 7, 6);
    Fill(cr, kWhite);
    // Eyes with a light spot.
    Ellipse(cr, 21.5, 12, 1.75, 2.25);
    Ellipse(cr, 26.5, 12, 1.75, 2.25);
    Fill(cr, kInk);
    Rect(cr, 21, 11, 22, 12);
    Rect(cr, 26, 11, 27, 12);
    Fill(cr, kWhite);
    // Beak.
    Polygon(cr, {{19.5, 16}, {28.5, 16}, {24, 20}});
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    Outlined(cr, kOrange, kOrangeDark);
    // The big letter, worn on the belly.
    DrawQ(cr, 23.5, 31.5, 9, 4);
}

// ----------------------------------------------------------------------------------------------

struct PictureRecipe {
    const char* name;
    int size;
    std::function<void(cairo_t*)> draw;
};

// Writes the recipe's drawing at `scale` times its size into folder/<name><suffix>.png.
bool WritePicture(const std::string& folder, const PictureRecipe& recipe, int scale = 1,
                  const std::string& suffix = "") {
    const int side = recipe.size * scale;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side), &cairo_surface_destroy);
    ContextPtr cr(cairo_create(surface.get()), &cairo_destroy);
    cairo_scale(cr.get(), scale, scale);
    recipe.draw(cr.get());
    cairo_surface_flush(surface.get());
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "%s: %s\n", recipe.name, cairo_status_to_string(cairo_status(cr.get())));
        return false;
    }
    const std::string path = folder + "/" + recipe.name + suffix + ".png";
    const cairo_status_t status = cairo_surface_write_to_png(surface.get(), path.c_str());
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), cairo_status_to_string(status));
        return false;
    }
    return true;
}

// The desktop's icon of the program: the picture of the "AppIcon" drawn at each size of the icon
// theme and once as SVG, in the layout of the hicolor theme below `folder`.
bool WriteDesktopIcons(const std::string& folder) {
    constexpr double kDrawnSize = 48;
    constexpr const char* kName = "org.quillmate.Quillmate";
    bool ok = true;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const std::string apps = folder + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        std::filesystem::create_directories(apps);
        const double scale = size / kDrawnSize;
        ok = WritePicture(apps, {kName, size,
                                 [scale](cairo_t* cr) {
                                     cairo_scale(cr, scale, scale);
                                     DrawAppIcon(cr);
                                 }}) &&
             ok;
    }
    std::filesystem::create_directories(folder + "/scalable/apps");
    const std::string svg = folder + "/scalable/apps/" + kName + ".svg";
    SurfacePtr surface(cairo_svg_surface_create(svg.c_str(), kDrawnSize, kDrawnSize), &cairo_surface_destroy);
    {
        ContextPtr cr(cairo_create(surface.get()), &cairo_destroy);
        DrawAppIcon(cr.get());
    }
    cairo_surface_finish(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "%s: %s\n", svg.c_str(),
                     cairo_status_to_string(cairo_surface_status(surface.get())));
        return false;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PICTURE_FOLDER ICON_FOLDER\n", argv[0]);
        return 2;
    }
    // The names are those of the Picture enumeration; the embedding step looks for these files.
    const std::vector<PictureRecipe> pictures = {
        {"AppIcon", 48, DrawAppIcon},
        {"Admin", 16, DrawAdmin},
        {"Collapsed", 16, DrawCollapsed},
        {"Expanded", 16, DrawExpanded},
        {"Help", 16, DrawHelp},
        {"Info", 16, DrawInfo},
        {"Settings", 16, DrawSettings},
        {"Copy", 16, DrawCopy},
        {"NewEntryMark", 16, DrawNewMark},
        {"ChangedEntryMark", 16, DrawChangedMark},
        {"Folder", 16, DrawFolder},
        {"Statistics", 16, DrawStatistics},
        {"CodeFormat", 16, DrawCodeFormat},
        {"FlagGerman", 16, DrawFlagGerman},
        {"FlagBritish", 16, DrawFlagBritish},
        {"FlagFrench", 16, DrawFlagFrench},
    };
    bool ok = true;
    for (const PictureRecipe& recipe : pictures) {
        ok = WritePicture(argv[1], recipe) && ok;
        ok = WritePicture(argv[1], recipe, 2, "@2x") && ok;
    }
    ok = WriteDesktopIcons(argv[2]) && ok;
    return ok ? 0 : 1;
}
