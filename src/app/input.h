// input.h — keyboard and mouse: the key table polled by the main loop, the
// menu cursor, mouse look and the start of a game from the menu.
#pragma once
#include <cstdint>

extern int32_t keys[256];     // 1 while the key with that character code is held
extern int32_t sm_x, sm_y;    // pointer offset from the window centre at the last motion
extern int32_t mouse_x, mouse_y;   // pointer in the 800 x 600 menu space

// GLUT callbacks.
void Key(unsigned char key, int x, int y);
void KeyUp(unsigned char key, int x, int y);
void Special(int key, int x, int y);
void Mouse(int button, int state, int x, int y);
void PassiveMotion(int x, int y);

void send_key(int key);
void set_mouse(int x, int y);
void mouse_down(int button);
void mouse_up(int button);
