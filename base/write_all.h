// Writing a whole buffer to a file descriptor.
#pragma once

#include <string_view>

namespace ntr {

// Writes every byte of `bytes`, going on after interrupted or partial writes;
// false on the first real failure.
bool WriteAll(int fd, std::string_view bytes);

}  // namespace ntr
