#pragma once

#include <functional>

// The whole program: the application object, the single-instance check, start-up, the event
// loop and, when it ends, the shutdown. `idle`, when given, runs once the event loop is running
// with start-up done (the benchmarks measure there).
int runApplication(int &argc, char **argv, const std::function<void()> &idle = {});
