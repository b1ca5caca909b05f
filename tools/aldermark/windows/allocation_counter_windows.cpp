// A Windows plug-in allocates through its own runtime, which the host cannot interpose.
#include "tools/aldermark/allocation_counter.h"

namespace allocation_counter {

bool available() { return false; }
void begin() {}
long end() { return 0; }

}  // namespace allocation_counter
