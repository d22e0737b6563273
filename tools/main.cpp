#include <iostream>
#include <string_view>
#include <vector>

#include "tools/cli.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argc > 0 ? argv + 1 : argv, argv + argc);
    return velmora::cli::run(arguments, std::cout, std::cerr);
}
