#pragma once
// The tool's version and descriptive texts: one place for the version resource and for the program.
#define VOYANTA_VERSION_MAJOR 1
#define VOYANTA_VERSION_MINOR 0
#define VOYANTA_VERSION_PATCH 0
#define VOYANTA_VERSION_BUILD 0
#define VOYANTA_VERSION_TEXT "1.0.0.0"
