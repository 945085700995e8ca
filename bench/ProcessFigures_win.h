#pragma once

#include <string>

// Whole-process figures of quenlow_process_bench that have files of their own. Each takes the
// program's arguments, the counted rounds and the label added to its figures' names, prints its
// figures and returns the exit status.
namespace quenlow::bench {

// list-window: a list window on screen with its list against the bare WMI list program.
int RunListOnScreen(int argc, wchar_t** argv, int rounds, const std::string& label);

// many-start: a ticked start of services that start at once against the bare WMI command program.
int RunManyStart(int argc, wchar_t** argv, int rounds, const std::string& label);

// responsiveness: how long the program's windows take to answer during a wait.
int RunResponsiveness(int argc, wchar_t** argv, int rounds, const std::string& label);

} // namespace quenlow::bench
