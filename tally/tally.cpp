#include "tally/tally.h"

namespace gorse {

namespace {

const QString kZero = QStringLiteral("0");
const QString kNone = QStringLiteral("None");

QStringList zeroRow()
{
    return QStringList(Tally::kColumns, kZero);
}

bool isRecordColumn(int column)
{
    return column == TallyHooks::kLongestWord || column == TallyHooks::kBestWord ||
           column == TallyHooks::kTurnScore;
}

QString recordCaption(const QString& text, const QString& number)
{
    return text + QStringLiteral(" (") + number + u')';
}

} // namespace

Tally::Tally(QObject* parent) : QObject(parent)
{
    m_table.append(zeroRow());
    m_mylabel.fill(kZero);
    m_mylabel[kLongestWord] = kNone;
    m_mylabel[kBestWord] = kNone;
    m_label.fill(kZero);
    m_hisname = QStringLiteral("XX Wins:");
}

int Tally::recordValue(int column) const
{
    return isRecordColumn(column) ? m_record[column] : 0;
}

int Tally::addit(int column, int row)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns)
        return 0;
    const int value = cell(column, row).toInt() + 1;
    at(column, row) = QString::number(value);
    return value;
}

void Tally::addtomine(int column)
{
    const int value = addit(column, 0);
    if (column > 0 && column < kColumns)
        m_mylabel[column] = QString::number(value);
    emit changed();
}

void Tally::anotherword(int column)
{
    addtomine(column);
}

void Tally::addword(const QString& text, int number, int column)
{
    if (!isRecordColumn(column))
        return;
    const QString value = QString::number(number);
    at(column, 0) = text;
    at(column + 1, 0) = value;
    m_mylabel[column] = recordCaption(text, value);
    m_record[column] = number;
    emit changed();
}

void Tally::addgame(const QString& winner)
{
    loadchecklist();
    addtomine(1);
    const bool ownWin = winner == kOwnWin;
    if (ownWin)
        m_mylabel[2] = QString::number(addit(2, 0));
    for (const QString& name : std::as_const(m_checklist)) {
        const int index = followedIndex(name);
        if (index < 0)
            continue;
        const int row = index + 1;
        for (int column = 1; column <= 8; ++column) {
            if (cell(column, row).isEmpty())
                at(column, row) = kZero;
        }
        addit(1, row);
        addit(5, row);
        // The winner's name is compared exactly; the list lookup above is not.
        const int wins = cell(0, row) == winner ? 2 : ownWin ? 3 : 4;
        addit(wins, row);
        addit(wins + 4, row);
    }
    if (m_selected >= 0)
        showOpponent(m_selected);
    emit changed();
    emit saveNeeded();
}

void Tally::moverow(int row)
{
    if (row < 1 || row >= rowCount())
        return;
    m_table.removeAt(row);
}

StringGrid Tally::grid() const
{
    return StringGrid{kColumns, m_table};
}

bool Tally::loadtally(const StringGrid& grid)
{
    if (grid.rows.isEmpty())
        return false;
    m_table = grid.rows;
    for (QStringList& row : m_table)
        row.resize(kColumns);
    m_mylabel[1] = cell(1, 0);
    m_mylabel[2] = cell(2, 0);
    m_mylabel[7] = cell(7, 0);
    for (int column : {kLongestWord, kTurnScore, kBestWord}) {
        const QString number = cell(column + 1, 0);
        if (number.isEmpty())
            continue;
        m_record[column] = number.toInt();
        m_mylabel[column] = recordCaption(cell(column, 0), number);
    }
    // Session counts start from zero in every run.
    for (int row = 1; row < rowCount(); ++row) {
        for (int column = 5; column <= 8; ++column)
            at(column, row) = kZero;
    }
    m_selected = -1;
    emit changed();
    return true;
}

QStringList Tally::followed() const
{
    QStringList names;
    for (int row = 1; row < rowCount(); ++row)
        names.append(cell(0, row));
    return names;
}

int Tally::followedIndex(const QString& name) const
{
    for (int row = 1; row < rowCount(); ++row) {
        if (cell(0, row).compare(name, Qt::CaseInsensitive) == 0)
            return row - 1;
    }
    return -1;
}

void Tally::loadchecklist()
{
    m_checklist = m_players ? m_players() : QStringList();
    emit changed();
}

void Tally::checklistClickCheck(int index)
{
    if (index >= 0 && index < m_checklist.size() && !isFollowed(m_checklist[index])) {
        QStringList row = zeroRow();
        row[0] = m_checklist[index];
        m_table.append(row);
        emit saveNeeded();
    }
    // Also when nothing changed: the window puts the check box back.
    emit changed();
}

QString Tally::unfollowQuestion(int index) const
{
    return QStringLiteral("This will delete ") + cell(0, index + 1) +
           QStringLiteral("'s Tally, Are you want to delete it?");
}

void Tally::unfollow(int index)
{
    if (index < 0 || index + 1 >= rowCount())
        return;
    moverow(index + 1);
    // The panel keeps showing what it showed; only the selection moves.
    if (m_selected == index)
        m_selected = -1;
    else if (m_selected > index)
        --m_selected;
    emit changed();
    emit saveNeeded();
}

void Tally::listbox_tallyClick(int index)
{
    if (index < 0 || index + 1 >= rowCount())
        return;
    m_selected = index;
    showOpponent(index);
    emit changed();
}

void Tally::showOpponent(int index)
{
    const int row = index + 1;
    for (int n = 1; n <= 8; ++n)
        m_label[n] = cell(n, row);
    m_hisname = cell(0, row) + QStringLiteral(" Wins:");
    m_hisnametop = cell(0, row) + QStringLiteral("'s Tally");
}

QString Tally::resetQuestion()
{
    return QStringLiteral("Are you sure you want to reset the Tally?");
}

void Tally::reset()
{
    // Every own figure and record starts again, with or without opponents.
    m_table = {zeroRow()};
    for (int column : {1, 2, 3, 5, 7, 8})
        m_mylabel[column] = kZero;
    m_record.fill(0);
    for (int n = 1; n <= 8; ++n)
        m_label[n] = kZero;
    m_selected = -1;
    emit changed();
    emit saveNeeded();
}

} // namespace gorse
