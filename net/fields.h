#pragma once

#include "net/messagequeue.h"

#include <QByteArray>
#include <QByteArrayView>

namespace gorse {

// Reads the fields of a message from the left, cutting at each "+". The last
// field is whatever remains. number() raises FieldError for a field that is
// not a plain decimal integer fitting in 32 bits. The views stay valid while
// the reader lives.
class Fields
{
public:
    explicit Fields(QByteArray rest) : m_text(std::move(rest)) {}
    QByteArray text() { return textView().toByteArray(); }
    QByteArrayView textView();
    int number();
    QByteArray rest();
    QByteArrayView restView() const { return QByteArrayView(m_text).sliced(m_pos); }
    bool atEnd() const { return m_pos >= m_text.size(); }

private:
    QByteArray m_text;
    qsizetype m_pos = 0;
};

// Strict decimal conversion: an optional "-", then digits, within 32 bits.
bool parseNumber(QByteArrayView text, int& value);

} // namespace gorse
