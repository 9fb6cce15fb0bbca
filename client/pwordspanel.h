#pragma once

#include "net/rules.h"

#include <QFrame>
#include <array>

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

private:
    Board* m_board;           // not owned
    ClientSession* m_session; // not owned
    QToolButton* m_close;
    QLabel* m_nextRound;
    std::array<QLabel*, kSeatCount> m_headings{};
    std::array<QPlainTextEdit*, kSeatCount> m_memos{};
};

} // namespace gorse
