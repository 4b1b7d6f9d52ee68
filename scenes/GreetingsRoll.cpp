// The dance floor's middle sequence: "they also groove" and the names of the
// crews we greet roll down the screen beside a column of seven spinning
// stars. It draws neither floor, ball nor dancers and leaves their animation
// and clocks as they are.
#include "scenes/DanceSequences.h"

#include "base/Timer.h"

#include <GL/gl.h>

const char* const kGreetings[kGreetingCount] = {
    "Glitter Crew", "Boogie Owls",  "Satin Moths",  "Funk Lemurs",  "Disco Yetis",  "Strobe Toads",
    "Platform Elk", "Sequin Six",   "Hustle Hares", "Groove Gnus",  "Neon Newts",   "Roller Voles",
    "Afro Pixels",  "Orbit Kiwis",  "Wah Wah Yaks", "Glam Gophers", "Fuzz Otters",  "Twirl Unit",
    "Shimmy Bots",  "Loop Llamas",  "Hi-Hat Hens",  "Conga Koalas", "Zuub",         "Plimp",
    "Funkoid",      "Glitra",       "Vrumm",        "Qx",           "Bop Galaxy",   "Mirror Moles",
};

void renderGreetings(DanceStage& stage, Timer& timer) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(1.0f, 0.8f, 0.0f, 1.0f);

    // Text-frame units of roll and the stars' angle in degrees at once:
    // 0 at 70 s, 160 more every second.
    const float scroll = static_cast<float>((timer.seconds() - 70.0f) * 160.0f);

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);

    // Seven unit stars at x = 2.2, centres 0.7 apart from y = -2.2 up.
    float y = 0.0f;
    for (int star = 0; star < 7; ++star) {
        stage.starTexture.bind();
        glLoadIdentity();
        glTranslatef(2.2f, y - 2.2f, -6.0f);
        glRotatef(scroll, 0.0f, 0.0f, 1.0f);
        glCallList(stage.quadList);
        y += 0.7f;
    }

    // y falls as the roll goes on: the heading, lowest, enters at the top
    // first and leads; the names follow in list order, 50 units apart.
    stage.font.print(50.0, 100.0 - static_cast<double>(scroll), 3.0f, "they also groove", 0);
    for (int k = 0; k < kGreetingCount; ++k) {
        stage.font.print(150.0, (150.0 + 50.0 * k) - static_cast<double>(scroll), 3.0f, kGreetings[k], 0);
    }
}
