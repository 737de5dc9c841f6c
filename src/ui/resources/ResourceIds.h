#pragma once
// Resource numbers, shared by the resource script and the program.

#define PIXKEEPER_ICON 1
