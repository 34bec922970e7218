#include "files/graph_raster.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <memory>

namespace orv {
namespace {

struct Colour {
    std::uint8_t r, g, b;
};
constexpr Colour kBlack{0, 0, 0};
constexpr Colour kScaleGrey{220, 220, 220};
constexpr Colour kCurveBlue{0, 0, 160};

struct Point {
    double x, y;
};

// A picture being drawn: layout coordinates (those of the window, the plot at (8, 2)) are scaled
// by `zoom` into pixels.
class Canvas {
public:
    Canvas(int width, int height, double zoom) : zoom_(zoom) {
        picture_.width = width;
        picture_.height = height;
        picture_.rgb.assign(static_cast<std::size_t>(width) * height * 3, 255);
        cover_.assign(static_cast<std::size_t>(width) * height, 0.0f);
    }

    Point Pixel(Point p) const { return {(p.x + 8) * zoom_, (p.y + 2) * zoom_}; }
    double Zoom() const { return zoom_; }

    // A line through `points` (layout coordinates), `width` layout units wide. Each pixel takes
    // the colour once, by the share of it the line covers, however many segments cross it.
    void Stroke(const std::vector<Point>& points, double width, Colour colour) {
        if (points.empty()) return;
        const double half = std::max(width * zoom_, 1.0) / 2;
        int x0 = picture_.width, y0 = picture_.height, x1 = -1, y1 = -1;
        for (std::size_t k = 0; k + 1 < points.size() || k == 0; ++k) {
            const Point a = Pixel(points[k]);
            const Point b = Pixel(points[std::min(k + 1, points.size() - 1)]);
            const int left = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - half - 1)));
            const int right = std::min(picture_.width - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + half + 1)));
            const int top = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - half - 1)));
            const int bottom = std::min(picture_.height - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + half + 1)));
            const double dx = b.x - a.x, dy = b.y - a.y;
            const double length2 = dx * dx + dy * dy;
            for (int y = top; y <= bottom; ++y)
                for (int x = left; x <= right; ++x) {
                    const double px = x + 0.5 - a.x, py = y + 0.5 - a.y;
                    const double t = length2 > 0 ? std::clamp((px * dx + py * dy) / length2, 0.0, 1.0) : 0.0;
                    const double distance = std::hypot(px - t * dx, py - t * dy);
                    const auto c = static_cast<float>(std::clamp(half + 0.5 - distance, 0.0, 1.0));
                    float& cover = cover_[static_cast<std::size_t>(y) * picture_.width + x];
                    cover = std::max(cover, c);
                }
            x0 = std::min(x0, left), y0 = std::min(y0, top), x1 = std::max(x1, right), y1 = std::max(y1, bottom);
        }
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                float& cover = cover_[static_cast<std::size_t>(y) * picture_.width + x];
                Blend(x, y, colour, cover);
                cover = 0;
            }
    }

    void Line(Point a, Point b, double width, Colour colour) { Stroke({a, b}, width, colour); }

    void Blend(int x, int y, Colour colour, float alpha) {
        if (alpha <= 0 || x < 0 || y < 0 || x >= picture_.width || y >= picture_.height) return;
        std::uint8_t* p = &picture_.rgb[(static_cast<std::size_t>(y) * picture_.width + x) * 3];
        const auto mix = [alpha](std::uint8_t under, std::uint8_t over) {
            return static_cast<std::uint8_t>(std::lround(under + (over - under) * std::min(alpha, 1.0f)));
        };
        p[0] = mix(p[0], colour.r), p[1] = mix(p[1], colour.g), p[2] = mix(p[2], colour.b);
    }

    RgbPicture Take() && { return std::move(picture_); }

private:
    double zoom_;
    RgbPicture picture_;
    std::vector<float> cover_;
};

// A text set in one line: its glyphs' coverage, with the baseline at `ascent` from the top.
struct TextMask {
    int width = 0, height = 0, ascent = 0;
    std::vector<std::uint8_t> alpha;
};

