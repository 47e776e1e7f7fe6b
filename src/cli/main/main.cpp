// sonorix-cli: batch analysis of recordings and segments without a display.
#include "CliCommands.h"

#include <QCoreApplication>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    // A core application only: the settings store needs Qt's paths, never a display.
    QCoreApplication app(argc, argv);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    return RunCli(args, std::cout, std::cerr);
}
