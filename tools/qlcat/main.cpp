#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "tools/qlcat/QLCatTool.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return RunQLCat(args, std::cout, std::cerr, isatty(fileno(stderr)) != 0);
}
