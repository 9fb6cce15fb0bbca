#pragma once

#include <QDialog>
#include <QPointer>
#include <array>
#include <functional>

class QLabel;
class QListWidget;
class QMessageBox;
class QListWidgetItem;
class QPushButton;

namespace gorse {

class Tally;
class TallyFile;

// "Gorse - Tally List": the player's own figures, the followed opponents and
// the selected one's counts, and the players of the current game, any of
// whom a click starts following. Not modal; created at start-up and only
// shown and hidden. Every text comes from the Tally.
class Ttallylist : public QDialog
{
    Q_OBJECT
public:
    // Asks a Yes/No question; true for Yes.
    using Question = std::function<bool(const QString& text)>;

    // tally is not owned and must outlive the window.
    explicit Ttallylist(Tally* tally, QWidget* parent = nullptr);

    // Replaces the Yes/No message box (tests answer for the player).
    void setQuestion(Question ask) { m_ask = std::move(ask); }

    // View > "View Tally": the players of the current game, then the window.
    void ViewTally1Click();
    void button_resetClick();
    void FlatButton1Click() { close(); }

    // Shows the notice about a tally file that could not be read: a modal
    // box that stands above `above`, the highest window at start-up (the
    // download window on a solo start, which stays on top of the others).
    // When `above` is not on screen yet, the box waits until it is. The box
    // deletes itself when closed.
    static QMessageBox* showFileNotice(QWidget* above, const QString& text);

    // A save of the tally file that fails in play is told to the player in
    // one notice that does not block, shown again only after it was closed.
    // file is not owned.
    void setTallyFile(TallyFile* file);
    void showSaveFailure(const QString& text);
    // The notice while it is open (tests).
    QMessageBox* saveFailureBox() const { return m_saveNotice; }

    QListWidget* listbox_tally() const { return m_listboxTally; }
    QListWidget* checklist() const { return m_checklist; }
    QPushButton* button_reset() const { return m_buttonReset; }
    QPushButton* FlatButton1() const { return m_buttonOk; }

private:
    void render();
    void checklistChanged(QListWidgetItem* item);
    void listboxChanged(QListWidgetItem* item);
    void listbox_tallyClickCheck(int index);
    bool ask(const QString& text);

    Tally* m_tally; // not owned
    Question m_ask;
    QListWidget* m_listboxTally;
    QListWidget* m_checklist;
    QPushButton* m_buttonReset;
    QPushButton* m_buttonOk;
    std::array<QLabel*, 10> m_mylabel{}; // 1, 2, 3, 5, 7 and 8 are used
    std::array<QLabel*, 9> m_label{};    // 1..8
    QLabel* m_hisname;
    QLabel* m_hisnametop;
    QPointer<QMessageBox> m_saveNotice;
};

} // namespace gorse
