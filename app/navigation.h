#pragma once

// Turns and moves the camera one step for every navigation key held.
// Never clears key_down: held keys act on every idle pass.
void navigate_camera();
