#include "Cli.h"

int main(int argc, char** argv)
{
    return lumex::cli::Run(argc, argv);
}
