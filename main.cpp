#include "program/Program.h"

int main(int argc, char *argv[])
{
    return levyc::RunProgram(argc, argv);
}
