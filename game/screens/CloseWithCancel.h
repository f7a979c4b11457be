#pragma once

class guiWindow;

// The cancel answer of the in-game and save menus: hides the window with result 2.
bool CloseWithCancel(guiWindow* window);
