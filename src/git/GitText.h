#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

// Decoding and number rules shared by the git parsers.

// The bytes as UTF-8, or nothing when they are not valid UTF-8.
std::optional<QString> decodeUtf8(QByteArrayView bytes);
// A decimal integer with an optional sign and nothing else around it.
std::optional<qint64> parseDecimal(QStringView text);
// Seconds since 1970 as git prints them: a finite floating-point number in the C locale that
// uses up the whole field; empty fields and fields starting with white space are refused.
std::optional<double> parseSeconds(QStringView text);
// The point in time that many seconds after 1970-01-01 UTC.
QDateTime dateFromSeconds(double seconds);
// Only hexadecimal digits, at least one: what git prints for a commit's hash.
bool isHexHash(QStringView text);
