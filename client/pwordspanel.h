#pragma once

#include "game/rules.h"

#include <QFrame>
#include <array>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QToolButton;

namespace gorse {

class Board;
class ClientSession;

// The played-words panel (panel_pwords) shown over the board after a round:
// every seat's heading and list of words, and a close button.
class PwordsPanel : public QFrame
{
    Q_OBJECT
public:
    // board and session are not owned.
    PwordsPanel(Board* board, ClientSession* session, QWidget* parent = nullptr);

    // Shows the board's lists and the seats' headings.
    void refresh();

    // The meaning of a word, shown when the pointer rests on it in a list.
    using Definer = std::function<QString(const QString& word)>;
    void setDefiner(Definer define) { m_define = std::move(define); }
    // The word of a list line ("25: QUIZ" gives "QUIZ"), or empty for the
    // lines that are no word ("This Turn: 40", " -5 for discards").
    static QString wordOfLine(const QString& line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Board* m_board;           // not owned
    ClientSession* m_session; // not owned
    QToolButton* m_close;
    QLabel* m_suggestion = nullptr;
    QLabel* m_nextRound;
    std::array<QLabel*, kSeatCount> m_headings{};
    std::array<QPlainTextEdit*, kSeatCount> m_memos{};
    Definer m_define;
};

} // namespace gorse
