#pragma once
// Drawing helpers shared by the artwork: colours, the two faces, text placement and the
// few surface finishes (brushed plate, bevels, lamps) the whole product is built from.
#include <cairo.h>

#include <string>

namespace art {

struct Rgb {
    double r, g, b;  // 0 ... 1
};

constexpr Rgb rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }
Rgb mix(Rgb a, Rgb b, double t);

void setColour(cairo_t* cr, Rgb c, double alpha = 1.0);

// Product palette.
namespace colour {
inline constexpr Rgb plate = rgb(52, 50, 48);        // anodised front plate
inline constexpr Rgb plateDark = rgb(30, 29, 28);
inline constexpr Rgb engraving = rgb(200, 193, 193);  // printed legends on the plate
inline constexpr Rgb dimEngraving = rgb(130, 124, 120);
inline constexpr Rgb darkFace = rgb(24, 22, 20);      // RMS and PPM dials
inline constexpr Rgb faceInk = rgb(236, 226, 200);    // marks on the dark dials
inline constexpr Rgb paperInk = rgb(34, 28, 22);      // marks on the VU paper
inline constexpr Rgb redZone = rgb(200, 36, 26);
inline constexpr Rgb paperRed = rgb(160, 16, 10);  // deeper, so it reads on unlit paper too
inline constexpr Rgb amber = rgb(255, 176, 40);
inline constexpr Rgb green = rgb(90, 220, 90);
inline constexpr Rgb tape = rgb(232, 226, 204);
}  // namespace colour

enum class Weight { Regular, Bold };
enum class Align { Left, Centre, Right };

// Loads the two faces used for every legend; false when a file cannot be read.
bool loadFaces(const std::string& regularPath, const std::string& boldPath);
void releaseFaces();

// Text with its baseline centre/left/right at (x, y); `size` in px.
void text(cairo_t* cr, const std::string& s, double x, double y, double size, Rgb c,
          Align align = Align::Centre, Weight weight = Weight::Bold, double alpha = 1.0);
// Text centred on (x, y) both ways (uses the ink box, so digits sit truly centred).
void centredText(cairo_t* cr, const std::string& s, double x, double y, double size, Rgb c,
                 Weight weight = Weight::Bold, double alpha = 1.0);
// Advance width of `s` in px.
double textWidth(cairo_t* cr, const std::string& s, double size, Weight weight = Weight::Bold);
// Legend that looks engraved into the plate: dark shadow above, light text.
void engraved(cairo_t* cr, const std::string& s, double x, double y, double size,
              Align align = Align::Centre, Rgb c = colour::engraving);

// "+3", "0", "-20": scale numbers with an explicit sign above zero.
std::string signedNumber(int n);

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);

// A brushed metal plate over the rectangle; `seed` keeps the grain reproducible.
void brushedPlate(cairo_t* cr, double x, double y, double w, double h, Rgb base, unsigned seed);
// A recess cut into the plate (shadow top-left, highlight bottom-right).
void recess(cairo_t* cr, double x, double y, double w, double h, double radius, Rgb fill);
// A raised key cap, lighter on top.
void keyCap(cairo_t* cr, double x, double y, double w, double h, double radius, Rgb base,
            bool pressed = false);
// A round lamp of radius r at (x, y); `glow` 0 = dark glass, 1 = fully lit.
void lamp(cairo_t* cr, double x, double y, double r, Rgb lit, double glow);
// A slotted screw head.
void screw(cairo_t* cr, double x, double y, double r, double slotAngle);

}  // namespace art
