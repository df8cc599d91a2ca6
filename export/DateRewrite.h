// Rewriting of date and timestamp values with the user's pattern. Which
// separator the driver writes, and whether its years have two digits, is
// found out on the first value of a run and then holds for every date and
// timestamp column of that run.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace exporting {

// The run's date state; a fresh one for every run.
struct TDateState {
    bool DateFormatDetected = false;  // the first value of the run has been examined
    bool TwoDigitYear = false;        // the first value began with a two-digit year
    char InputDateSeparator = '\0';   // '/' or '-', as the driver writes it
    char OutputDateSeparator = '\0';  // written for every '/' of the pattern: '-' or '/'
};

// Reads the pattern (the text of the date format box) when it is needed.
using PatternReader = std::function<std::string()>;

// Appends the rewritten text of a present value (the bytes the driver
// delivered) to out. Sets the program-wide date separator and leaves it set.
// Raises vcl::EConvertError when the value is no date under the run's
// separator, or when its two-digit year is no number.
void AppendRewrite(std::string& out, std::string_view value, TDateState& state, const PatternReader& readPattern);
// The same with a pattern read once for the run (the box cannot change while
// the run goes on).
void AppendRewrite(std::string& out, std::string_view value, TDateState& state, std::string_view pattern);
std::string Rewrite(std::string_view value, TDateState& state, const PatternReader& readPattern);

}  // namespace exporting
