#pragma once

// Playing the board from the keyboard. Keys become the board's own
// operations (the ones the mouse uses), so a word typed is the same word as
// one clicked.
//
// Letters: each letter typed is added to the letters waiting for a card. As
// soon as they spell the face of a card on the table, the leftmost pile
// showing that face is taken. While a letter group on the table (Qu, ER,
// ING...) begins with the waiting letters, the card waits for the next
// letter: if it continues the group, the group is taken; if not, the waiting
// letters are taken as the longest faces they begin with, leftmost first,
// and the new letter starts afresh. Letters that no card on the table can
// spell are refused.
//
// Digits 1..8 take that pile directly. Backspace takes back the last waiting
// letter, or the last card of the word. Escape forgets the waiting letters
// and clears the word. Enter takes the waiting letters and sends the word.
// Delete, then a pile's number, discards that pile (with the discard
// question as usual; Y or Enter answers yes, N or Escape no).

#include <QList>
#include <QObject>
#include <QString>

namespace gorse {

class Board;

class KeyboardPlay : public QObject
{
    Q_OBJECT
public:
    // The keys it knows, apart from letters and digits (which come as text).
    enum class Key { Other, Enter, Backspace, Escape, Delete };

    // board is not owned.
    explicit KeyboardPlay(Board* board, QObject* parent = nullptr);

    // One key press: the key and the text it types. Returns whether the key
    // was used (a refused letter counts as used: it was meant for the board).
    bool press(Key key, const QString& text = QString());

    // Letters typed that wait for a card (upper case).
    QString pending() const { return m_pending; }
    // Delete was pressed; the next digit discards that pile.
    bool discardArmed() const { return m_discardArmed; }
    // A short prompt for the player while the keyboard waits for something
    // (the pile to discard), else empty.
    QString hint() const;

    // The piles in the order the keyboard searches them: left to right, and
    // top to bottom within a column.
    static QList<int> searchOrder();

signals:
    // pending(), discardArmed() or hint() changed.
    void changed();
    // Letters that no card on the table can spell were dropped.
    void refused(const QString& letters);

private:
    bool canPick() const;
    // Piles whose card may be taken now, in search order.
    QList<int> freePiles() const;
    QString faceOf(int pile) const;
    int pileWithFace(const QString& face) const;
    bool someFaceContinues(const QString& letters) const;
    void typeLetter(QChar letter);
    // Takes the waiting letters as cards: longest faces first; letters no
    // face begins with are refused.
    void settle();
    void setPending(const QString& letters);

    Board* m_board; // not owned
    QString m_pending;
    bool m_discardArmed = false;
};

} // namespace gorse
