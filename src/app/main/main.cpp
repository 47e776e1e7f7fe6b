#include "SonorixApplication.h"

int main(int argc, char** argv)
{
    return RunSonorix(argc, argv);
}
