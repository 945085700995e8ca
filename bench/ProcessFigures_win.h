#pragma once

#include "bench/Options.h"

// Whole-process figures of quenlow_process_bench that have files of their own. Each takes the
// program's options, prints its figures and returns the exit status.
namespace quenlow::bench {

// list-window: a list window on screen with its list against the bare WMI program with the same
// controls, and against the bare WMI list program.
int RunListOnScreen(const Options& options);

// many-start: a ticked start of services that start at once against the bare WMI command program.
int RunManyStart(const Options& options);

// slow-start: a ticked start of three 3-s services against the naive program doing the same job.
int RunSlowStart(const Options& options);

// responsiveness: how long the program's windows take to answer during a wait.
int RunResponsiveness(const Options& options);

} // namespace quenlow::bench
