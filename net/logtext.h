#pragma once

// The host's log lines: one line per event, "key=value" pairs separated by
// spaces, the first of them event=NAME, so that the journal and grep can
// pick them apart. Values come from players (names, words) and must never
// break a line in two or forge a pair, so every value goes through
// logValue().

#include <QString>
#include <QStringView>

namespace gorse {

// value as it stands when it is a plain token (letters, digits and
// .,_:/@+-), else in double quotes with \" \\ \n \r \t and \xNN for the
// other control characters; "" for an empty value.
QString logValue(QStringView value);
// " key=value", value quoted as logValue() does.
QString logPair(QStringView key, QStringView value);
QString logPair(QStringView key, qint64 value);

} // namespace gorse
