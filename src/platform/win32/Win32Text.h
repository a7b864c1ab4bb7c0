#pragma once
// The core keeps text in UTF-8; Windows is called through its wide (UTF-16) functions.
#include <string>
#include <string_view>

namespace vis {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

} // namespace vis
