#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace base {

// Number texts that read and write alike in every locale. The desktop toolkit takes the locale,
// LC_NUMERIC included, from the environment at start-up, so the C library's own formatting and
// reading would turn 0.5 into "0,5" and read "0.5" as 0. These functions always use '.'.

// value as the C library's "%.<decimals>f" writes it in the C locale: 1.5 with 6 decimals gives
// "1.500000", with 0 decimals "2"; infinities and not-a-number give "inf", "-inf" and "nan".
std::string fixedPoint(double value, int decimals);

// The decimal number at the start of text, 0 when it starts with none: white space skipped, an
// optional sign, digits with an optional fraction (".5" and "5." count), an optional exponent;
// whatever follows is ignored ("30s" gives 30). Past the double's range it is ±infinity. Words
// such as "inf" and "nan" and hexadecimal numbers are no numbers here.
double leadingDecimal(std::string_view text);

// The whole text as a finite number of the same grammar, with nothing before or after it; none
// for any other text and for a value past the double's range.
std::optional<double> decimalFromText(std::string_view text);

}  // namespace base
