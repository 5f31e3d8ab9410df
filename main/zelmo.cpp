#include "main/zelmo.h"

#include "main/driver.h"
#include "main/params.h"
#include "main/runstate.h"
#include "platform/process.h"

namespace zelmo {

void ZELMO() {
  INSTALL_INTERRUPT_HANDLERS();
  START_UP();
  PARAMETER_LOOP(PARAMETERS());
  RUN_DRIVER();
}

}  // namespace zelmo
