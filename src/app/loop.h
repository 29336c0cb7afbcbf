// loop.h — the window's callbacks and the main loop body: movement and look
// once a pass, a fixed 16 ms physics step, at most 80 frames a second, and
// the frame rate in the title once a second.
#pragma once

constexpr double PHYSICS_STEP_MS = 16.0;
constexpr int FRAME_CAP = 80;   // frames a second at most

extern float c_rot_x, c_rot_y;   // accumulated mouse-look pitch and yaw, degrees
extern double timer;             // physics time owed, milliseconds
extern int fps;

void Display();
void idle();
void Reshape(int width, int height);
void Close();
// Writes what is left of the world in play and its player; the game ends after it.
void leave_world();
// Writes the world in play and its player, lets the world go and shows the
// world list, the world just left on top.
void leave_to_title();
void setVSync(int interval);
// Starts the clocks of the loop; called once just before the main loop.
void start_clocks();
