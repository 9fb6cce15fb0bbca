#pragma once

// The table of text cells as a grid text: the number of columns, the number
// of rows, then one cell per line, column by column (every row of column 0,
// then every row of column 1, ...), each line ended by CR LF. Cells are
// UTF-8; a cell that is not valid UTF-8 (written by an older copy in an
// 8-bit code page) is read as Latin-1.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace gorse {

// Rows of cells; every row has the same number of cells.
struct StringGrid
{
    int columns = 0;
    QList<QStringList> rows;

    bool operator==(const StringGrid&) const = default;
};

// The grid text of grid. A line break inside a cell would cut the text into
// lines that no longer match the counts, so it is written as a space.
QByteArray SaveGridText(const StringGrid& grid);

// Reads a grid text. Returns nothing and sets error when the counts at the
// top are not numbers or do not match the lines that follow.
std::optional<StringGrid> LoadGridText(const QByteArray& text, QString* error = nullptr);

} // namespace gorse
