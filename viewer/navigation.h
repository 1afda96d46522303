#pragma once

// Turns and moves the camera one step for every navigation key held or
// tapped since the last call. Never clears key_down: held keys act on every
// idle pass; a tap acts once.
void navigate_camera();
