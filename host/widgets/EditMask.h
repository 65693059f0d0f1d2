#pragma once

#include <QString>

// The platform's edit mask ("mask;keepLiterals;blank", e.g. "99/9999 ;1; ") as a Qt input
// mask ("00/0000; "). The digit characters are swapped between the two (platform 0 = required
// digit, 9 = optional; Qt the other way round), letters and alphanumerics use other letters,
// and the keep-literals flag has no Qt counterpart (a Qt line edit's text always holds the
// literals). Trailing blanks of the mask part are dropped: they would only pad the value.
QString qtInputMask(const QString& platformMask);