// A font face of one pixel size; empty (Ok() false) when no such font is installed.
class Font {
public:
    Font(FT_Library library, bool bold, double pixels) {
        const std::string file = FontFile(bold);
        if (file.empty() || FT_New_Face(library, file.c_str(), 0, &face_) != 0) {
            face_ = nullptr;
            return;
        }
        FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(std::lround(pixels)));
    }
    ~Font() {
        if (face_ != nullptr) FT_Done_Face(face_);
    }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    bool Ok() const { return face_ != nullptr; }

    TextMask Set(const std::string& text) const {
        TextMask mask;
        const int ascent = static_cast<int>(face_->size->metrics.ascender >> 6);
        const int descent = static_cast<int>(-face_->size->metrics.descender >> 6);
        int width = 0;
        for (unsigned char c : text)
            if (FT_Load_Char(face_, c, FT_LOAD_DEFAULT) == 0) width += static_cast<int>(face_->glyph->advance.x >> 6);
        mask.width = width + 2;
        mask.height = ascent + descent;
        mask.ascent = ascent;
        mask.alpha.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);
        int pen = 0;
        for (unsigned char c : text) {
            if (FT_Load_Char(face_, c, FT_LOAD_RENDER) != 0) continue;
            const FT_GlyphSlot g = face_->glyph;
            for (unsigned row = 0; row < g->bitmap.rows; ++row)
                for (unsigned col = 0; col < g->bitmap.width; ++col) {
                    const int x = pen + g->bitmap_left + static_cast<int>(col);
                    const int y = ascent - g->bitmap_top + static_cast<int>(row);
                    if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) continue;
                    std::uint8_t& a = mask.alpha[static_cast<std::size_t>(y) * mask.width + x];
                    a = std::max(a, g->bitmap.buffer[row * static_cast<unsigned>(g->bitmap.pitch) + col]);
                }
            pen += static_cast<int>(g->advance.x >> 6);
        }
        return mask;
    }

private:
    static std::string FontFile(bool bold) {
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(bold ? "DejaVu Sans:bold" : "DejaVu Sans"));
        if (pattern == nullptr) return {};
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        std::string file;
        FcChar8* path = nullptr;
        if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
            file = reinterpret_cast<const char*>(path);
        if (match != nullptr) FcPatternDestroy(match);
        FcPatternDestroy(pattern);
        return file;
    }

    FT_Face face_ = nullptr;
};

enum class Align { Left, Centre, Right };

// `text` in the layout rectangle (x, y, w, h): across as `align` says, down in the middle or at
// the top.
void DrawText(Canvas& canvas, const Font& font, const std::string& text, double x, double y, double w, double h,
              Align align, bool middle = true) {
    if (!font.Ok() || text.empty()) return;
    const TextMask mask = font.Set(text);
    const Point topLeft = canvas.Pixel({x, y});
    const double pw = w * canvas.Zoom(), ph = h * canvas.Zoom();
    const double left = align == Align::Left ? topLeft.x : align == Align::Right ? topLeft.x + pw - mask.width
                                                                                 : topLeft.x + (pw - mask.width) / 2;
    const double top = middle ? topLeft.y + (ph - mask.height) / 2 : topLeft.y;
    const int ox = static_cast<int>(std::lround(left)), oy = static_cast<int>(std::lround(top));
    for (int j = 0; j < mask.height; ++j)
        for (int i = 0; i < mask.width; ++i)
            canvas.Blend(ox + i, oy + j, kBlack, mask.alpha[static_cast<std::size_t>(j) * mask.width + i] / 255.0f);
}

// `text` reading upwards, centred on the layout point `centre`.
void DrawTextUp(Canvas& canvas, const Font& font, const std::string& text, Point centre) {
    if (!font.Ok() || text.empty()) return;
    const TextMask mask = font.Set(text);
    const Point c = canvas.Pixel(centre);
    const int ox = static_cast<int>(std::lround(c.x - mask.height / 2.0));
    const int oy = static_cast<int>(std::lround(c.y + mask.width / 2.0));
    // Mask column i goes up the picture, row j to the right.
    for (int j = 0; j < mask.height; ++j)
        for (int i = 0; i < mask.width; ++i)
            canvas.Blend(ox + j, oy - i, kBlack, mask.alpha[static_cast<std::size_t>(j) * mask.width + i] / 255.0f);
}

