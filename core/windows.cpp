#include "core/windows.h"

#include <cstdio>
#include <cstdlib>

WindowEntryPoints& Windows()
{
    static WindowEntryPoints entryPoints;
    return entryPoints;
}

void EndProgram()
{
    if (Windows().endProgram)
        Windows().endProgram();
    std::fflush(nullptr);
    std::_Exit(0);
}
