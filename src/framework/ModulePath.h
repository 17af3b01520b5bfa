#pragma once
#include "framework/AppPaths.h"

// The running executable's own path (GetModuleFileNameW into a 260-unit buffer), split into folder and file name.
ExecutablePath CurrentExecutablePath();
