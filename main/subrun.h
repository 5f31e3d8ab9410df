// The subdirectory run (/S): the top directory, then every directory below
// it in the breadth-first order of the list file.
#pragma once

namespace zelmo {

void SUBDIRECTORY_RUN();

}  // namespace zelmo
