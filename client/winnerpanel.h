#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

namespace gorse {

class Board;

// The winner panel (panel_winner): the winner's line in white over a grey
// shadow one pixel to the right and one higher, and the second Start button.
class WinnerPanel : public QFrame
{
    Q_OBJECT
public:
    // board is not owned.
    explicit WinnerPanel(Board* board, QWidget* parent = nullptr);

    void refresh();

private:
    Board* m_board; // not owned
    QLabel* m_text;
    QLabel* m_shadow;
    QPushButton* m_start;
};

} // namespace gorse
