// Writes the manual page: the same option table as --help, set for man(1).
#include <cstdio>
#include <fstream>

#include "app/options.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: krx8_manpage OUTPUT_FILE\n", stderr);
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << app::ManPage();
  out.close();
  return out ? 0 : 1;
}
