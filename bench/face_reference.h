// The plain way to draw the held chunks, kept to measure the
// game's chunk drawing against: every visible face its own quad with atlas
// coordinates, each chunk culled whole and then quad by quad, one draw call a
// quad. It reads the blocks through the world's own neighbour lookups, not
// through the mesher.
#pragma once

// Meshes every held chunk the plain way, into buffers of the full 20000 quads.
void reference_mesh_all();
// Draws what reference_mesh_all meshed, each chunk where it lies nearest to
// the camera across the wrapping edge. The modelview holds the camera.
void reference_draw();
void reference_free();
// Quads and draw calls of the last reference_draw; bytes its meshes hold.
long reference_quads_drawn();
long reference_draw_calls();
long reference_mesh_bytes();

// The world part of a frame as the game sets it up (light towards the sun,
// fog, camera), with draw in place of the chunk pass. The sky colours, light
// and fog colour are those the last e_render computed.
void world_pass(void (*draw)());
