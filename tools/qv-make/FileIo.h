#pragma once
// Whole-file reading and writing with messages that say which file and why.
#include <cstdint>
#include <string>

namespace vis::make {

// Raises MakeError naming the file: missing, a folder, unreadable, or larger than maxBytes.
std::string ReadInputFile(const std::string& path, std::uintmax_t maxBytes);
// Creates or truncates the file and writes every byte; raises MakeError when that fails.
void WriteOutputFile(const std::string& path, const std::string& bytes);

} // namespace vis::make
