#pragma once
#include "framework/AppPaths.h"

// The running executable's own path (GetModuleFileNameW, however long), split into folder and file name.
ExecutablePath CurrentExecutablePath();
