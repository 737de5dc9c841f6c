#pragma once
// The program's version: the one place it is written. The build reads it for
// the version resource and the name of the distribution archive; the About box
// shows it after the title. Plain text, so that the resource compiler and
// CMake can read it too.

#define PIXKEEPER_VERSION_TEXT "1.04"
