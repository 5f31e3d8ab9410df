// The subdirectory run (/S): the top directory, then every directory below
// it in the breadth-first order of the list file.
#pragma once

namespace zelmo {

void SUBDIRECTORY_RUN();

// Closes the list file and deletes it, but only when this run created it,
// so that a user's file that bears its name is never removed.
void REMOVE_LIST_FILE();

}  // namespace zelmo
