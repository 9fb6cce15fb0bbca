#include "client/winnerpanel.h"

#include "client/board.h"
#include "client/uistyle.h"

#include <QLabel>
#include <QPushButton>

namespace gorse {

WinnerPanel::WinnerPanel(Board* board, QWidget* parent) : QFrame(parent), m_board(board)
{
    setObjectName(QStringLiteral("panel_winner"));
    setFixedSize(382, 170);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("#panel_winner { background: black; }"));

    const QFont font = arialFont(16, true);
    const QRect line(0, 40, width(), 24);

    // The shadow first, so that the white text is drawn over it.
    m_shadow = new QLabel(this);
    m_shadow->setObjectName(QStringLiteral("label_winner2"));
    m_shadow->setFont(font);
    m_shadow->setAlignment(Qt::AlignCenter);
    m_shadow->setStyleSheet(QStringLiteral("color: grey; background: transparent;"));
    m_shadow->setGeometry(line.translated(1, -1));

    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("label_winner1"));
    m_text->setFont(font);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    m_text->setGeometry(line);

    m_start = new QPushButton(QStringLiteral("Start"), this);
    m_start->setObjectName(QStringLiteral("button_start2"));
    m_start->setGeometry((width() - 110) / 2, 100, 110, 36);
    m_start->setFont(arialFont(13, true));
    m_start->setAccessibleName(QStringLiteral("Start"));
    m_start->setAccessibleDescription(QStringLiteral("Starts a new game for everybody."));
    connect(m_start, &QPushButton::clicked, m_board, &Board::startPressed);
    refresh();
}

void WinnerPanel::refresh()
{
    setVisible(m_board->winnerShown());
    m_text->setText(m_board->winnerText());
    m_shadow->setText(m_board->winnerText());
    m_start->setVisible(m_board->startButtonsShown());
}

} // namespace gorse
