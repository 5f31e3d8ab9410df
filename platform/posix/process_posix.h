// The POSIX entry hands the process's arguments to the platform layer.
#pragma once

namespace zelmo {

void SET_ARGUMENTS(int argc, char** argv);

}  // namespace zelmo
