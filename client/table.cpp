#include "client/table.h"

namespace gorse {

Table::Table(QObject* parent) : QObject(parent)
{
    for (int n = 1; n <= kSeatCount; ++n)
        m_seats[n - 1].number = n;
}

const Seat& Table::seat(int n) const
{
    static const Seat none;
    return isSeat(n) ? m_seats[n - 1] : none;
}

Seat* Table::find(int n)
{
    return isSeat(n) ? &m_seats[n - 1] : nullptr;
}

QStringList Table::opponents(int own) const
{
    QStringList names;
    for (const Seat& s : m_seats) {
        if (s.number != own && s.taken)
            names.append(s.name);
    }
    return names;
}

void Table::sit(int n, const QString& name)
{
    if (Seat* s = find(n)) {
        s->name = name;
        s->taken = true;
        s->heading = name + QStringLiteral(" [0]");
        emit seatsChanged();
    }
}

void Table::leave(int n)
{
    if (Seat* s = find(n)) {
        s->name.clear();
        s->taken = false;
        s->heading = QStringLiteral("<Waiting> [0]");
        emit seatsChanged();
    }
}

void Table::setScores(int n, int total, int roundPoints, const QString& bonus)
{
    if (Seat* s = find(n)) {
        s->total = total;
        s->roundPoints = roundPoints;
        s->bonus = bonus;
        emit seatsChanged();
    }
}

void Table::setTotal(int n, int total)
{
    if (Seat* s = find(n)) {
        s->total = total;
        emit seatsChanged();
    }
}

void Table::resetForGame()
{
    for (Seat& s : m_seats) {
        s.total = 0;
        s.bonus.clear();
    }
    emit seatsChanged();
}

void Table::resetForRound()
{
    for (Seat& s : m_seats) {
        s.roundPoints = 0;
        s.bonus.clear();
    }
    emit seatsChanged();
}

void Table::setWordsPlayed(int n, int words)
{
    if (Seat* s = find(n)) {
        // The name the seat had when its player last sat down or left.
        const QString name = s->taken ? s->name : QStringLiteral("<Waiting>");
        s->heading = QStringLiteral(" [") + QString::number(words) + QStringLiteral("] ") + name;
        emit seatsChanged();
    }
}

void Table::addSpy(int number, const QString& name)
{
    // A number is one connection: a repeated announcement replaces its entry.
    for (Spy& spy : m_spies) {
        if (spy.number != number)
            continue;
        if (spy.name == name)
            return;
        spy.name = name;
        emit spiesChanged();
        return;
    }
    m_spies.append(Spy{number, name});
    emit spiesChanged();
}

bool Table::removeSpy(int number, const QString& name)
{
    const qsizetype at = m_spies.indexOf(Spy{number, name});
    if (at < 0)
        return false;
    m_spies.removeAt(at);
    emit spiesChanged();
    return true;
}

} // namespace gorse
