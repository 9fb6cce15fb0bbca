#include "client/keyboardplay.h"

#include "client/board.h"

#include <algorithm>

namespace gorse {

KeyboardPlay::KeyboardPlay(Board* board, QObject* parent) : QObject(parent), m_board(board)
{
    // A new round, a result or the clock running out may leave the waiting
    // letters without a board to go to.
    connect(m_board, &Board::changed, this, [this] {
        if (!canPick() && !m_pending.isEmpty())
            setPending(QString());
    });
}

QList<int> KeyboardPlay::searchOrder()
{
    QList<int> order;
    for (int pile = 1; pile <= kPileCount; ++pile)
        order.append(pile);
    std::stable_sort(order.begin(), order.end(), [](int a, int b) {
        const QPoint pa = Board::pilePos(a);
        const QPoint pb = Board::pilePos(b);
        return pa.x() != pb.x() ? pa.x() < pb.x() : pa.y() < pb.y();
    });
    return order;
}

QString KeyboardPlay::hint() const
{
    if (m_discardArmed)
        return QStringLiteral("Discard which pile? Type its number, 1 to 8.");
    return QString();
}

bool KeyboardPlay::canPick() const
{
    return m_board->live() && m_board->wordGate() == 1;
}

QList<int> KeyboardPlay::freePiles() const
{
    QList<int> piles;
    if (!canPick())
        return piles;
    for (int pile : searchOrder()) {
        if (!m_board->inWord(pile) && !faceOf(pile).isEmpty())
            piles.append(pile);
    }
    return piles;
}

QString KeyboardPlay::faceOf(int pile) const
{
    return Board::cardFace(m_board->card(pile)).toUpper();
}

int KeyboardPlay::pileWithFace(const QString& face) const
{
    for (int pile : freePiles()) {
        if (faceOf(pile) == face)
            return pile;
    }
    return 0;
}

bool KeyboardPlay::someFaceContinues(const QString& letters) const
{
    for (int pile : freePiles()) {
        const QString face = faceOf(pile);
        if (face.size() > letters.size() && face.startsWith(letters))
            return true;
    }
    return false;
}

void KeyboardPlay::setPending(const QString& letters)
{
    if (letters == m_pending)
        return;
    m_pending = letters;
    emit changed();
}

void KeyboardPlay::settle()
{
    QString rest = m_pending;
    QString dropped;
    while (!rest.isEmpty()) {
        int taken = 0;
        for (qsizetype length = rest.size(); length > 0 && taken == 0; --length) {
            if (const int pile = pileWithFace(rest.left(length))) {
                m_board->addPile(pile);
                rest.remove(0, length);
                taken = pile;
            }
        }
        if (taken == 0) {
            dropped += rest.front();
            rest.remove(0, 1);
        }
    }
    setPending(QString());
    if (!dropped.isEmpty())
        emit refused(dropped);
}

void KeyboardPlay::typeLetter(QChar letter)
{
    const QString letters = m_pending + letter;
    if (someFaceContinues(letters)) {
        setPending(letters);
        return;
    }
    if (const int pile = pileWithFace(letters)) {
        setPending(QString());
        m_board->addPile(pile);
        return;
    }
    if (m_pending.isEmpty()) {
        emit refused(QString(letter));
        return;
    }
    // The new letter does not go on with the waiting ones: they become cards
    // of their own, and the letter starts afresh.
    settle();
    typeLetter(letter);
}

bool KeyboardPlay::press(Key key, const QString& text)
{
    // The discard question, when it is up, takes its answer first.
    if (m_board->discardPanelShown()) {
        const QString answer = text.toUpper();
        if (key == Key::Enter || answer == QStringLiteral("Y")) {
            m_board->button_yesClick();
            return true;
        }
        if (key == Key::Escape || answer == QStringLiteral("N")) {
            m_board->button_noClick();
            return true;
        }
    }

    if (m_discardArmed) {
        m_discardArmed = false;
        emit changed();
        const int pile = text.size() == 1 && text[0].isDigit() ? text[0].digitValue() : 0;
        if (isPile(pile)) {
            m_board->discard(pile);
            return true;
        }
        // Any other key only takes the prompt away (Escape included).
        if (key == Key::Escape)
            return true;
    }

    switch (key) {
    case Key::Enter:
        settle();
        m_board->submitWord();
        return true;
    case Key::Backspace:
        if (!m_pending.isEmpty())
            setPending(m_pending.chopped(1));
        else
            m_board->clearLast();
        return true;
    case Key::Escape:
        setPending(QString());
        m_board->clearWord();
        return true;
    case Key::Delete:
        m_discardArmed = true;
        emit changed();
        return true;
    case Key::Other:
        break;
    }

    if (text.size() != 1)
        return false;
    const QChar c = text[0];
    if (c.isDigit()) {
        const int pile = c.digitValue();
        if (!isPile(pile))
            return false;
        settle();
        m_board->addPile(pile);
        return true;
    }
    const QChar letter = c.toUpper();
    if (letter < u'A' || letter > u'Z')
        return false;
    if (!canPick())
        return true;
    typeLetter(letter);
    return true;
}

} // namespace gorse
