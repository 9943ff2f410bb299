#pragma once
// Fills "%s" placeholders in order, as the system's format strings expect ("%%" is a percent sign).
#include <initializer_list>
#include <string>
#include <string_view>

namespace lantervo {

std::string FormatText(std::string_view format, std::initializer_list<std::string_view> args);

}  // namespace lantervo
