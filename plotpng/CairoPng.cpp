#include "plotpng/CairoPng.h"

#include <cairo.h>
#if CAIRO_HAS_FT_FONT && CAIRO_HAS_FC_FONT
#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#define HABITUAL_CAIRO_FONTCONFIG 1
#endif

#include <png.h>

#include <cmath>
#include <csetjmp>
#include <memory>
#include <vector>

namespace habitual::plot {
namespace {

struct TCairoDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
    void operator()(cairo_font_face_t* f) const { cairo_font_face_destroy(f); }
};
template <class T> using TCairo = std::unique_ptr<T, TCairoDeleter>;

// The regular and the bold face: the first of the scene's families that is
// installed, else a sans-serif face for Japanese.
TCairo<cairo_font_face_t> FontFace(bool bold) {
#ifdef HABITUAL_CAIRO_FONTCONFIG
    std::string name;
    for (const char* family : FontFamilies) name += std::string(family) + ",";
    name += "sans-serif:lang=ja";
    if (bold) name += ":weight=bold";
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(name.c_str()));
    if (pattern) {
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        if (match) {
            TCairo<cairo_font_face_t> face(cairo_ft_font_face_create_for_pattern(match));
            FcPatternDestroy(match);
            if (cairo_font_face_status(face.get()) == CAIRO_STATUS_SUCCESS) return face;
        }
    }
#endif
    return TCairo<cairo_font_face_t>(
        cairo_toy_font_face_create(FontFamilies[0], CAIRO_FONT_SLANT_NORMAL,
                                   bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL));
}

void SetColor(cairo_t* cr, const TColor& c) {
    cairo_set_source_rgba(cr, c.R / 255.0, c.G / 255.0, c.B / 255.0, c.Alpha);
}

void SetStroke(cairo_t* cr, const TStroke& stroke) {
    SetColor(cr, stroke.Color);
    cairo_set_line_width(cr, stroke.Width);
    const std::vector<double> dashes = DashLengths(stroke);
    cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), 0);
}

// Fills and strokes the current path as asked, then clears it.
void Paint(cairo_t* cr, const std::optional<TStroke>& stroke, const std::optional<TColor>& fill) {
    if (fill) {
        SetColor(cr, *fill);
        cairo_fill_preserve(cr);
    }
    if (stroke) {
        SetStroke(cr, *stroke);
        cairo_stroke_preserve(cr);
    }
    cairo_new_path(cr);
}

void DrawPath(cairo_t* cr, const TPath& path) {
    for (const std::vector<TPoint>& part : path.Parts) {
        for (std::size_t i = 0; i < part.size(); ++i)
            (i == 0 ? cairo_move_to : cairo_line_to)(cr, part[i].X, part[i].Y);
        if (path.Closed) cairo_close_path(cr);
    }
    // A closed path filled with its parts each on its own, as the SVG does.
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    Paint(cr, path.Stroke, path.Fill);
}

// Each marker on its own: one path of thousands of circles is much slower
// to fill and stroke than the circles one by one.
void DrawDots(cairo_t* cr, const TDots& dots) {
    for (const TPoint& p : dots.At) {
        if (dots.Marker == TMarker::Square)
            cairo_rectangle(cr, p.X - dots.Size, p.Y - dots.Size, 2 * dots.Size, 2 * dots.Size);
        else
            cairo_arc(cr, p.X, p.Y, dots.Size, 0, 2 * M_PI);
        Paint(cr, dots.Stroke, dots.Fill);
    }
}

void DrawText(cairo_t* cr, const TText& text, cairo_font_face_t* regular, cairo_font_face_t* bold) {
    if (text.Text.empty()) return;
    cairo_save(cr);
    cairo_set_font_face(cr, text.Bold ? bold : regular);
    cairo_set_font_size(cr, text.Size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.Text.c_str(), &extents);
    const double shift = text.Anchor == TAnchor::Start    ? 0
                         : text.Anchor == TAnchor::Middle ? extents.x_advance / 2
                                                          : extents.x_advance;
    cairo_translate(cr, text.At.X, text.At.Y);
    if (text.Rotation != 0) cairo_rotate(cr, text.Rotation * M_PI / 180);
    cairo_move_to(cr, -shift, 0);
    SetColor(cr, text.Color);
    cairo_show_text(cr, text.Text.c_str());
    cairo_new_path(cr);
    cairo_restore(cr);
}

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* bytes = static_cast<std::string*>(png_get_io_ptr(png));
    try {
        bytes->append(reinterpret_cast<const char*>(data), length);
    } catch (...) {
        png_error(png, "out of memory");
    }
}

void Flush(png_structp) {}

// The image as PNG, written with libpng itself: Cairo's own writer takes its
// time over the strongest compression, ten times longer than the drawing. A
// plot's flat colours compress almost as well with the fastest setting.
bool EncodePng(cairo_surface_t* surface, std::string& bytes) {
    const int w = cairo_image_surface_get_width(surface);
    const int h = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    if (!data) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    // Pixels as Cairo keeps them: 32-bit words 0x00RRGGBB in the machine's
    // byte order, read as RGB with the unused byte left out.
    std::vector<png_bytep> rows(static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y)
        rows[static_cast<std::size_t>(y)] = data + std::ptrdiff_t{y} * stride;
    bytes.clear();
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &bytes, &AppendBytes, &Flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_rows(png, info, rows.data());
    const int littleEndian = 1;
    const bool little = *reinterpret_cast<const char*>(&littleEndian) == 1;
    png_write_png(png, info,
                  little ? PNG_TRANSFORM_BGR | PNG_TRANSFORM_STRIP_FILLER_AFTER
                         : PNG_TRANSFORM_STRIP_FILLER_BEFORE,
                  nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool CairoPng(const TScene& scene, double scale, std::string& bytes) {
    const double w = std::ceil(scene.Width * scale), h = std::ceil(scene.Height * scale);
    if (!(w >= 1 && h >= 1 && w <= 16384 && h <= 16384)) return false;
    TCairo<cairo_surface_t> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(w), static_cast<int>(h)));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return false;
    TCairo<cairo_t> cr(cairo_create(surface.get()));
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return false;
    // Found once: matching and loading a font takes longer than a figure.
    static const TCairo<cairo_font_face_t> regular = FontFace(false), bold = FontFace(true);

    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_paint(cr.get());
    cairo_scale(cr.get(), scale, scale);
    cairo_set_line_join(cr.get(), CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr.get(), CAIRO_LINE_CAP_BUTT);
    for (const TSceneGroup& group : scene.Groups) {
        cairo_save(cr.get());
        if (group.Clip) {
            cairo_rectangle(cr.get(), group.Clip->Left, group.Clip->Top, group.Clip->Width,
                            group.Clip->Height);
            cairo_clip(cr.get());
        }
        for (const TSceneItem& item : group.Items) {
            if (const auto* path = std::get_if<TPath>(&item.Shape))
                DrawPath(cr.get(), *path);
            else if (const auto* dots = std::get_if<TDots>(&item.Shape))
                DrawDots(cr.get(), *dots);
            else if (const auto* text = std::get_if<TText>(&item.Shape))
                DrawText(cr.get(), *text, regular.get(), bold.get());
        }
        cairo_restore(cr.get());
    }
    cairo_surface_flush(surface.get());
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return false;
    return EncodePng(surface.get(), bytes);
}

} // namespace habitual::plot
