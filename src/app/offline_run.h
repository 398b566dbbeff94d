// Headless runs of the show at a fixed time step: --render (PNG frames) and --bench (figures).
#pragma once
#include "app/options.h"

// Runs the frame driver in a headless context with frame times from + k / fps seconds; returns the
// process exit code.
int runOffline(const Options& options);
