#include "tools/imagetool/ItemPictures.h"

#include "tools/imagetool/Canvas.h"
#include "tools/imagetool/ProceduralImage.h"

#include <algorithm>

#include <cmath>

namespace
{

constexpr uint32_t kSkyTop = 0xFF5F8FC8;
constexpr uint32_t kSkyLow = 0xFFB8D4EC;
constexpr uint32_t kGrassTop = 0xFF6C8C48;
constexpr uint32_t kGrassLow = 0xFF4A6632;
constexpr uint32_t kTyre = 0xFF1E1E1E;
constexpr uint32_t kSteel = 0xFFB4B4B8;

Picture Blank(uint32_t width, uint32_t height)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.texels.assign(size_t(width) * height, 0xFF000000u);
    return picture;
}

void Wheel(Canvas& canvas, double cx, double cy, double r)
{
    canvas.Ellipse(cx, cy, r, r, kTyre);
    canvas.Ellipse(cx, cy, r * 0.62, r * 0.62, kSteel);
    for (int spoke = 0; spoke < 6; ++spoke)
    {
        const double a = spoke * 3.14159265358979 / 3.0;
        canvas.Line(cx, cy, cx + std::cos(a) * r * 0.6, cy + std::sin(a) * r * 0.6, std::max(1.0, r * 0.08),
                    0xFF707074);
    }
    canvas.Ellipse(cx, cy, r * 0.18, r * 0.18, 0xFF505054);
}

} // namespace

Picture ItemPictures::Motorcycle(uint32_t width, uint32_t height, uint32_t paint)
{
    Picture picture = Blank(width, height);
    Canvas canvas(picture);
    canvas.Sky(kSkyTop, kSkyLow, 0.62, kGrassTop, kGrassLow);
    // Laid out on a 100 by 60 grid, scaled to the picture; the bike faces right.
    const double sx = width / 100.0;
    const double sy = height / 60.0;
    const double s = std::min(sx, sy);
    const double ox = (width - 100.0 * s) / 2.0;
    const double oy = (height - 60.0 * s) / 2.0;
    auto X = [&](double x) { return ox + x * s; };
    auto Y = [&](double y) { return oy + y * s; };
    const double r = 11.0 * s;
    const double rearX = X(24), frontX = X(76), hubY = Y(44);
    Wheel(canvas, rearX, hubY, r);
    Wheel(canvas, frontX, hubY, r);
    const double tube = 2.2 * s;
    // Frame: swing arm, down tube, the engine block between the wheels, the fork raked forward.
    canvas.Line(rearX, hubY, X(46), Y(38), tube, 0xFF3C3C40);
    canvas.Line(X(46), Y(38), X(64), Y(22), tube, 0xFF3C3C40);
    canvas.Polygon({{X(40), Y(32)}, {X(56), Y(32)}, {X(54), Y(44)}, {X(42), Y(44)}}, 0xFF58585C);
    canvas.Line(frontX, hubY, X(66), Y(18), tube * 1.2, kSteel);
    // Exhaust under the seat, to the back.
    canvas.Line(X(42), Y(42), X(18), Y(36), tube * 1.1, 0xFF9A9AA0);
    // Tank, seat and tail in the paint.
    canvas.Polygon({{X(44), Y(26)}, {X(64), Y(22)}, {X(62), Y(32)}, {X(44), Y(33)}}, paint);
    canvas.Polygon({{X(22), Y(27)}, {X(44), Y(26)}, {X(44), Y(31)}, {X(26), Y(32)}}, 0xFF282828);
    canvas.Polygon({{X(16), Y(26)}, {X(24), Y(26)}, {X(26), Y(32)}, {X(18), Y(32)}}, paint);
    // Front mudguard and headlight.
    canvas.Line(X(68), Y(31), X(84), Y(31), tube, paint);
    canvas.Ellipse(X(69), Y(21), 3.0 * s, 3.0 * s, 0xFFFFF0B0);
    // The rider: legs to the peg, body leaning to the bars, helmet.
    const uint32_t suit = 0xFF2850A0;
    canvas.Line(X(38), Y(24), X(50), Y(30), 4.5 * s, suit);
    canvas.Line(X(50), Y(30), X(46), Y(40), 3.5 * s, suit);
    canvas.Line(X(38), Y(24), X(50), Y(10), 5.5 * s, suit);
    canvas.Line(X(50), Y(12), X(64), Y(18), 3.0 * s, suit);
    canvas.Ellipse(X(53), Y(6), 4.5 * s, 4.5 * s, 0xFFE8E8E8);
    canvas.Rect(X(55), Y(4), X(57.8), Y(8), 0xFF303848);
    return picture;
}

