#pragma once

// The table as this client knows it: who sits in the six seats with their
// scores, and the spies watching. The client session changes it as the
// host's messages arrive (logins, departures, scores) and announces every
// change; windows read it and format what they show.

#include "game/rules.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

namespace gorse {

struct Seat
{
    int number = 0;
    QString name; // as the host announced it (may be empty)
    bool taken = false;
    int total = 0;       // the game's total (TOTAL)
    int roundPoints = 0; // this round's points (TURN)
    QString bonus;       // the last change: "+25", "-5" or nothing (WORD)
    // The played-words heading: "[0] <WAITING>" before anybody sat here,
    // "Ann [0]" once Ann sits, " [3] Ann" after a round in which she played
    // three words, "<Waiting> [0]" once she left.
    QString heading = QStringLiteral("[0] <WAITING>");

    // The name shown on the seat's label: "<Waiting>" while it is empty.
    QString shownName() const { return taken ? name : QStringLiteral("<Waiting>"); }
};

struct Spy
{
    int number = 0;
    QString name;
    // The spy list's item: "7: Ann".
    QString itemText() const { return QString::number(number) + QStringLiteral(": ") + name; }
    bool operator==(const Spy&) const = default;
};

class Table : public QObject
{
    Q_OBJECT
public:
    explicit Table(QObject* parent = nullptr);

    // Seat n (1..6); any other number gives an empty seat.
    const Seat& seat(int n) const;
    const QList<Spy>& spies() const { return m_spies; }

    // The other players of the game, for the tally: the names of the taken
    // seats 1..6 in order, without seat `own`.
    QStringList opponents(int own) const;

    // ---- changes, each announced by seatsChanged() or spiesChanged() ----
    void sit(int n, const QString& name);
    // The seat's player left; the scores stay with the seat.
    void leave(int n);
    void setScores(int n, int total, int roundPoints, const QString& bonus);
    void setTotal(int n, int total);
    // A new game: every total 0 and no bonus. A new round: every round's
    // points 0 and no bonus.
    void resetForGame();
    void resetForRound();
    // After a round: seat n's heading counts the words it played.
    void setWordsPlayed(int n, int words);
    // Adds a spy, or renames the one listed under that number.
    void addSpy(int number, const QString& name);
    // Removes the spy with that number and name; false when there is none.
    bool removeSpy(int number, const QString& name);

signals:
    void seatsChanged();
    void spiesChanged();

private:
    Seat* find(int n);

    std::array<Seat, kSeatCount> m_seats;
    QList<Spy> m_spies;
};

} // namespace gorse
