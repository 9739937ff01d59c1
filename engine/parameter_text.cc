// Display text of parameter values: two truncated decimals, computed in
// double arithmetic exactly as the hosts and the page have always shown them.
// Pure functions of the constant table; safe on any thread.
#include <math.h>

#include "engine/parameter_table.h"

namespace {

// Plain values at or above this magnitude have more integer digits than a
// readable display (and the 128-unit buffer) can take; they read "inf".
constexpr double kLargestShown = 1e120;

char16_t digit_unit(double quotient) {
    // Repeated multiplication by 10 and 0.1 is inexact for long numbers; keep
    // every written unit a decimal digit whatever the rounding did.
    double d = trunc(quotient);
    if (!(d >= 0.0))
        d = 0.0;
    if (d > 9.0)
        d = 9.0;
    return static_cast<char16_t>(u'0' + static_cast<int>(d));
}

size_t write_ascii(char16_t* out, size_t at, const char* text) {
    while (*text)
        out[at++] = static_cast<char16_t>(*text++);
    return at;
}

} // namespace

// [any thread]
bool formatValue(uint32_t index, double normalized, char16_t* buffer) {
    if (!buffer)
        return false;
    buffer[0] = 0;
    if (!parameter_record(index))
        return false;
    double x = normalizedToPlain(index, normalized);
    size_t n = 0;
    if (isnan(x)) {
        n = write_ascii(buffer, n, "nan");
        buffer[n] = 0;
        return true;
    }
    if (x < 0.0) {
        buffer[n++] = u'-';
        x = -x;
    }
    if (x >= kLargestShown) {
        n = write_ascii(buffer, n, "inf");
        buffer[n] = 0;
        return true;
    }
    if (x < 1.0) {
        buffer[n++] = u'0';
    } else {
        double e = 1.0;
        while (x >= e)
            e = e * 10.0;
        e = e * 0.1;
        while (e >= 1.0) {
            const char16_t unit = digit_unit(x / e);
            buffer[n++] = unit;
            x = x - static_cast<double>(unit - u'0') * e;
            e = e * 0.1;
        }
    }
    buffer[n++] = u'.';
    const char16_t d1 = digit_unit(x / 0.1);
    buffer[n++] = d1;
    // The divisor is the double product 0.1 * 0.1, not the double nearest 0.01.
    buffer[n++] = digit_unit((x - static_cast<double>(d1 - u'0') * 0.1) / 0.010000000000000002);
    buffer[n] = 0;
    return true;
}

// [any thread]
double parseValue(uint32_t index, const char16_t* text) {
    const ParameterRecord* r = parameter_record(index);
    if (!r)
        return 0.0;
    double sum = 0.0;
    bool negative = false;
    if (text) {
        const char16_t* p = text;
        if (*p == u'-') {
            negative = true;
            ++p;
        }
        for (; *p >= u'0' && *p <= u'9'; ++p)
            sum = sum * 10.0 + static_cast<double>(*p - u'0');
    }
    const double value = negative ? -sum : sum;
    // The exponential mapping has no normalized value for 0 or below: such a
    // text means the bottom of the range rather than -inf or NaN.
    if ((r->flags & kParamLogarithmic) && !(value > 0.0))
        return 0.0;
    return plainToNormalized(index, value);
}
