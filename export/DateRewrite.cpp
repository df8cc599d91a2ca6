#include "export/DateRewrite.h"

#include "platform/AnsiText.h"
#include "platform/DateTime.h"
#include "platform/SysUtils.h"

namespace exporting {
namespace {

// Whether the first sep of the value stands after exactly two characters.
bool SeparatorAfterTwo(std::string_view value, char sep) {
    return vcl::AnsiPos(std::string_view(&sep, 1), value) == 2;
}

// The first value decides the run's input separator and whether its years
// have two digits. A value that parses neither with '/' nor with '-' ends
// the run.
void DetectInput(std::string_view value, TDateState& state) {
    state.DateFormatDetected = true;
    vcl::TDateTime unused;
    vcl::SetDateSeparator('/');
    if (vcl::TryStrToDateTime(value, unused)) {
        if (SeparatorAfterTwo(value, '/')) state.TwoDigitYear = true;
    } else {
        vcl::SetDateSeparator('-');
        vcl::StrToDateTime(value);
        if (SeparatorAfterTwo(value, '-')) state.TwoDigitYear = true;
    }
    state.InputDateSeparator = vcl::DateSeparator();
}

// A pattern with a hyphen anywhere writes '-' for its slashes too.
char OutputSeparatorFor(std::string_view pattern) {
    return vcl::AnsiPos("-", pattern) != std::string_view::npos ? '-' : '/';
}

// The first two characters of the value (a double-byte character counts as one).
std::string_view FirstTwoCharacters(std::string_view value) {
    std::size_t n = 0;
    for (int k = 0; k < 2 && n < value.size(); ++k) n += vcl::CharLength(value, n);
    return value.substr(0, n);
}

template <typename ReadPattern>
void AppendRewriteWith(std::string& out, std::string_view value, TDateState& state, const ReadPattern& readPattern) {
    if (!state.DateFormatDetected) {
        DetectInput(value, state);
        state.OutputDateSeparator = OutputSeparatorFor(readPattern());
    }

    // Two-digit years from 50 get 19 in front; below 50 the parser puts them
    // into the current century.
    std::string_view text = value;
    thread_local std::string prefixed;
    if (state.TwoDigitYear && vcl::StrToInt(FirstTwoCharacters(value)) >= 50) {
        prefixed.assign("19");
        prefixed.append(value);
        text = prefixed;
    }

    vcl::SetDateSeparator(state.InputDateSeparator);
    const vcl::TDateTime d = vcl::StrToDateTime(text);
    vcl::SetDateSeparator(state.OutputDateSeparator);
    vcl::AppendFormatDateTime(out, readPattern(), d);
}

}  // namespace

void AppendRewrite(std::string& out, std::string_view value, TDateState& state, const PatternReader& readPattern) {
    AppendRewriteWith(out, value, state, readPattern);
}

void AppendRewrite(std::string& out, std::string_view value, TDateState& state, std::string_view pattern) {
    AppendRewriteWith(out, value, state, [pattern] { return pattern; });
}

std::string Rewrite(std::string_view value, TDateState& state, const PatternReader& readPattern) {
    std::string out;
    AppendRewrite(out, value, state, readPattern);
    return out;
}

}  // namespace exporting