Picture ItemPictures::Barrel(uint32_t width, uint32_t height)
{
    Picture picture = Blank(width, height);
    Canvas canvas(picture);
    canvas.Sky(kSkyTop, kSkyLow, 0.7, 0xFF8C8278, 0xFF6A625A);
    const double cx = width / 2.0;
    const double w = height * 0.32;
    const double top = height * 0.16;
    const double bottom = height * 0.86;
    const double lid = w * 0.28;
    canvas.Ellipse(cx, bottom, w * 1.15, lid * 1.1, 0xFF4A443E);
    // Shaded from the lit left edge to the dark right one in strips.
    const uint32_t red = 0xFFC0281E;
    const int strips = 12;
    for (int i = 0; i < strips; ++i)
    {
        const double a = -1.0 + 2.0 * (i + 0.5) / strips;
        const double light = 1.15 - 0.5 * (a + 1.0) / 2.0 - 0.3 * a * a;
        canvas.Rect(cx - w + 2.0 * w * i / strips, top, cx - w + 2.0 * w * (i + 1) / strips, bottom,
                    Canvas::Shade(red, light));
    }
    canvas.Ellipse(cx, bottom, w, lid, Canvas::Shade(red, 0.7));
    canvas.Rect(cx - w, bottom - lid, cx + w, bottom, Canvas::Shade(red, 0.85));
    canvas.Ellipse(cx, top, w, lid, Canvas::Shade(red, 1.2));
    canvas.Ellipse(cx + w * 0.45, top, w * 0.16, lid * 0.4, 0xFF701410);
    // Hoops and the hazard band: yellow and black stripes.
    for (double at : {0.28, 0.72})
        canvas.Rect(cx - w, top + (bottom - top) * at - 2, cx + w, top + (bottom - top) * at + 2, 0xFF6A1812);
    const double bandTop = top + (bottom - top) * 0.40;
    const double bandBottom = top + (bottom - top) * 0.60;
    canvas.Rect(cx - w, bandTop, cx + w, bandBottom, 0xFFF0C818);
    const double step = w / 3.0;
    for (int i = -4; i < 4; ++i)
    {
        const double x = cx + i * step;
        canvas.Polygon(
            {{x, bandBottom}, {x + step * 0.5, bandBottom}, {x + step, bandTop}, {x + step * 0.5, bandTop}},
            0xFF181818);
    }
    // Keep the stripes within the barrel's sides.
    canvas.Rect(cx - w - step * 2, bandTop, cx - w, bandBottom, 0);
    canvas.Rect(cx + w, bandTop, cx + w + step * 2, bandBottom, 0);
    Picture background = Blank(width, height);
    Canvas(background).Sky(kSkyTop, kSkyLow, 0.7, 0xFF8C8278, 0xFF6A625A);
    for (size_t i = 0; i < picture.texels.size(); ++i)
        if (picture.texels[i] == 0)
            picture.texels[i] = background.texels[i];
    return picture;
}

Picture ItemPictures::Box(uint32_t width, uint32_t height)
{
    Picture picture = Blank(width, height);
    Canvas canvas(picture);
    canvas.Sky(kSkyTop, kSkyLow, 0.7, 0xFF8C8278, 0xFF6A625A);
    const double cx = width / 2.0;
    const double side = height * 0.5;
    const double base = height * 0.9;
    const double dx = side * 0.62;
    const double dy = side * 0.3;
    const uint32_t wood = 0xFFB07A3C;
    const uint32_t edge = 0xFF6E4820;
    // Left and right faces and the top, meeting at the front corner.
    const Canvas::Point front{cx, base};
    const Canvas::Point frontTop{cx, base - side};
    const Canvas::Point left{cx - dx * 1.2, base - dy};
    const Canvas::Point right{cx + dx * 1.2, base - dy};
    const Canvas::Point leftTop{left.x, left.y - side};
    const Canvas::Point rightTop{right.x, right.y - side};
    const Canvas::Point back{cx, base - side - 2 * dy};
    canvas.Ellipse(cx, base - dy * 0.6, dx * 1.5, dy * 1.1, 0xFF4A443E);
    canvas.Polygon({left, front, frontTop, leftTop}, Canvas::Shade(wood, 0.95));
    canvas.Polygon({front, right, rightTop, frontTop}, Canvas::Shade(wood, 0.72));
    canvas.Polygon({leftTop, frontTop, rightTop, back}, Canvas::Shade(wood, 1.18));
    // Frames round each face and a diagonal brace.
    const double t = std::max(2.0, side * 0.07);
    for (const auto& [a, b] : {std::pair{left, front},
                               {front, frontTop},
                               {frontTop, leftTop},
                               {leftTop, left},
                               {front, right},
                               {right, rightTop},
                               {rightTop, frontTop},
                               {leftTop, back},
                               {back, rightTop},
                               {left, frontTop},
                               {front, rightTop}})
        canvas.Line(a.x, a.y, b.x, b.y, t, edge);
    return picture;
}

