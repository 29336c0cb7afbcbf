// physics.h — the player, the fixed 16 ms physics step, the camera in walk
// and fly mode, and the play clock.
#pragma once
#include <cstdint>

extern int32_t fly_mode;     // 1 fly, 0 walk; not reset when a game starts
extern int32_t jump;         // a jump is pending
extern float gravity;
extern double world_clock;   // seconds of play; turns the sun

int e_psysix();                                // one physics step; returns 1
void movecamera(float dx, float dy, float dz);
void rotatecamera(float rx, float ry);
void fly_m(int mode);
void e_jump();
void add_to_clock(double ms);
// Clears the player table and makes record 0 the active local player.
void reset_players(int player_value);