struct FreeType {
    FreeType() {
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
    }
    ~FreeType() {
        if (library != nullptr) FT_Done_FreeType(library);
    }
    FT_Library library = nullptr;
};

// The curve with every run of points on one pixel column cut to its first, lowest, highest and
// last point: the same line on the picture, and a million blocks draw at once.
std::vector<Point> CurveOf(const std::vector<PicturePoint>& points) {
    std::vector<Point> curve;
    std::size_t k = 0;
    while (k < points.size()) {
        std::size_t end = k;
        std::size_t low = k, high = k;
        while (end < points.size() && points[end].x == points[k].x) {
            if (points[end].y < points[low].y) low = end;
            if (points[end].y > points[high].y) high = end;
            ++end;
        }
        const std::size_t keep[] = {k, std::min(low, high), std::max(low, high), end - 1};
        for (int j = 0; j < 4; ++j)
            if (j == 0 || keep[j] != keep[j - 1]) curve.push_back({double(points[keep[j]].x), double(points[keep[j]].y)});
        k = end;
    }
    return curve;
}

}  // namespace

RgbPicture DrawGraph(const GraphPlot& plot, double zoom, std::string& error) {
    const double kx = plot.factors.kx;
    const double ky = plot.factors.ky;
    // The window's client area around the picture: the labels have room around the plot.
    Canvas canvas(static_cast<int>((plot.pictureWidth + 8) * zoom), static_cast<int>((plot.pictureHeight + 2) * zoom), zoom);
    const FreeType freeType;
    const Font font(freeType.library, false, 11 * zoom);
    const Font bold(freeType.library, true, 12 * zoom);
    error.clear();
    if (!font.Ok() || !bold.Ok()) error = "no font for the labels (DejaVu Sans, Debian package fonts-dejavu-core)";

    const double left = kGraphLeft * kx;
    const double right = (kGraphLeft + kGraphWidth) * kx;
    const double top = (kGraphBottom - kGraphHeight) * ky;
    const double bottom = kGraphBottom * ky;

    // Scale lines and y labels at max, 3/4, 1/2, 1/4, min.
    const std::string* yLabels[] = {&plot.label1, &plot.label8, &plot.label2, &plot.label9, &plot.label3};
    for (int k = 0; k < 5; ++k) {
        const double y = top + (bottom - top) * k / 4.0;
        canvas.Line({left, y}, {right, y}, 0.8, kScaleGrey);
        canvas.Line({left - 5, y}, {left, y}, 1, kBlack);
        DrawText(canvas, font, *yLabels[k], 0, y - 8, left - 8, 16, Align::Right);
    }
    // x labels: MA at start, quarter points and stop.
    const std::string* xLabels[] = {&plot.label4, &plot.label10, &plot.label11, &plot.label12, &plot.label6};
    for (int k = 0; k < 5; ++k) {
        const double x = left + (right - left) * k / 4.0;
        canvas.Line({x, bottom + 4}, {x, bottom + 9}, 1, kBlack);
        DrawText(canvas, font, *xLabels[k], x - 45, bottom + 10, 90, 16, Align::Centre, false);
    }
    // Axes.
    canvas.Line({left, top - 4}, {left, bottom + 4}, 1.2, kBlack);
    canvas.Line({left, bottom + 4}, {right + 1, bottom + 4}, 1.2, kBlack);
    // The curve.
    canvas.Stroke(CurveOf(plot.points), 1.0, kCurveBlue);
    // Title, units, orbit and range.
    DrawText(canvas, bold, plot.label7, 0, 0, plot.pictureWidth, top - 6, Align::Centre);
    DrawText(canvas, bold, plot.label5, 0, bottom + 28, plot.pictureWidth, 18, Align::Centre);
    DrawTextUp(canvas, bold, plot.label13, {10, (top + bottom) / 2});
    DrawText(canvas, font, "Blocks " + std::to_string(plot.start) + " to " + std::to_string(plot.stop), right - 250, 2,
             250, 16, Align::Right);
    return std::move(canvas).Take();
}

}  // namespace orv
