#pragma once

#include <QByteArray>

namespace mapplot {

// The run's secret: 128 random bits from the system's generator, as 32
// lowercase hexadecimal digits.
QByteArray new_access_token();

// Whether `given` is `token`, in time that does not depend on where they
// differ, so that the token cannot be guessed a digit at a time.
bool token_matches(const QByteArray& given, const QByteArray& token);

}  // namespace mapplot
