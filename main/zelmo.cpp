#include "main/zelmo.h"

#include "platform/process.h"

namespace zelmo {

void ZELMO() { EXIT_PROCESS(0); }

}  // namespace zelmo
