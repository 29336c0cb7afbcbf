// physics.h — the player table, the fixed 16 ms physics step, the camera in
// walk and fly mode, and the play clock.
#pragma once
#include <cstdint>

constexpr int PLAYERS = 256;   // record 0 is the local player; no other is ever made active

struct player {
    double x, y, z;              // z is the height of the feet
    double vel_x, vel_y;         // blocks per step, subtracted from the position
    double vel_z;                // blocks per step, positive downward
    float rot_x, rot_y;          // pitch and yaw, degrees
    int32_t player_value;
    int32_t height;              // body height in blocks
    int32_t active;
    int32_t on_ground;
    int32_t pick_valid;          // the view ray hit a block this step
    int32_t pick_lx, pick_ly, pick_lz;
    int32_t pick_cx, pick_cy, pick_level;
    int32_t dig_cx, dig_cy, dig_level;
    int32_t dig_lx, dig_ly, dig_lz;
    int32_t front_lx, front_ly, front_lz;   // last empty ray sample before the picked block
    int32_t cell_cx, cell_cy, cell_level;   // the player's own chunk and block, this step
    int32_t cell_lx, cell_ly, cell_lz;
    float dig_left;              // strokes still needed on the block being dug
    int32_t dig_timer;           // steps until the next stroke
    int32_t dig_button;          // left button held in a game
    int32_t place_request;       // right button pressed: one placing attempt pending
    int32_t front_cx, front_cy, front_level;   // chunk of the front cell, which may differ from the pick's
};

extern player gamer[PLAYERS];
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
// Chunk column and local index of a horizontal position (either axis).
int cell_chunk(double v);
int cell_local(double v, int chunk);
