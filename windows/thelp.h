#pragma once

#include <QDialog>
#include <array>
#include <optional>

class QButtonGroup;
class QPushButton;
class QTextBrowser;

namespace gorse {

// The help window: seven pages, one button each, shown in a text browser.
// The pages are HTML files built into the program; the first tells how to
// play.
//
// It opens beside its parent's window, never over that window's board
// (panel_board, or the whole window when it has none): to the right when the
// screen has room there, else to the left; or where the player last moved
// it, while that spot keeps clear of the board.
class Thelp : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kPageCount = 7;
    struct Page
    {
        const char* file;    // under qrc:/help/
        const char* caption; // the button's text
    };
    static const std::array<Page, kPageCount> kPages;

    explicit Thelp(QWidget* parent = nullptr);

    // Shows page index (0 to kPageCount - 1) and marks its button.
    void showPage(int index);
    int currentPage() const { return m_current; }
    QPushButton* pageButton(int index) const;
    QTextBrowser* text_help() const { return m_text; }

    void setVisible(bool visible) override;

private:
    void placeBesideMainWindow();

    QTextBrowser* m_text;
    QButtonGroup* m_buttons;
    int m_current = -1;
    // Where the window was put at its last opening, and where the player
    // left it when that was somewhere else (frame positions).
    QPoint m_placedAt;
    std::optional<QPoint> m_playerPlace;
};

} // namespace gorse
