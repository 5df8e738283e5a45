#pragma once

#include <functional>

// The windows behind the entry points of core/windows.h.
void InstallWindowEntryPoints();

// The whole program: the application, the windows' entry points, the start
// and the event loop. atStart runs once the application exists, before the
// start opens anything (the benchmark's start probe watches from there).
int RunProgram(int argc, char** argv, const std::function<void()>& atStart = {});
