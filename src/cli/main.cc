// orvane: scores named-entity annotation against a reference.
#include "cli/run.h"

int main(int argc, char** argv) {
  return orvane_main(argc, argv);
}
