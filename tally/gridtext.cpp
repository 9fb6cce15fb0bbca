#include "tally/gridtext.h"

namespace gorse {

namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

QString decodeCell(const QByteArray& bytes)
{
    return QByteArrayView(bytes).isValidUtf8() ? QString::fromUtf8(bytes)
                                               : QString::fromLatin1(bytes);
}

// A count line: decimal digits only, at most nine of them.
std::optional<qint64> readCount(const QByteArray& line)
{
    if (line.isEmpty() || line.size() > 9)
        return std::nullopt;
    qint64 value = 0;
    for (char c : line) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

QByteArray SaveGridText(const StringGrid& grid)
{
    QByteArray text;
    text += QByteArray::number(grid.columns) + kLineEnd;
    text += QByteArray::number(grid.rows.size()) + kLineEnd;
    for (int column = 0; column < grid.columns && !grid.rows.isEmpty(); ++column) {
        for (const QStringList& row : grid.rows) {
            QByteArray cell = row.value(column).toUtf8();
            cell.replace('\r', ' ').replace('\n', ' ');
            text += cell + kLineEnd;
        }
    }
    return text;
}

std::optional<StringGrid> LoadGridText(const QByteArray& text, QString* error)
{
    const auto fail = [error](const QString& why) -> std::optional<StringGrid> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QByteArray body = text;
    if (body.endsWith(kLineEnd))
        body.chop(kLineEnd.size());
    const QList<QByteArray> lines = body.split('\n');
    // Every line but the last ends in CR here; the last one does not.
    QList<QByteArray> cells;
    cells.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (i + 1 < lines.size()) {
            if (!line.endsWith('\r'))
                return fail(QStringLiteral("line %1 does not end in CR LF").arg(i + 1));
            line.chop(1);
        }
        cells.append(line);
    }
    if (text.isEmpty() || cells.size() < 2)
        return fail(QStringLiteral("the text has no column and row counts"));
    const auto columns = readCount(cells[0]);
    const auto rows = readCount(cells[1]);
    if (!columns)
        return fail(QStringLiteral("the column count \"%1\" is not a number")
                        .arg(QString::fromLatin1(cells[0].left(20))));
    if (!rows)
        return fail(QStringLiteral("the row count \"%1\" is not a number")
                        .arg(QString::fromLatin1(cells[1].left(20))));
    const qint64 expected = *columns * *rows;
    const qint64 found = cells.size() - 2;
    if (expected != found) {
        return fail(QStringLiteral("it gives %1 columns and %2 rows, which is %3 cells, but "
                                   "%4 lines of cells follow")
                        .arg(*columns)
                        .arg(*rows)
                        .arg(expected)
                        .arg(found));
    }

    StringGrid grid;
    grid.columns = int(*columns);
    // A text without cells holds no rows, whatever its counts say: nothing
    // is made for the counts alone (a damaged "0" and "999999999" must not
    // ask for a billion rows).
    if (expected == 0)
        return grid;
    grid.rows.resize(*rows);
    for (QStringList& row : grid.rows)
        row.reserve(grid.columns);
    qsizetype at = 2;
    for (int column = 0; column < grid.columns; ++column) {
        for (QStringList& row : grid.rows)
            row.append(decodeCell(cells[at++]));
    }
    return grid;
}

} // namespace gorse
