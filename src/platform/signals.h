#pragma once

// Makes SIGTERM, SIGINT and SIGHUP end the program through the normal quit, so that a logout, a
// `kill` or Ctrl+C in a terminal runs the same shutdown writes as the Quit command. Call once,
// after the application object exists.
namespace platform {
void quitOnTerminationSignals();
}