Picture ItemPictures::Ball(uint32_t width, uint32_t height)
{
    Picture picture = Blank(width, height);
    Canvas canvas(picture);
    canvas.Sky(kSkyTop, kSkyLow, 0.66, kGrassTop, kGrassLow);
    const double r = height * 0.34;
    const double cx = width / 2.0;
    const double cy = height * 0.86 - r;
    canvas.Ellipse(cx + r * 0.2, cy + r * 0.95, r * 1.0, r * 0.22, 0xFF34481F);
    // Lit from the upper left; a white band round the ball, tilted.
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            const double nx = (x + 0.5 - cx) / r;
            const double ny = (y + 0.5 - cy) / r;
            const double d2 = nx * nx + ny * ny;
            if (d2 >= 1.0)
                continue;
            const double nz = std::sqrt(1.0 - d2);
            const double light = std::max(0.0, -0.5 * nx - 0.5 * ny + 0.7 * nz);
            const bool band = std::fabs(ny * 0.94 + nx * 0.34) < 0.22;
            const uint32_t base = band ? 0xFFF0F0F0u : 0xFF2C6CD8u;
            picture.texels[size_t(y) * width + x] = Canvas::Shade(base, 0.35 + 0.75 * light);
        }
    return picture;
}

Picture ItemPictures::Yard(uint32_t width, uint32_t height)
{
    Picture picture = Blank(width, height);
    Canvas canvas(picture);
    canvas.Rect(0, 0, width, height, 0xFF587838);
    const double m = height * 0.08;
    // The walls, the sand floor inside them with tyre tracks.
    canvas.Rect(m, m, width - m, height - m, 0xFF8A8A90);
    const double wall = std::max(3.0, height * 0.04);
    canvas.Rect(m + wall, m + wall, width - m - wall, height - m - wall, 0xFFC8B48A);
    for (int i = 0; i < 5; ++i)
    {
        const double y = m + wall + (height - 2 * (m + wall)) * (i + 0.5) / 5.0;
        canvas.Line(m + wall + 4, y, width - m - wall - 4, y + (i % 2 ? 6 : -6), 1.5, 0xFFB4A078);
    }
    // A ramp: its slope lighter, rising to the right.
    const double rx = width * 0.18, ry = height * 0.3, rw = width * 0.28, rh = height * 0.2;
    canvas.Rect(rx, ry, rx + rw, ry + rh, 0xFF9C8C6C);
    for (int i = 0; i < 6; ++i)
        canvas.Rect(rx + rw * i / 6.0, ry, rx + rw * (i + 1) / 6.0, ry + rh,
                    Canvas::Shade(0xFFDCC8A0, 0.7 + 0.06 * i));
    // A launch plate, a barrel, a token and a box.
    canvas.Rect(width * 0.56, height * 0.56, width * 0.7, height * 0.74, 0xFF3C6CC8);
    canvas.Line(width * 0.58, height * 0.65, width * 0.68, height * 0.65, 2.0, 0xFFF0F0F0);
    canvas.Ellipse(width * 0.78, height * 0.3, height * 0.07, height * 0.07, 0xFFC0281E);
    canvas.Ring(width * 0.78, height * 0.3, height * 0.04, height * 0.055, 0xFFF0C818);
    canvas.Ellipse(width * 0.32, height * 0.7, height * 0.05, height * 0.05, 0xFFF0C818);
    canvas.Rect(width * 0.8, height * 0.62, width * 0.8 + height * 0.12, height * 0.74, 0xFFB07A3C);
    return picture;
}

Picture ItemPictures::Splash(uint32_t width, uint32_t height, uint32_t from, uint32_t to, bool vertical,
                             const std::string& title, const std::string& subtitle)
{
    Picture picture = ProceduralImage::Gradient(width, height, from, to, vertical);
    Canvas canvas(picture);
    // The title keeps clear of the side edges.
    const double cap = std::min(height * 0.14, width * 0.8 / (0.85 * double(title.size())));
    canvas.Text(title, width / 2.0, height * 0.38, cap, 0xFFFFFFFF, 0xFF000000, cap * 0.08);
    if (!subtitle.empty())
        canvas.Text(subtitle, width / 2.0, height * 0.38 + cap * 1.6, cap * 0.32, 0xFFF0F0F0, 0xFF000000,
                    cap * 0.03);
    return picture;
}
