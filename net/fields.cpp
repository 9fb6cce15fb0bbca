#include "net/fields.h"

#include <algorithm>
#include <climits>

namespace gorse {

bool parseNumber(QByteArrayView text, int& value)
{
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text.at(0) == '-';
    if (negative)
        i = 1;
    if (i >= text.size() || text.size() - i > 10)
        return false;
    qint64 result = 0;
    for (; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + (c - '0');
    }
    if (negative)
        result = -result;
    if (result < INT_MIN || result > INT_MAX)
        return false;
    value = int(result);
    return true;
}

QByteArrayView Fields::textView()
{
    const QByteArrayView all(m_text);
    const qsizetype plus = all.indexOf('+', m_pos);
    QByteArrayView field;
    if (plus < 0) {
        field = all.sliced(m_pos);
        m_pos = all.size();
    } else {
        field = all.sliced(m_pos, plus - m_pos);
        m_pos = plus + 1;
    }
    return field;
}

int Fields::number()
{
    const QByteArrayView field = textView();
    int value = 0;
    if (!parseNumber(field, value))
        throw FieldError(
            "'" + field.first(std::min<qsizetype>(field.size(), 32)).toByteArray().toStdString() +
            "' is not a number");
    return value;
}

QByteArray Fields::rest()
{
    QByteArray all;
    if (m_pos == 0)
        all.swap(m_text);
    else if (m_pos < m_text.size())
        all = m_text.sliced(m_pos);
    m_text.clear();
    m_pos = 0;
    return all;
}

} // namespace gorse
