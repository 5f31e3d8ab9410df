// Names matched against a search pattern by the Windows rules.
#pragma once

#include <string_view>

namespace zelmo::posix {

// Whether the pattern holds "*" or "?".
bool HAS_WILDCARDS(std::string_view pattern);

// Whether name matches pattern, a to z folded: "*" any run of characters,
// "?" exactly one, and a "." followed only by "*" also matches where the name
// has ended, so "*.*" takes every name and "ABC.*" takes ABC; a "*" right
// before a closing "." takes no dot, so "*." takes the names without one. A name holding
// "\" cannot be named in the tool's path syntax and never matches.
bool NAME_MATCHES(std::string_view pattern, std::string_view name);

// Whether two names are equal with a to z folded.
bool SAME_NAME(std::string_view a, std::string_view b);

}  // namespace zelmo::posix
