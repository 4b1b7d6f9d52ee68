#pragma once
// The drawing function of every picture. Each paints the whole surface of
// the given size as the viewer should see it (see Art.h).
#include <cairo.h>

namespace art {

// Turntable
void drawVinyl(cairo_t* cr, int w, int h);
void drawTechnics(cairo_t* cr, int w, int h);
void drawBck1(cairo_t* cr, int w, int h);
void drawPlato(cairo_t* cr, int w, int h);
void drawBrazo(cairo_t* cr, int w, int h);
void drawQuellix(cairo_t* cr, int w, int h);
void drawPresents(cairo_t* cr, int w, int h);
// Credits
void drawGlowmotion2(cairo_t* cr, int w, int h);
void drawNilo(cairo_t* cr, int w, int h);
void drawSabueso(cairo_t* cr, int w, int h);
void drawKiro(cairo_t* cr, int w, int h);
void drawIface(cairo_t* cr, int w, int h);
void drawBigCircle(cairo_t* cr, int w, int h);
void drawLogo(cairo_t* cr, int w, int h);
void drawStar(cairo_t* cr, int w, int h);
// Star tunnel
void drawTia(cairo_t* cr, int w, int h);
void drawFlower(cairo_t* cr, int w, int h);
// Dance floor
void drawFloor(cairo_t* cr, int w, int h);
void drawBola(cairo_t* cr, int w, int h);
void drawBaile1(cairo_t* cr, int w, int h);
void drawBaile2(cairo_t* cr, int w, int h);
void drawLightball(cairo_t* cr, int w, int h);
void drawLight(cairo_t* cr, int w, int h);
// End
void drawFrog(cairo_t* cr, int w, int h);
void drawBcn(cairo_t* cr, int w, int h);
void drawParty(cairo_t* cr, int w, int h);
void drawTen(cairo_t* cr, int w, int h);
void drawBcnBlur(cairo_t* cr, int w, int h);
void drawPartyBlur(cairo_t* cr, int w, int h);
void drawTenBlur(cairo_t* cr, int w, int h);
void drawBckEnd(cairo_t* cr, int w, int h);
// Font sheet
void drawFontSheet(cairo_t* cr, int w, int h);

}  // namespace art
