#pragma once

class Menu;
class Window1;

// Start-up and shutdown: what is restored from the resources folder before the program waits for
// the user, and what is written back when it ends.
namespace startup {

// The application's opening: the project names onto the Projects items. Runs before the engine
// window reads which item is checked, so the active project's own name shows from the start.
void openApplication(Menu &menu);
// The engine window's opening: active project, preferences, the five PrintBoards, the printing
// shortcut; arms the hot-key registration.
void openEngine(Window1 &w, Menu &menu);
// The shutdown writes: the five PrintBoards, the printing shortcut, the active project. Safe to
// call more than once; each call writes the state as it is then.
void shutdown(Window1 &w);

} // namespace startup
