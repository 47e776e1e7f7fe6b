// sonorix-cli: batch analysis of recordings and segments without a display.
#include "CliCommands.h"
#include "LargeBuffer.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    MapLargeAllocations();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    // A core application only: the settings store needs Qt's paths, never a display. A report's
    // fonts need the gui part, which runs here on the offscreen platform, so still no display.
    const bool report = std::any_of(args.begin(), args.end(), [](const std::string& a) {
        return a == "--report" || a.rfind("--report=", 0) == 0;
    });
    std::unique_ptr<QCoreApplication> app;
    char option[] = "-platform", platform[] = "offscreen";
    char* guiArgv[] = {argv[0], option, platform, nullptr};
    int guiArgc = 3;
    if (report)
        app = std::make_unique<QGuiApplication>(guiArgc, guiArgv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    return RunCli(args, std::cout, std::cerr);
}
