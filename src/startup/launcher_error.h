#pragma once
// What init and run throw to the entry point: a text shown in the
// "Installer Error" box, or a failure code (1 = init, 2 = run).

#include <string>

struct CLauncherError {
    std::string text;
};

struct CLauncherFailure {
    int code;
};
