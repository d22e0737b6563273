#include <csignal>
#include <iostream>
#include <string_view>
#include <vector>

#include "tools/cli.h"

int main(int argc, char** argv) {
    // Past a file-size limit a write fails, and the file is left as it was,
    // instead of the signal ending the tool with the file half written.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string_view> arguments(argc > 0 ? argv + 1 : argv, argv + argc);
    return velmora::cli::run(arguments, std::cout, std::cerr);
}
