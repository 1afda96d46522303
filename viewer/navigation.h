#pragma once

// Turns and moves the camera one step for every navigation key held or
// tapped since the last call. Never clears key_down: held keys act on every
// idle pass; a tap acts once.
void navigate_camera();

// The camera moved as that many steps of the movement keys would move it
// (Home, Delete, A; negative: End, Page Down, Z), from the angles it has
// now. Steps may be fractions: a gesture's distance in steps.
void move_forward(double steps);
void move_left(double steps);
void move_up(double steps);
