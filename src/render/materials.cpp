// materials.cpp — the block tables, filled when a game starts.
#include "render/materials.h"

material materials[MATERIAL_IDS];
block_tex texes[TEXTURED_IDS];

static void set_material(int id, int dig_steps, float hardness, int drop_id)
{
    materials[id].solid = 1;
    materials[id].dig_steps = dig_steps;
    materials[id].hardness = hardness;
    materials[id].drop_id = drop_id;
}

// Atlas cells by column of row 0: 0 earth, 1 rock, 2 grass top, 3 grass side.
static void set_faces(int id, int top_column, int bottom_column, int side_column)
{
    texes[id].top_u = top_column * ATLAS_CELL;
    texes[id].top_v = 0;
    texes[id].bottom_u = bottom_column * ATLAS_CELL;
    texes[id].bottom_v = 0;
    texes[id].side_u = side_column * ATLAS_CELL;
    texes[id].side_v = 0;
}

void fill_block_tables()
{
    materials[0].solid = 0;
    set_material(1, 16, 1.0f, 3);               // grass-topped earth drops earth
    set_material(2, 100500, 100500.0f, 0);      // rock: the hardness keeps it whole
    set_material(3, 12, 1.0f, 3);
    set_faces(1, 2, 0, 3);
    set_faces(2, 1, 1, 1);
    set_faces(3, 0, 0, 0);
}

static int cell_of(float coordinate)
{
    int n = (int)(coordinate / ATLAS_CELL + 0.5f);
    return n < 0 ? 0 : n >= ATLAS_EDGE ? ATLAS_EDGE - 1 : n;
}

int atlas_tile(float u, float v)
{
    return cell_of(v) * ATLAS_EDGE + cell_of(u);
}
