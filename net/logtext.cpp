#include "net/logtext.h"

#include <algorithm>

namespace gorse {

namespace {

bool plain(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'.' || c == u',' || c == u'_' || c == u':' || c == u'/' || c == u'@' ||
           c == u'+' || c == u'-';
}

} // namespace

QString logValue(QStringView value)
{
    if (!value.isEmpty() && std::all_of(value.begin(), value.end(), plain))
        return value.toString();
    QString quoted;
    quoted.reserve(value.size() + 2);
    quoted += u'"';
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'"':
            quoted += QLatin1String("\\\"");
            break;
        case u'\\':
            quoted += QLatin1String("\\\\");
            break;
        case u'\n':
            quoted += QLatin1String("\\n");
            break;
        case u'\r':
            quoted += QLatin1String("\\r");
            break;
        case u'\t':
            quoted += QLatin1String("\\t");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.category() == QChar::Other_Control ||
                c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
                quoted += c.unicode() < 0x100
                              ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                              : QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                quoted += c;
        }
    }
    quoted += u'"';
    return quoted;
}

QString logPair(QStringView key, QStringView value)
{
    return u' ' + key.toString() + u'=' + logValue(value);
}

QString logPair(QStringView key, qint64 value)
{
    return u' ' + key.toString() + u'=' + QString::number(value);
}

} // namespace gorse
