#pragma once

// The tally: the player's own figures and records, and the games played
// against the opponents he follows, kept in one table of text cells of ten
// columns. Row 0 is the player's own row; row i + 1 is the opponent in
// position i of the followed list. The board feeds it through TallyHooks;
// the tally window shows the texts it holds and forwards clicks to it.

#include "client/tallyhooks.h"
#include "tally/gridtext.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace gorse {

class Tally : public QObject, public TallyHooks
{
    Q_OBJECT
public:
    static constexpr int kColumns = 10;
    // The word addgame is given when the player himself won.
    static inline const QString kOwnWin = QStringLiteral("addtomine");

    // The names of the other players of the current game, seats 1 to 6 in
    // order, without the own seat and without empty seats.
    using PlayersSource = std::function<QStringList()>;

    explicit Tally(QObject* parent = nullptr);

    void setPlayersSource(PlayersSource source) { m_players = std::move(source); }

    // ---- the board's calls ----
    int recordValue(int column) const override;
    void addword(const QString& text, int number, int column) override;
    void anotherword(int column) override;
    void addgame(const QString& winner) override;

    // ---- the table ----
    // Adds 1 to the number in a cell (text that is no number counts as 0),
    // stores it and returns it.
    int addit(int column, int row);
    // addit on the own row, shown in that column's own label.
    void addtomine(int column);
    // Removes a row; later rows move up. The own row is never dropped.
    void moverow(int row);
    int rowCount() const { return int(m_table.size()); }
    QString cell(int column, int row) const { return m_table.value(row).value(column); }
    // The table as stored in the tally file.
    StringGrid grid() const;
    // Fills the tally from a stored table (after a successful read). The
    // session counts start again from 0. Returns false, leaving the tally as
    // it was, when the table has no own row.
    bool loadtally(const StringGrid& grid);

    // ---- what the window shows ----
    // The own figures: columns 1, 2, 3, 5, 7 and 8 ("Total Games:", "Your
    // Wins:", "Longest Word:", "Best Scoring:", "Total Words:", "Turn Score:").
    QString mylabel(int column) const { return m_mylabel.at(column); }
    // label_1 to label_8: the selected opponent's counts.
    QString label(int n) const { return m_label.at(n); }
    QString hisname() const { return m_hisname; }
    QString hisnametop() const { return m_hisnametop; }
    // listbox_tally: the followed opponents, in row order.
    QStringList followed() const;
    // The followed opponent whose counts the panel shows, or -1.
    int selected() const { return m_selected; }
    // checklist: the other players of the current game.
    const QStringList& checklist() const { return m_checklist; }
    // Whether a name is followed; letter case does not matter.
    bool isFollowed(const QString& name) const { return followedIndex(name) >= 0; }

    // ---- the window's actions ----
    // Fills checklist with the other players of the current game.
    void loadchecklist();
    // A click on the check box of checklist item index: starts following
    // that player unless he is followed already.
    void checklistClickCheck(int index);
    // The question asked before following stops for list position index.
    QString unfollowQuestion(int index) const;
    // Stops following the opponent at list position index (confirmed).
    void unfollow(int index);
    // A click on a followed opponent: the panel shows his counts.
    void listbox_tallyClick(int index);
    static QString resetQuestion();
    // Resets every figure and forgets every opponent (confirmed).
    void reset();

signals:
    // Something the window shows changed.
    void changed();
    // The tally changed in a way worth keeping at once: a game was counted,
    // an opponent followed or dropped, or everything reset.
    void saveNeeded();

private:
    int followedIndex(const QString& name) const;
    void showOpponent(int index);
    QString& at(int column, int row) { return m_table[row][column]; }

    PlayersSource m_players;
    QList<QStringList> m_table;
    std::array<int, kColumns> m_record{}; // used at 3, 5 and 8
    std::array<QString, kColumns> m_mylabel;
    std::array<QString, 9> m_label; // 1..8
    QString m_hisname;
    QString m_hisnametop;
    int m_selected = -1;
    QStringList m_checklist;
};

} // namespace gorse
